// lanternbook on Linux and macOS.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/posix_key_search.h"
#include "cli/program.h"
#include "cli/usage.h"
#include "platform/posix/mounted_volumes.h"
#include "platform/posix/posix_files.h"
#include "platform/posix/posix_session.h"

namespace {

// Puts the system's volume sources below another folder: for tests only.
constexpr char kSystemRootVariable[] = "LANTERNBOOK_SYSTEM_ROOT";
constexpr char kTerminalDevice[] = "/dev/tty";
constexpr int kInterruptCheckMs = 100;

volatile std::sig_atomic_t interrupt_noted = 0;

extern "C" void note_interrupt(int) { interrupt_noted = 1; }

bool write_all(int descriptor, const std::string& text) {
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t count = ::write(descriptor, text.data() + written, text.size() - written);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        written += static_cast<std::size_t>(count);
    }
    return true;
}

// The controlling terminal, opened when first asked for, for questions;
// standard input for what is piped in.
class PosixTerminal : public lanternbook::cli::Terminal {
public:
    PosixTerminal() = default;
    PosixTerminal(const PosixTerminal&) = delete;
    PosixTerminal& operator=(const PosixTerminal&) = delete;
    ~PosixTerminal() override {
        restore_signals();
        if (terminal_ >= 0) {
            ::close(terminal_);
        }
    }

    bool can_ask() override { return opened(); }

    std::optional<std::string> ask(const std::string& question) override {
        if (!opened() || !write_all(terminal_, question)) {
            return std::nullopt;
        }
        std::string line;
        char typed = 0;
        // An interrupt that comes just before a read would not end it: the wait is short.
        pollfd waiting{terminal_, POLLIN, 0};
        while (interrupt_noted == 0) {
            const int ready = ::poll(&waiting, 1, kInterruptCheckMs);
            if (ready < 0 && errno != EINTR) {
                break;
            }
            if (ready <= 0) {
                continue;
            }
            const ssize_t count = ::read(terminal_, &typed, 1);
            if (count == 1 && typed == '\n') {
                return line;
            }
            if (count == 1) {
                line.push_back(typed);
            } else if (count == 0 || errno != EINTR) {
                break;
            }
        }
        // Ctrl-D or Ctrl-C: what follows starts on a line of its own.
        static_cast<void>(write_all(terminal_, "\n"));
        return std::nullopt;
    }

    void tell(const std::string& line) override {
        if (opened()) {
            static_cast<void>(write_all(terminal_, line + "\n"));
        }
    }

    bool input_is_terminal() override { return ::isatty(STDIN_FILENO) == 1; }

    bool read_input(std::string& text, std::size_t limit) override {
        text.clear();
        std::array<char, 4096> buffer{};
        while (text.size() <= limit) {
            const std::size_t wanted = std::min(buffer.size(), limit + 1 - text.size());
            const ssize_t count = ::read(STDIN_FILENO, buffer.data(), wanted);
            if (count == 0) {
                return true;
            }
            if (count < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return false;
            }
            text.append(buffer.data(), static_cast<std::size_t>(count));
        }
        return true;
    }

    void hold_interrupts() override {
        if (held_) {
            return;
        }
        struct sigaction noting {};
        noting.sa_handler = note_interrupt;
        sigemptyset(&noting.sa_mask);
        // No SA_RESTART: a question waiting on the terminal is given up.
        noting.sa_flags = 0;
        held_ = ::sigaction(SIGINT, &noting, &previous_interrupt_) == 0 &&
                ::sigaction(SIGTERM, &noting, &previous_termination_) == 0;
    }

    void release_interrupts() override { restore_signals(); }

    bool interrupted() override { return interrupt_noted != 0; }

private:
    void restore_signals() {
        if (!held_) {
            return;
        }
        ::sigaction(SIGINT, &previous_interrupt_, nullptr);
        ::sigaction(SIGTERM, &previous_termination_, nullptr);
        held_ = false;
    }

    bool opened() {
        if (terminal_ < 0 && !tried_) {
            tried_ = true;
            terminal_ = ::open(kTerminalDevice, O_RDWR | O_CLOEXEC | O_NOCTTY);
        }
        return terminal_ >= 0;
    }

    int terminal_ = -1;
    bool tried_ = false;
    bool held_ = false;
    struct sigaction previous_interrupt_ {};
    struct sigaction previous_termination_ {};
};

// Linux tells of every mount and unmount by waking poll() on the mount
// table with POLLPRI; a table that is a plain file (a test's) never wakes
// it, and is read again at each timeout.
class MountTableChanges : public lanternbook::cli::MountChanges {
public:
    MountTableChanges(const std::string& mountinfo, lanternbook::posix::PosixVolumes& volumes)
        : table_(::open(mountinfo.c_str(), O_RDONLY | O_CLOEXEC)), volumes_(volumes) {}
    MountTableChanges(const MountTableChanges&) = delete;
    MountTableChanges& operator=(const MountTableChanges&) = delete;
    ~MountTableChanges() override {
        if (table_ >= 0) {
            ::close(table_);
        }
    }

    Wait wait(unsigned timeout_ms) override {
        // While waiting, no key's volume is held busy by what was asked of it.
        volumes_.forget();
        if (table_ < 0) {
            return Wait::failed;
        }
        pollfd waiting{table_, POLLPRI, 0};
        const int ready = ::poll(&waiting, 1, static_cast<int>(timeout_ms));
        if (ready < 0) {
            // A signal ends the wait, as a change would.
            return errno == EINTR ? Wait::changed : Wait::failed;
        }
        if (ready == 0) {
            return Wait::timed_out;
        }
        // Telling it is what readies the next wait; the next search reads the table afresh.
        return (waiting.revents & (POLLPRI | POLLERR)) != 0 ? Wait::changed : Wait::failed;
    }

private:
    int table_;
    lanternbook::posix::PosixVolumes& volumes_;
};

// The terminal's width when standard output is one, else $COLUMNS, else 80.
std::size_t help_width() {
    winsize size{};
    if (::isatty(STDOUT_FILENO) == 1 && ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
    return lanternbook::cli::help_width_named(std::getenv("COLUMNS"));
}

}  // namespace

int main(int argc, char** argv) {
    using namespace lanternbook;
    const char* system_root = std::getenv(kSystemRootVariable);
    const posix::VolumeSources sources = posix::VolumeSources::under(system_root != nullptr ? system_root : "");
    posix::PosixFileSystem files;  // cppcheck-suppress unassignedVariable ; its state is the last failure's reason
    posix::PosixVolumes volumes(sources);
    posix::PosixClock clock;
    posix::PosixSession session;
    PosixTerminal terminal;
#if defined(__APPLE__)
    cli::MountedKeys finder = cli::MountedKeys::in_volume_folders(volumes);
#else
    cli::MountedKeys finder = cli::MountedKeys::in_mount_table(volumes);
#endif
    cli::Services services{files, volumes, clock, finder, terminal, session, L'/', help_width()};
    if (const char* key = std::getenv(cli::kKeyVariable)) {
        services.default_key = key;
    }
#if !defined(__APPLE__)
    MountTableChanges changes(sources.mountinfo, volumes);
    services.mount_changes = &changes;
#endif
    const std::vector<std::string> arguments(argv, argv + argc);
    return cli::run_command_line(arguments, services, std::cout, std::cerr);
}
