#include "support/modal_driver.h"

#include <cwchar>
#include <utility>

#include "resources/resource.h"

namespace support {
namespace {

constexpr wchar_t kDialogClass[] = L"#32770";
constexpr int kClassNameRoom = 32;

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
    wchar_t class_name[kClassNameRoom] = {};
    ::GetClassNameW(window, class_name, kClassNameRoom);
    if (!::IsWindowVisible(window) || std::wcscmp(class_name, kDialogClass) != 0) {
        return TRUE;
    }
    const bool is_message_box = ::GetDlgItem(window, kMessageBoxTextId) != nullptr;
    const bool is_configurator = ::GetDlgItem(window, IDC_OVERVIEW) != nullptr;
    if ((search->target == Target::message_box && is_message_box) ||
        (search->target == Target::dialog && is_configurator && !is_message_box)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND find_target(Target target) {
    WindowSearch search{target};
    ::EnumThreadWindows(::GetCurrentThreadId(), match_window, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct Runner {
    std::vector<Step> steps;
    std::size_t next = 0;
    HWND seen = nullptr;
    DWORD seen_at = 0;
    DWORD started = 0;
    DWORD timeout_ms = 0;
    bool timed_out = false;
};
Runner* g_runner = nullptr;

void CALLBACK on_tick(HWND, UINT, UINT_PTR, DWORD) {
    Runner& runner = *g_runner;
    if (::GetTickCount() - runner.started > runner.timeout_ms) {
        runner.timed_out = true;
        if (HWND box = find_target(Target::message_box)) {
            ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
        } else if (HWND dialog = find_target(Target::dialog)) {
            ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        }
        return;
    }
    if (runner.next >= runner.steps.size()) {
        return;
    }
    HWND window = find_target(runner.steps[runner.next].target);
    if (window == nullptr) {
        return;
    }
    if (window != runner.seen) {
        runner.seen = window;
        runner.seen_at = ::GetTickCount();
    }
    if (::GetTickCount() - runner.seen_at < runner.steps[runner.next].settle_ms) {
        return;
    }
    // Advance first: a step that opens a message box is still running when
    // the next tick comes from inside the box's own loop.
    const std::function<void(HWND)> action = runner.steps[runner.next].action;
    ++runner.next;
    action(window);
}

}  // namespace

Step on_dialog(std::function<void(HWND)> action, DWORD settle_ms) {
    return Step{Target::dialog, std::move(action), settle_ms};
}

Step on_message_box(std::function<void(HWND)> action, DWORD settle_ms) {
    return Step{Target::message_box, std::move(action), settle_ms};
}

ModalOutcome run_modal(const std::function<void()>& open, std::vector<Step> steps, const Pacing& pacing) {
    Runner runner;
    runner.steps = std::move(steps);
    runner.started = ::GetTickCount();
    runner.timeout_ms = pacing.timeout_ms;
    // A step may start a run of its own.
    Runner* const outer = g_runner;
    g_runner = &runner;
    {
        const ThreadTimer timer(pacing.tick_ms, on_tick);
        open();
    }
    g_runner = outer;
    ModalOutcome outcome;
    outcome.steps_ran = runner.next;
    outcome.all_steps_ran = runner.next == runner.steps.size();
    outcome.timed_out = runner.timed_out;
    return outcome;
}

}  // namespace support
