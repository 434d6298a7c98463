// lanternbook.exe: the command line on Windows, with the dialog's own Win32
// platform services and drive-letter search.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "device/device_drive.h"
#include "text/utf8_text.h"
#include "platform/win32/win32_reasons.h"

namespace {

class ConsoleInput : public lanternbook::cli::Terminal {
public:
    // Only a console counts: the NUL device also passes for a character device.
    bool interactive() override {
        DWORD mode = 0;
        return ::GetConsoleMode(::GetStdHandle(STD_INPUT_HANDLE), &mode) != FALSE;
    }
    bool read_line(std::string& line) override { return static_cast<bool>(std::getline(std::cin, line)); }
    bool read_all(std::string& text) override {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        return !std::cin.bad();
    }
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
    ConsoleInput terminal;
    cli::Services services{platform, platform, platform, finder, terminal, L'\\', help_width()};
    return cli::run_command_line(arguments, services, std::cout, std::cerr);
}
