// Times the DLL's operations on real dialogs and files under Wine, each
// against a bare floor measured in the same run, and prints the medians.
// Usage: lanternbook-bench [--runs N] [--files N] [--cycles N]
//        lanternbook-bench --profile [--files N]
//                          where the time of each operation goes, by system call
#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include <cstdio>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "bench/clock.h"
#include "bench/floors.h"
#include "bench/instrument.h"
#include "bench/key_files.h"
#include "bench/open_probe.h"
#include "resources/resource.h"
#include "support/dll.h"
#include "support/modal_driver.h"

namespace bench {
namespace {

using support::Dll;

constexpr char kLocale[] = "1033";
constexpr double kInitialisationWaitMs = 200.0;
constexpr DWORD kScriptTimeoutMs = 120000;
constexpr int kFindCallsPerRun = 20;
// A dialog that has just appeared keeps the display and the Wine server busy
// for a while; the clicks wait as a user would, and the floors as long.
constexpr DWORD kSettleMs = 300;
// Ticks often, so that a click follows its settle time closely.
constexpr UINT kScriptTickMs = 10;
constexpr support::Pacing kPacing{kScriptTimeoutMs, kScriptTickMs};
constexpr int kProfiledCalls = 50;
constexpr int kProfiledOpens = 5;
constexpr wchar_t kConfigName[] = L"CONFIG";
constexpr uint64_t kConfigBytes = 32;

struct Options {
    int runs = 11;
    int files = 5000;
    int cycles = 100;
    bool profile = false;
};

std::string narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

struct Memory {
    double pagefile_kib = 0.0;
    double working_set_kib = 0.0;
};

Memory process_memory() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    Memory memory;
    if (::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)) {
        memory.pagefile_kib = static_cast<double>(counters.PagefileUsage) / 1024.0;
        memory.working_set_kib = static_cast<double>(counters.WorkingSetSize) / 1024.0;
    }
    return memory;
}

int g_faults = 0;
void expect(bool ok, const char* what) {
    if (!ok) {
        ++g_faults;
        printf("FAULT: %s\n", what);
        fflush(stdout);
    }
}

// The exports' results are checked even where only their time counts.
void find_key(const Dll& dll) { expect(*dll.find_device() != L'\0', "find_device found the key"); }
void open_dialog(const Dll& dll) { expect(dll.load(kLocale) == 0, "load returned 0"); }

// Samples of one case: ours and its floor, taken alternately so that drift
// in the machine's load hits both alike.
struct Samples {
    std::vector<double> ours;
    std::vector<double> floor;
};

void alternate(int runs, Samples& samples, const std::function<double()>& ours,
               const std::function<double()>& floor) {
    for (int run = 0; run < runs; ++run) {
        if (run % 2 == 0) {
            samples.ours.push_back(ours());
            samples.floor.push_back(floor());
        } else {
            samples.floor.push_back(floor());
            samples.ours.push_back(ours());
        }
    }
}

double per_call(int calls, const std::function<void()>& call) {
    const double started = now_ms();
    for (int i = 0; i < calls; ++i) {
        call();
    }
    return (now_ms() - started) / calls;
}

struct Row {
    std::string name;
    double ours = 0.0;
    double floor = 0.0;
};

struct Phases {
    double to_init = 0.0;
    double in_init = 0.0;
    double to_paint = 0.0;
};

Phases median_phases(const std::vector<OpenTimes>& runs, const std::vector<double>& waits) {
    std::vector<double> to_init;
    std::vector<double> in_init;
    std::vector<double> to_paint;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        to_init.push_back(runs[i].init_begin);
        in_init.push_back(runs[i].init_end - runs[i].init_begin - (i < waits.size() ? waits[i] : 0.0));
        to_paint.push_back(runs[i].first_paint - runs[i].init_end);
    }
    return Phases{median(to_init), median(in_init), median(to_paint)};
}

class Benchmark {
public:
    Benchmark(const Options& options, const Dll& dll, Instrument& instrument, std::wstring root)
        : options_(options),
          dll_(dll),
          moments_(instrument.moments()),
          root_(std::move(root)),
          empty_template_(empty_dialog_template()) {}

