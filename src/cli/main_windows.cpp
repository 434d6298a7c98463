// lanternbook.exe: the command line on Windows, with the dialog's own Win32
// platform services and drive-letter search.
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/program.h"
#include "cli/usage.h"
#include "device/device_drive.h"
#include "platform/win32/win32_reasons.h"
#include "text/utf8_text.h"

namespace {

// What a console line holds when Ctrl-Z ended the input.
constexpr wchar_t kEndOfInput = L'\x1a';

volatile LONG interrupt_noted = 0;

BOOL WINAPI note_interrupt(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        ::InterlockedExchange(&interrupt_noted, 1);
        return TRUE;
    }
    return FALSE;
}

class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (valid()) {
            ::CloseHandle(handle_);
        }
    }
    // CreateFileW's failure.
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

HANDLE open_console(const wchar_t* name) {
    return ::CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
}

// The console itself for questions, whatever standard input and output
// are; standard input for what is piped in.
class ConsoleTerminal : public lanternbook::cli::Terminal {
public:
    ConsoleTerminal() = default;
    ConsoleTerminal(const ConsoleTerminal&) = delete;
    ConsoleTerminal& operator=(const ConsoleTerminal&) = delete;
    ~ConsoleTerminal() override { restore_handler(); }

    bool can_ask() override {
        DWORD mode = 0;
        return input_.valid() && output_.valid() && ::GetConsoleMode(input_.get(), &mode) != FALSE;
    }

    std::optional<std::string> ask(const std::string& question) override {
        if (!can_ask()) {
            return std::nullopt;
        }
        write(lanternbook::wide_from_utf8(question));
        std::wstring line;
        std::array<wchar_t, 256> typed{};
        DWORD count = 0;
        while (::ReadConsoleW(input_.get(), typed.data(), static_cast<DWORD>(typed.size()), &count, nullptr) !=
                   FALSE &&
               count > 0 && interrupt_noted == 0) {
            line.append(typed.data(), count);
            const std::size_t end = line.find(L'\n');
            if (end == std::wstring::npos) {
                continue;
            }
            line.erase(end);
            if (!line.empty() && line.back() == L'\r') {
                line.pop_back();
            }
            if (line.find(kEndOfInput) != std::wstring::npos) {
                break;
            }
            return lanternbook::utf8_from_wide(line);
        }
        write(L"\r\n");
        return std::nullopt;
    }

    void tell(const std::string& line) override {
        if (can_ask()) {
            write(lanternbook::wide_from_utf8(line) + L"\r\n");
        }
    }

    bool input_is_terminal() override {
        DWORD mode = 0;
        // Only a console counts: the NUL device also passes for a character device.
        return ::GetConsoleMode(::GetStdHandle(STD_INPUT_HANDLE), &mode) != FALSE;
    }

    bool read_input(std::string& text, std::size_t limit) override {
        text.clear();
        std::array<char, 4096> buffer{};
        HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
        while (text.size() <= limit) {
            const std::size_t wanted = std::min(buffer.size(), limit + 1 - text.size());
            DWORD count = 0;
            if (::ReadFile(input, buffer.data(), static_cast<DWORD>(wanted), &count, nullptr) == FALSE) {
                return ::GetLastError() == ERROR_BROKEN_PIPE;
            }
            if (count == 0) {
                return true;
            }
            text.append(buffer.data(), count);
        }
        return true;
    }

    void hold_interrupts() override { held_ = held_ || ::SetConsoleCtrlHandler(note_interrupt, TRUE) != FALSE; }
    void release_interrupts() override { restore_handler(); }
    bool interrupted() override { return interrupt_noted != 0; }

private:
    void restore_handler() {
        if (held_) {
            ::SetConsoleCtrlHandler(note_interrupt, FALSE);
            held_ = false;
        }
    }

    void write(const std::wstring& text) {
        DWORD written = 0;
        ::WriteConsoleW(output_.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }

    Handle input_{open_console(L"CONIN$")};
    Handle output_{open_console(L"CONOUT$")};
    bool held_ = false;
};

// The console's width when standard output is one, else %COLUMNS%, else 80.
std::size_t help_width() {
    CONSOLE_SCREEN_BUFFER_INFO console{};
    if (::GetConsoleScreenBufferInfo(::GetStdHandle(STD_OUTPUT_HANDLE), &console) != FALSE) {
        return static_cast<std::size_t>(console.srWindow.Right - console.srWindow.Left + 1);
    }
    return lanternbook::cli::help_width_named(std::getenv("COLUMNS"));
}

// Puts the console back to the code page it had.
class Utf8Console {
public:
    Utf8Console() : previous_(::GetConsoleOutputCP()) { ::SetConsoleOutputCP(CP_UTF8); }
    Utf8Console(const Utf8Console&) = delete;
    Utf8Console& operator=(const Utf8Console&) = delete;
    ~Utf8Console() {
        if (previous_ != 0) {
            ::SetConsoleOutputCP(previous_);
        }
    }

private:
    UINT previous_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    using namespace lanternbook;
    const Utf8Console console;
    std::vector<std::string> arguments;
    arguments.reserve(static_cast<std::size_t>(argc));
    for (int i = 0; i < argc; ++i) {
        arguments.push_back(utf8_from_wide(argv[i]));
    }
    win32::Win32PlatformWithReasons platform(::GetModuleHandleW(nullptr));
    cli::DriveLetterKeys finder(platform, platform);
    ConsoleTerminal terminal;
    cli::Services services{platform, platform, platform, finder, terminal, L'\\', help_width()};
    if (const wchar_t* key = ::_wgetenv(wide_from_utf8(cli::kKeyVariable).c_str())) {
        services.default_key = utf8_from_wide(key);
    }
    return cli::run_command_line(arguments, services, std::cout, std::cerr);
}
