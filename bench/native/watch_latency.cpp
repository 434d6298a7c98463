// How soon `lanternbook watch` saves a key's CONFIG once the key is
// mounted: tmpfs keys mounted one after another in a mount namespace of the
// benchmark's own, each timed from its mount to its CONFIG appearing.
// Usage: lanternbook-watch-bench PROGRAM [--keys N]   (as root, Linux)
#include <sched.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kDefaultKeys = 50;
// A key not saved within this long counts as a fault, not a time.
constexpr int kGiveUpMs = 10000;
// The watch's first look at the mount table, before the first key comes.
constexpr int kStartMs = 500;
constexpr char kProfile[] = R"({"format": 1, "data": ["activities", "technical-data"], "period": "last:45"})";

double ms_since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bool fail(const std::string& what) {
    std::fprintf(stderr, "lanternbook-watch-bench: %s: %s\n", what.c_str(), std::strerror(errno));
    return false;
}

// A folder standing for the system's root: udev's label and UUID links for
// each key's device, and the real mount table of whoever reads it.
bool make_system(const fs::path& root, int keys) {
    std::error_code failed;
    fs::create_directories(root / "dev/disk/by-label", failed);
    fs::create_directories(root / "dev/disk/by-uuid", failed);
    fs::create_directories(root / "proc/self", failed);
    fs::create_symlink("/proc/self/mountinfo", root / "proc/self/mountinfo", failed);
    for (int i = 0; i < keys && !failed; ++i) {
        const std::string name = "key" + std::to_string(i);
        std::ofstream(root / "dev" / name).put('\0');
        fs::create_symlink("../../" + name, root / ("dev/disk/by-label/VOLKARIS_" + std::to_string(i)), failed);
        char uuid[16];
        std::snprintf(uuid, sizeof uuid, "BE7C-%04X", i);
        fs::create_symlink("../../" + name, root / "dev/disk/by-uuid" / uuid, failed);
    }
    return !failed;
}

// Waits until `folder` holds CONFIG; false after kGiveUpMs.
bool wait_for_config(const fs::path& folder) {
    const int events = ::inotify_init1(IN_CLOEXEC);
    if (events < 0) {
        return fail("inotify");
    }
    const bool watched = ::inotify_add_watch(events, folder.c_str(), IN_MOVED_TO | IN_CREATE) >= 0;
    const Clock::time_point start = Clock::now();
    bool there = false;
    while (watched && !(there = fs::exists(folder / "CONFIG")) && ms_since(start) < kGiveUpMs) {
        pollfd waiting{events, POLLIN, 0};
        if (::poll(&waiting, 1, kGiveUpMs) > 0) {
            std::array<char, 4096> buffer{};
            static_cast<void>(::read(events, buffer.data(), buffer.size()));
        }
    }
    ::close(events);
    return there;
}

double percentile(std::vector<double> values, double share) {
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
    return values[at];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: lanternbook-watch-bench PROGRAM [--keys N]\n");
        return 2;
    }
    const std::string program = fs::absolute(argv[1]).string();
    int keys = kDefaultKeys;
    if (argc >= 4 && std::string(argv[2]) == "--keys") {
        keys = std::max(1, std::atoi(argv[3]));
    }
    if (::geteuid() != 0) {
        std::printf("watch latency: skipped, mounting needs root\n");
        return 0;
    }
    // Every mount stays in this process's own namespace and goes with it.
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        fail("a mount namespace of its own");
        std::printf("watch latency: skipped, no mount namespace here\n");
        return 0;
    }
    char pattern[] = "/tmp/lanternbook-watch-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        return fail("a work folder") ? 0 : 1;
    }
    const fs::path work = pattern;
    const fs::path system = work / "system";
    if (!make_system(system, keys)) {
        return fail("the system folder") ? 0 : 1;
    }
    std::ofstream(work / "depot.json") << kProfile;
    fs::create_directories(work / "state");
    for (int i = 0; i < keys; ++i) {
        fs::create_directories(work / "keys" / std::to_string(i));
    }

    const pid_t watching = ::fork();
    if (watching == 0) {
        ::setenv("LANTERNBOOK_SYSTEM_ROOT", system.c_str(), 1);
        ::setenv("XDG_STATE_HOME", (work / "state").c_str(), 1);
        const std::string out = (work / "watch.out").string();
        if (std::freopen(out.c_str(), "w", stdout) == nullptr) {
            ::_exit(127);
        }
        const std::string profile = (work / "depot.json").string();
        ::execl(program.c_str(), program.c_str(), "watch", "--apply", profile.c_str(), "--json", nullptr);
        ::_exit(127);
    }
    ::usleep(kStartMs * 1000);

    std::vector<double> times;
    // The mount call itself, which waits for the kernel's grace period as it ends, is timed apart.
    std::vector<double> mount_calls;
    int faults = 0;
    for (int i = 0; i < keys; ++i) {
        const fs::path folder = work / "keys" / std::to_string(i);
        const std::string device = "/dev/key" + std::to_string(i);
        const Clock::time_point calling = Clock::now();
        if (::mount(device.c_str(), folder.c_str(), "tmpfs", 0, "size=1m") != 0) {
            fail("mount " + folder.string());
            ++faults;
            break;
        }
        const Clock::time_point mounted = Clock::now();
        mount_calls.push_back(std::chrono::duration<double, std::milli>(mounted - calling).count());
        if (wait_for_config(folder)) {
            times.push_back(ms_since(mounted));
        } else {
            std::printf("FAULT: key %d not saved within %d ms\n", i, kGiveUpMs);
            ++faults;
        }
    }
    ::kill(watching, SIGTERM);
    int status = 0;
    ::waitpid(watching, &status, 0);
    std::ifstream lines(work / "watch.out");
    int saved = 0;
    for (std::string line; std::getline(lines, line);) {
        saved += line.find("\"config\":\"saved\"") != std::string::npos ? 1 : 0;
    }
    for (int i = 0; i < keys; ++i) {
        ::umount2((work / "keys" / std::to_string(i)).c_str(), MNT_DETACH);
    }
    std::error_code ignored;
    fs::remove_all(work, ignored);

    if (times.empty()) {
        std::printf("watch latency: no key saved (%d faults)\n", faults);
        return 1;
    }
    const double mean = std::accumulate(times.begin(), times.end(), 0.0) / static_cast<double>(times.size());
    std::printf("watch latency, mount to CONFIG saved, %zu tmpfs keys mounted one after another:\n", times.size());
    std::printf("  (from the mount call's return; the call itself took median %.2f ms, worst %.2f ms)\n",
                percentile(mount_calls, 0.5), *std::max_element(mount_calls.begin(), mount_calls.end()));
    std::printf("  median %.2f ms   90th %.2f ms   worst %.2f ms   best %.2f ms   mean %.2f ms\n",
                percentile(times, 0.5), percentile(times, 0.9), *std::max_element(times.begin(), times.end()),
                *std::min_element(times.begin(), times.end()), mean);
    std::printf("  watch told %d keys saved, exit status %d after SIGTERM; %d faults\n", saved,
                WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), faults);
    return faults == 0 && saved == static_cast<int>(times.size()) ? 0 : 1;
}