    // find_device against the search it must make: the USB walk and the label search.
    Row find_device() {
        find_key(dll_);
        expect(bare_search() == root_, "the bare search finds the key");
        usb_devices_ = bare_usb_walk();
        Samples samples;
        alternate(
            options_.runs, samples,
            [this] { return per_call(kFindCallsPerRun, [this] { find_key(dll_); }); },
            [] { return per_call(kFindCallsPerRun, [] { bare_search(); }); });
        std::vector<double> usb;
        std::vector<double> label;
        for (int run = 0; run < options_.runs; ++run) {
            usb.push_back(per_call(kFindCallsPerRun, [] { bare_usb_walk(); }));
            label.push_back(per_call(kFindCallsPerRun, [] { bare_find_by_label(); }));
        }
        usb_walk_ms_ = median(usb);
        label_ms_ = median(label);
        find_ms_ = median(samples.ours);
        search_ms_ = median(samples.floor);
        return Row{"find_device vs. the USB walk + label search", find_ms_, search_ms_};
    }

    // Our open, with the time it spent in its initialisation wait.
    OpenTimes open_ours(double& slept_ms, InitObserver observer = nullptr, InitObserver paint_observer = nullptr) {
        const double slept_before = moments_.slept_ms;
        const OpenTimes times = time_dialog_open([this] { open_dialog(dll_); }, observer, paint_observer);
        slept_ms = moments_.slept_ms - slept_before;
        return times;
    }

