// Runs scripted steps inside a modal dialog's loop on a thread timer: the one
// driver of the end-to-end checks and the benchmark.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <vector>

namespace support {

// The text of a message box is a static with this id.
constexpr int kMessageBoxTextId = 0xFFFF;
constexpr DWORD kRunTimeoutMs = 30000;
constexpr UINT kStepTickMs = 40;

enum class Target { dialog, message_box };
struct Step {
    Target target;
    std::function<void(HWND)> action;
    // How long the target must have been visible before the action runs.
    DWORD settle_ms = 0;
};
[[nodiscard]] Step on_dialog(std::function<void(HWND)> action, DWORD settle_ms = 0);
[[nodiscard]] Step on_message_box(std::function<void(HWND)> action, DWORD settle_ms = 0);

struct Pacing {
    DWORD timeout_ms = kRunTimeoutMs;
    UINT tick_ms = kStepTickMs;
};
struct ModalOutcome {
    std::size_t steps_ran = 0;
    bool all_steps_ran = false;
    bool timed_out = false;
};
// Calls open(), which must run a modal dialog on this thread, and runs each
// step once its target window has been visible for the step's settle time,
// one step per timer tick, so posted check changes have landed before each
// step. On time-out the front window is cancelled.
[[nodiscard]] ModalOutcome run_modal(const std::function<void()>& open, std::vector<Step> steps,
                                     const Pacing& pacing = Pacing());

}  // namespace support
