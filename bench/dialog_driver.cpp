#include "bench/dialog_driver.h"

#include <cwchar>

#include "bench/clock.h"
#include "resources/resource.h"

namespace bench {
namespace {

constexpr wchar_t kDialogClass[] = L"#32770";
// The text of a message box is a static with this id.
constexpr int kMessageBoxTextId = 0xFFFF;
constexpr UINT kStepPeriodMs = 10;

struct Probe {
    double started = 0.0;
    OpenTimes times;
    DLGPROC inner = nullptr;
    InitObserver observer = nullptr;
};
Probe* g_probe = nullptr;

INT_PTR CALLBACK probe_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    Probe& probe = *g_probe;
    if (message == WM_INITDIALOG) {
        probe.times.init_begin = now_ms() - probe.started;
        if (probe.observer != nullptr) {
            probe.observer(true);
        }
    }
    const INT_PTR result = probe.inner(dialog, message, wparam, lparam);
    if (message == WM_INITDIALOG) {
        if (probe.observer != nullptr) {
            probe.observer(false);
        }
        probe.times.init_end = now_ms() - probe.started;
    } else if (message == WM_PAINT && !probe.times.painted) {
        probe.times.first_paint = now_ms() - probe.started;
        probe.times.painted = true;
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }
    return result;
}

class ThreadTimer {
public:
    ThreadTimer(UINT period_ms, TIMERPROC procedure) : id_(::SetTimer(nullptr, 0, period_ms, procedure)) {}
    ThreadTimer(const ThreadTimer&) = delete;
    ThreadTimer& operator=(const ThreadTimer&) = delete;
    ~ThreadTimer() {
        if (id_ != 0) {
            ::KillTimer(nullptr, id_);
        }
    }

private:
    UINT_PTR id_;
};

struct WindowSearch {
    Target target;
    HWND found = nullptr;
};

BOOL CALLBACK match_window(HWND window, LPARAM search_address) {
    auto* search = reinterpret_cast<WindowSearch*>(search_address);
    wchar_t class_name[16] = {};
    ::GetClassNameW(window, class_name, 16);
    if (!::IsWindowVisible(window) || wcscmp(class_name, kDialogClass) != 0) {
        return TRUE;
    }
    const bool is_message_box = ::GetDlgItem(window, kMessageBoxTextId) != nullptr;
    const bool is_configurator = ::GetDlgItem(window, IDC_OVERVIEW) != nullptr;
    if ((search->target == Target::message_box && is_message_box) ||
        (search->target == Target::configurator && is_configurator && !is_message_box)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND find_window(Target target) {
    WindowSearch search{target};
    ::EnumThreadWindows(::GetCurrentThreadId(), match_window, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct Script {
    std::vector<Step> steps;
    std::size_t next = 0;
    HWND seen = nullptr;
    double seen_at = 0.0;
    double started = 0.0;
    DWORD timeout_ms = 0;
    bool timed_out = false;
};
Script* g_script = nullptr;

void CALLBACK on_step_tick(HWND, UINT, UINT_PTR, DWORD) {
    Script& script = *g_script;
    if (now_ms() - script.started > static_cast<double>(script.timeout_ms)) {
        script.timed_out = true;
        if (HWND box = find_window(Target::message_box)) {
            ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
        } else if (HWND dialog = find_window(Target::configurator)) {
            ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        }
        return;
    }
    if (script.next >= script.steps.size()) {
        return;
    }
    HWND window = find_window(script.steps[script.next].target);
    if (window == nullptr) {
        return;
    }
    if (window != script.seen) {
        script.seen = window;
        script.seen_at = now_ms();
    }
    if (now_ms() - script.seen_at < static_cast<double>(script.steps[script.next].settle_ms)) {
        return;
    }
    // Advance first: a step that opens a message box is still running when
    // the next tick comes from inside the box's own loop.
    const std::function<void(HWND)> action = script.steps[script.next].action;
    ++script.next;
    action(window);
}

}  // namespace

DLGPROC probe_procedure_for(DLGPROC inner) {
    if (g_probe == nullptr || g_probe->inner != nullptr) {
        return inner;
    }
    g_probe->inner = inner;
    return probe_procedure;
}

OpenTimes time_dialog_open(const std::function<void()>& open, InitObserver observer) {
    Probe probe;
    probe.observer = observer;
    g_probe = &probe;
    probe.started = now_ms();
    open();
    probe.times.returned = now_ms() - probe.started;
    g_probe = nullptr;
    return probe.times;
}

ScriptOutcome run_script(const std::function<void()>& open, std::vector<Step> steps,
                         DWORD timeout_ms) {
    Script script;
    script.steps = std::move(steps);
    script.started = now_ms();
    script.timeout_ms = timeout_ms;
    g_script = &script;
    {
        ThreadTimer timer(kStepPeriodMs, on_step_tick);
        open();
    }
    g_script = nullptr;
    ScriptOutcome outcome;
    outcome.timed_out = script.timed_out;
    outcome.all_steps_ran = script.next == script.steps.size();
    return outcome;
}

}  // namespace bench