    OpenTimes open_empty() {
        return time_dialog_open([this] {
            ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr),
                                      reinterpret_cast<LPCDLGTEMPLATEW>(empty_template_.data()), nullptr,
                                      probe_procedure_for(bare_dialog_procedure), 0);
        });
    }

    // Template 129 run by `procedure`.
    OpenTimes open_template(DLGPROC procedure = bare_dialog_procedure) {
        return time_dialog_open([this, procedure] {
            ::DialogBoxParamW(dll_.module(), MAKEINTRESOURCEW(IDD_CONFIGURATOR), nullptr,
                              probe_procedure_for(procedure), 0);
        });
    }

    // Our opening against template 129 run by a bare procedure that makes the
    // searches and reads the opening must make.
    Row first_paint() {
        double slept = 0.0;
        set_bare_key(root_);
        open_ours(slept);
        open_template(bare_opening_procedure);
        open_template();
        open_empty();

        std::vector<OpenTimes> ours;
        std::vector<double> ours_waits;
        std::vector<OpenTimes> floor;
        std::vector<OpenTimes> bare_template;
        std::vector<OpenTimes> empty;
        Samples samples;
        alternate(
            options_.runs, samples,
            [&] {
                ours.push_back(open_ours(slept));
                ours_waits.push_back(slept);
                expect(ours.back().painted, "our dialog painted");
                expect(slept > kInitialisationWaitMs * 0.9, "our initialisation waited");
                return ours.back().first_paint - slept;
            },
            [&] {
                floor.push_back(open_template(bare_opening_procedure));
                expect(floor.back().painted, "the bare opening painted");
                return floor.back().first_paint;
            });
        std::vector<double> scans;
        for (int run = 0; run < options_.runs; ++run) {
            bare_template.push_back(open_template());
            empty.push_back(open_empty());
            scans.push_back(per_call(kFindCallsPerRun, [] { bare_backup_scan(); }));
        }
        slept_ms_ = median(ours_waits);
        backup_scan_ms_ = median(scans);
        ours_open_ = median_phases(ours, ours_waits);
        floor_open_ = median_phases(floor, {});
        template_open_ = median_phases(bare_template, {});
        empty_open_ = median_phases(empty, {});
        return Row{"dialog start to first paint, less the wait", median(samples.ours), median(samples.floor)};
    }

    // One erase through the dialog: from the confirmation's end to the end
    // of the click.
    double erase_once(const std::function<void(bool)>& around_sweep = nullptr) {
        double returned = 0.0;
        const support::ModalOutcome outcome = support::run_modal(
            [this] { open_dialog(dll_); },
            {support::on_dialog(
                 [&](HWND dialog) {
                     ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_ERASE, BN_CLICKED),
                                    reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDC_ERASE)));
                     returned = now_ms();
                     if (around_sweep) {
                         around_sweep(false);
                     }
                     ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                 },
                 kSettleMs),
             support::on_message_box(
                 [&](HWND box) {
                     if (around_sweep) {
                         around_sweep(true);
                     }
                     ::SendMessageW(box, WM_COMMAND, IDOK, 0);
                 },
                 kSettleMs)},
            kPacing);
        expect(outcome.all_steps_ran && !outcome.timed_out, "the erase script ran to its end");
        expect(count_downloads(root_) == 0, "our erase left no download");
        return returned - moments_.message_box_returned;
    }

    Row erase() {
        const std::vector<std::wstring> paths = download_paths(root_, options_.files);
        // The key's own few downloads would upset the counts.
        bare_erase(root_);
        Samples samples;
        alternate(
            options_.runs, samples,
            [&] {
                seed(paths);
                return erase_once();
            },
            [&] {
                seed(paths);
                ::Sleep(kSettleMs);
                const double started = now_ms();
                bare_erase(root_);
                const double elapsed = now_ms() - started;
                expect(count_downloads(root_) == 0, "the bare erase left no download");
                return elapsed;
            });
        return Row{"erase " + std::to_string(options_.files) + " downloads vs. a bare loop", median(samples.ours),
                   median(samples.floor)};
    }

    // One save through the dialog: from the click to the start of EndDialog.
    double save_once(double& teardown_ms, const std::function<void(bool)>& around_save = nullptr) {
        double started = 0.0;
        double returned = 0.0;
        const support::ModalOutcome outcome = support::run_modal(
            [this] { open_dialog(dll_); },
            {support::on_dialog(
                [&](HWND dialog) {
                    if (around_save) {
                        around_save(true);
                    }
                    started = now_ms();
                    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_SAVE, BN_CLICKED),
                                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDC_SAVE)));
                    returned = now_ms();
                    if (around_save) {
                        around_save(false);
                    }
                },
                kSettleMs)},
            kPacing);
        expect(outcome.all_steps_ran && !outcome.timed_out, "the save script ran to its end");
        expect(moments_.end_dialog_entered > started, "the save ended the dialog");
        expect(file_size(root_ + kConfigName) == kConfigBytes, "our save wrote 32 bytes of CONFIG");
        teardown_ms = returned - moments_.end_dialog_entered;
        return moments_.end_dialog_entered - started;
    }

    Row save() {
        const std::wstring config_path = root_ + kConfigName;
        Samples samples;
        std::vector<double> teardowns;
        alternate(
            options_.runs, samples,
            [&] {
                double teardown = 0.0;
                const double elapsed = save_once(teardown);
                teardowns.push_back(teardown);
                return elapsed;
            },
            [&] {
                const std::vector<uint8_t> bytes = read_whole_file(config_path);
                ::Sleep(kSettleMs);
                const double started = now_ms();
                const bool written = bare_save(bytes);
                const double elapsed = now_ms() - started;
                expect(written && bytes.size() == kConfigBytes, "the bare save put 32 bytes in CONFIG's place");
                return elapsed;
            });
        end_dialog_ms_ = median(teardowns);
        return Row{"save vs. the search + helper write, flush, rename", median(samples.ours), median(samples.floor)};
    }

    void open_close_cycles(Memory& before, Memory& after, bool ours) {
        before = process_memory();
        for (int cycle = 0; cycle < options_.cycles; ++cycle) {
            double slept = 0.0;
            const OpenTimes times = ours ? open_ours(slept) : open_template();
            expect(times.painted, "the dialog painted in an open/close cycle");
        }
        after = process_memory();
    }

    void print_details() const {
        printf("\nWhere the time goes (medians, ms)\n");
        printf("  find_device: USB class walk alone (%d devices present)  %8.3f\n", usb_devices_, usb_walk_ms_);
        printf("  find_device: label search alone                         %8.3f\n", label_ms_);
        printf("  find_device: ours less the floor                        %8.3f\n", find_ms_ - search_ms_);
        printf("  dialog open                              to WM_INITDIALOG  in WM_INITDIALOG  WM_INITDIALOG to painted\n");
        print_phases("ours (load), less the wait           ", ours_open_);
        print_phases("template 129, searches and reads     ", floor_open_);
        print_phases("template 129, bare procedure         ", template_open_);
        print_phases("empty template                       ", empty_open_);
        printf("  the initialisation wait itself (Sleep(200) in the DLL)   %8.3f\n", slept_ms_);
        printf("  the start-up look for formats cut short, bare            %8.3f\n", backup_scan_ms_);
        printf("  save: EndDialog to the click's return (not counted)     %8.3f\n", end_dialog_ms_);
    }

