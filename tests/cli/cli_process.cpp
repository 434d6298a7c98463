#include "cli_process.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace lanternbook::testing {
namespace {

std::vector<char*> argv_of(std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    return argv;
}

// Everything from both descriptors until both are closed, while `input`
// goes to `in_fd` as far as the program reads it (`in_fd` is closed then),
// and `tick` is called every millisecond.
void drain(int out_fd, int err_fd, std::string& out, std::string& err, int in_fd = -1, const std::string& input = "",
           const std::function<void()>& tick = nullptr) {
    std::array<pollfd, 3> fds{{{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}, {in_fd, POLLOUT, 0}}};
    int open_count = err_fd < 0 ? 1 : 2;
    std::size_t written = 0;
    if (in_fd >= 0 && input.empty()) {
        ::close(in_fd);
        fds[2].fd = -1;
    }
    std::array<char, 4096> buffer{};
    while (open_count > 0) {
        if (tick) {
            tick();
        }
        if (::poll(fds.data(), fds.size(), tick ? 1 : -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[2].fd >= 0 && fds[2].revents != 0) {
            // A program that stops reading early closes the pipe: the rest is not wanted.
            const ssize_t count = (fds[2].revents & POLLOUT) != 0
                                      ? ::write(fds[2].fd, input.data() + written, input.size() - written)
                                      : -1;
            written += count > 0 ? static_cast<std::size_t>(count) : 0;
            if (count < 0 || written == input.size()) {
                ::close(fds[2].fd);
                fds[2].fd = -1;
            }
        }
        for (std::size_t i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            const ssize_t count = ::read(fds[i].fd, buffer.data(), buffer.size());
            if (count <= 0) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open_count;
                continue;
            }
            (i == 0 ? out : err).append(buffer.data(), static_cast<std::size_t>(count));
        }
    }
}

int wait_for(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Where the programs a test starts keep their state (the journal of
// changes), unless the test names a place: never the user's own.
const std::string& test_state_home() {
    static const TempFolder state;
    return state.path();
}

constexpr char kStateVariable[] = "XDG_STATE_HOME";

}  // namespace

ProgramRun run_command(const std::vector<std::string>& command, const ProgramInput& input) {
    std::vector<std::string> all = command;
    std::vector<char*> argv = argv_of(all);
    int in_pipe[2];
    int out_pipe[2];
    int err_pipe[2];
    if (::pipe(in_pipe) != 0 || ::pipe(out_pipe) != 0 || ::pipe(err_pipe) != 0) {
        return ProgramRun{};
    }
    // A program that stops reading its input early must not end the tests.
    ::signal(SIGPIPE, SIG_IGN);
    const std::string& state = test_state_home();
    const pid_t child = ::fork();
    if (child == 0) {
        ::signal(SIGPIPE, SIG_DFL);
        // No controlling terminal: the program finds no one to ask, as under cron.
        ::setsid();
        const int in_fd = input.standard_input ? in_pipe[0] : ::open("/dev/null", O_RDONLY);
        const int out_fd = input.output_file.empty() ? out_pipe[1] : ::open(input.output_file.c_str(), O_WRONLY);
        const int err_fd = input.error_file.empty() ? err_pipe[1] : ::open(input.error_file.c_str(), O_WRONLY);
        ::dup2(in_fd, STDIN_FILENO);
        ::dup2(out_fd, STDOUT_FILENO);
        ::dup2(err_fd, STDERR_FILENO);
        ::close(in_pipe[1]);
        ::setenv(kStateVariable, state.c_str(), 1);
        for (const auto& [name, value] : input.environment) {
            ::setenv(name.c_str(), value.c_str(), 1);
        }
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(in_pipe[0]);
    ::close(out_pipe[1]);
    ::close(err_pipe[1]);
    ::fcntl(in_pipe[1], F_SETFL, O_NONBLOCK);
    ProgramRun run;
    bool signalled = false;
    const std::function<void()> tick = [&] {
        if (!signalled && input.signal_when()) {
            ::kill(child, input.signal);
            signalled = true;
        }
    };
    drain(out_pipe[0], err_pipe[0], run.out, run.err, in_pipe[1], input.standard_input.value_or(""),
          input.signal_when ? tick : nullptr);
    run.exit_code = wait_for(child);
    return run;
}

ProgramRun run_program_with(const std::vector<std::string>& arguments, const ProgramInput& input) {
    std::vector<std::string> all{LANTERNBOOK_CLI_PROGRAM};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return run_command(all, input);
}

ProgramRun run_program(const std::vector<std::string>& arguments, const std::map<std::string, std::string>& environment) {
    ProgramInput input;
    input.environment = environment;
    return run_program_with(arguments, input);
}

ProgramRun run_program_on_terminal(const std::vector<std::string>& arguments, const std::string& typed,
                                   unsigned short columns, const std::map<std::string, std::string>& environment,
                                   const std::string& error_file, const std::string& typed_after) {
    std::vector<std::string> all{LANTERNBOOK_CLI_PROGRAM};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv = argv_of(all);
    int terminal = -1;
    winsize size{};
    size.ws_row = 24;
    size.ws_col = columns;
    const std::string& state = test_state_home();
    const pid_t child = ::forkpty(&terminal, nullptr, nullptr, columns != 0 ? &size : nullptr);
    if (child == 0) {
        ::setenv(kStateVariable, state.c_str(), 1);
        for (const auto& [name, value] : environment) {
            ::setenv(name.c_str(), value.c_str(), 1);
        }
        if (!error_file.empty()) {
            ::dup2(::open(error_file.c_str(), O_WRONLY), STDERR_FILENO);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ProgramRun run;
    if (child < 0) {
        return run;
    }
    bool typing = !typed.empty();
    const std::function<void()> type = [&] {
        if (typing && run.out.find(typed_after) != std::string::npos) {
            typing = false;
            if (::write(terminal, typed.data(), typed.size()) < 0) {
                run.err = "cannot type on the terminal";
            }
        }
    };
    // A pseudo-terminal reports the end of the child's output as an error.
    drain(terminal, -1, run.out, run.err, -1, "", type);
    run.exit_code = wait_for(child);
    return run;
}

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "lanternbook-cli-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) {
        path_ = pattern;
    }
}

TempFolder::~TempFolder() {
    if (path_.empty()) {
        return;
    }
    std::error_code ignored;
    // Read-only folders left by a test must not keep their contents.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        if (!it->is_symlink()) {
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
        }
    }
    std::filesystem::remove_all(path_, ignored);
}

// inotify merges an event with the last one queued when they are alike: the
// reads of one opening come as one, and its close keeps the next opening's apart.
ReadCount::ReadCount(const std::string& path) : notify_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (notify_ >= 0 && ::inotify_add_watch(notify_, path.c_str(), IN_ACCESS | IN_CLOSE_NOWRITE) < 0) {
        ::close(notify_);
        notify_ = -1;
    }
}

ReadCount::~ReadCount() {
    if (notify_ >= 0) {
        ::close(notify_);
    }
}

int ReadCount::taken() {
    if (notify_ < 0) {
        return -1;
    }
    int reads = 0;
    std::array<char, 4096> buffer{};
    ssize_t count = 0;
    // Events are queued as the reads happen: once the program is done, all of its are here.
    while ((count = ::read(notify_, buffer.data(), buffer.size())) > 0) {
        for (ssize_t at = 0; at < count;) {
            inotify_event event{};
            std::memcpy(&event, buffer.data() + at, sizeof event);
            reads += (event.mask & IN_ACCESS) != 0 ? 1 : 0;
            at += static_cast<ssize_t>(sizeof event + event.len);
        }
    }
    return reads;
}

void write_bytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void write_text(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<uint8_t> read_bytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool exists(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

}  // namespace lanternbook::testing
