// lanternbook on Linux and macOS.
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/posix_key_search.h"
#include "platform/posix/mounted_volumes.h"
#include "platform/posix/posix_files.h"

namespace {

// Puts the system's volume sources below another folder: for tests only.
constexpr char kSystemRootVariable[] = "LANTERNBOOK_SYSTEM_ROOT";

class StandardInput : public lanternbook::cli::Terminal {
public:
    bool interactive() override { return ::isatty(STDIN_FILENO) == 1; }
    bool read_line(std::string& line) override { return static_cast<bool>(std::getline(std::cin, line)); }
    bool read_all(std::string& text) override {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        return !std::cin.bad();
    }
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
    StandardInput terminal;
#if defined(__APPLE__)
    cli::MountedKeys finder = cli::MountedKeys::in_volume_folders(sources);
#else
    cli::MountedKeys finder = cli::MountedKeys::in_mount_table(sources);
#endif
    cli::Services services{files, volumes, clock, finder, terminal, L'/', help_width()};
    const std::vector<std::string> arguments(argv, argv + argc);
    return cli::run_command_line(arguments, services, std::cout, std::cerr);
}