private:
    static void print_phases(const char* name, const Phases& phases) {
        printf("    %s  %14.3f  %14.3f  %24.3f\n", name, phases.to_init, phases.in_init, phases.to_paint);
    }

    void seed(const std::vector<std::wstring>& paths) {
        const int made = create_files(paths);
        expect(made == options_.files && count_downloads(root_) == options_.files,
               "every download was created before the run");
    }

    const Options& options_;
    const Dll& dll_;
    DllMoments& moments_;
    std::wstring root_;
    std::vector<uint8_t> empty_template_;
    int usb_devices_ = 0;
    double usb_walk_ms_ = 0.0;
    double find_ms_ = 0.0;
    double label_ms_ = 0.0;
    double search_ms_ = 0.0;
    double slept_ms_ = 0.0;
    double backup_scan_ms_ = 0.0;
    double end_dialog_ms_ = 0.0;
    Phases ours_open_;
    Phases floor_open_;
    Phases template_open_;
    Phases empty_open_;
};

void count_during_init(bool entering) { ImportProfile::set_counting(entering); }

double g_paint_started = 0.0;
double g_painting_ms = 0.0;
void count_during_paint(bool entering) {
    ImportProfile::set_counting(entering);
    if (entering) {
        g_paint_started = now_ms();
    } else {
        g_painting_ms += now_ms() - g_paint_started;
    }
}

void run_profile(const Options& options, const Dll& dll, Benchmark& benchmark, const std::wstring& root) {
    ImportProfile profile(dll.module());
    printf("Times inside the DLL's system calls (wrapped at its import table, so a little slower)\n\n");

    find_key(dll);
    ImportProfile::reset();
    ImportProfile::set_counting(true);
    const double find_ms = per_call(kProfiledCalls, [&dll] { find_key(dll); }) * kProfiledCalls;
    ImportProfile::set_counting(false);
    ImportProfile::print("find_device", kProfiledCalls, find_ms);

    ImportProfile::reset();
    double init_ms = 0.0;
    double slept_ms = 0.0;
    for (int open = 0; open < kProfiledOpens; ++open) {
        double slept = 0.0;
        const OpenTimes times = benchmark.open_ours(slept, count_during_init);
        init_ms += times.init_end - times.init_begin - slept;
        slept_ms += slept;
    }
    printf("\n(the %.3f ms of the initialisation wait are left out)\n", slept_ms / kProfiledOpens);
    ImportProfile::print("WM_INITDIALOG", kProfiledOpens, init_ms);

    ImportProfile::reset();
    g_painting_ms = 0.0;
    for (int open = 0; open < kProfiledOpens; ++open) {
        double slept = 0.0;
        static_cast<void>(benchmark.open_ours(slept, nullptr, count_during_paint));
    }
    printf("\n");
    ImportProfile::print("the first WM_PAINT", kProfiledOpens, g_painting_ms);

    ImportProfile::reset();
    double save_ms = 0.0;
    for (int save = 0; save < kProfiledOpens; ++save) {
        double teardown = 0.0;
        save_ms += benchmark.save_once(teardown, [](bool on) { ImportProfile::set_counting(on); });
    }
    printf("\n");
    ImportProfile::print("save, click to EndDialog", kProfiledOpens, save_ms);

    bare_erase(root);
    const int made = create_files(download_paths(root, options.files));
    expect(made == options.files, "every download was created before the profiled erase");
    ImportProfile::reset();
    const double erase_ms = benchmark.erase_once([](bool on) { ImportProfile::set_counting(on); });
    printf("\n");
    ImportProfile::print(("erase of " + std::to_string(options.files) + " downloads").c_str(), 1, erase_ms);
}

std::string drive_list() {
    std::string drives;
    const DWORD mask = ::GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if ((mask & (DWORD{1} << i)) != 0) {
            drives += static_cast<char>('A' + i);
            drives += ": ";
        }
    }
    return drives;
}

bool parse_options(int argc, wchar_t** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        if (wcscmp(argv[i], L"--profile") == 0) {
            options.profile = true;
            continue;
        }
        if (i + 1 >= argc) {
            return false;
        }
        const int value = _wtoi(argv[i + 1]);
        if (value <= 0) {
            return false;
        }
        if (wcscmp(argv[i], L"--runs") == 0) {
            options.runs = value;
        } else if (wcscmp(argv[i], L"--files") == 0) {
            options.files = value;
        } else if (wcscmp(argv[i], L"--cycles") == 0) {
            options.cycles = value;
        } else {
            return false;
        }
        ++i;
    }
    return true;
}

void print_memory_line(const char* what, const Memory& memory) {
    printf("  %-44s %13.0f  %14.0f\n", what, memory.pagefile_kib, memory.working_set_kib);
}

void print_growth(const char* what, const Memory& before, const Memory& after, int cycles) {
    printf("  %-44s %13.1f  %14.1f\n", what, (after.pagefile_kib - before.pagefile_kib) / cycles,
           (after.working_set_kib - before.working_set_kib) / cycles);
}

}  // namespace
}  // namespace bench

int wmain(int argc, wchar_t** argv) {
    using namespace bench;
    Options options;
    if (!parse_options(argc, argv, options)) {
        printf("usage: lanternbook-bench [--runs N] [--files N] [--cycles N] [--profile]\n");
        return 2;
    }
    const Memory at_start = process_memory();
    // The host registers the common control classes the dialog uses.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_DATE_CLASSES | ICC_UPDOWN_CLASS};
    ::InitCommonControlsEx(&controls);

    const std::wstring dll_path = support::own_folder() + L"lanternbook.dll";
    Dll dll;
    if (!dll.open(dll_path)) {
        printf("cannot load %s with its two exports\n", narrow(dll_path).c_str());
        return 2;
    }
    Instrument instrument(dll.module());
    if (!instrument.complete()) {
        printf("lanternbook.dll lacks the imports the benchmark watches\n");
        return 2;
    }
    const std::wstring root = dll.find_device();
    const std::wstring bare_root = bare_find_by_label();
    if (root.empty() || root != bare_root) {
        printf("no key, or the DLL (%s) and the bare search (%s) disagree\n", narrow(root).c_str(),
               narrow(bare_root).c_str());
        return 2;
    }
    printf("lanternbook.dll: %llu bytes\n", static_cast<unsigned long long>(file_size(dll_path)));
    printf("drives: %s key on %s\n", drive_list().c_str(), narrow(root).c_str());
    fflush(stdout);

    Benchmark benchmark(options, dll, instrument, root);
    if (options.profile) {
        run_profile(options, dll, benchmark, root);
        return g_faults == 0 ? 0 : 1;
    }
    printf("%d runs per case; medians in ms; ratio = ours / floor\n", options.runs);
    std::vector<Row> rows;
    rows.push_back(benchmark.find_device());
    rows.push_back(benchmark.first_paint());
    rows.push_back(benchmark.erase());
    rows.push_back(benchmark.save());
    // Whichever batch runs first also pays for pages touched the first time;
    // the comparison batch takes that turn.
    Memory bare_before;
    Memory bare_after;
    benchmark.open_close_cycles(bare_before, bare_after, false);
    Memory ours_before;
    Memory ours_after;
    benchmark.open_close_cycles(ours_before, ours_after, true);

    printf("\n%-52s %12s %12s %11s\n", "case", "ours", "floor", "ours/floor");
    for (const Row& row : rows) {
        printf("%-52s %12.3f %12.3f %11.2f\n", row.name.c_str(), row.ours, row.floor,
               row.floor > 0 ? row.ours / row.floor : 0.0);
    }
    benchmark.print_details();
    printf("\nHost process memory (KiB)                      PagefileUsage  WorkingSetSize\n");
    print_memory_line("at start, before the DLL was loaded", at_start);
    char line[80];
    snprintf(line, sizeof line, "before %d open/close cycles of our dialog", options.cycles);
    print_memory_line(line, ours_before);
    snprintf(line, sizeof line, "after %d open/close cycles of our dialog", options.cycles);
    print_memory_line(line, ours_after);
    print_growth("growth per cycle", ours_before, ours_after, options.cycles);
    print_growth("growth per cycle, template 129 bare (before)", bare_before, bare_after, options.cycles);
    if (g_faults > 0) {
        printf("%d faults: the figures above are not to be trusted\n", g_faults);
        return 1;
    }
    return 0;
}
