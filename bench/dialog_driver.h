// Drives dialogs from inside their modal loops: a probe that times one modal
// run at the level of its dialog procedure, and timer-driven scripted steps.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

namespace bench {

// Milliseconds from the opening call to each moment of one modal run.
struct OpenTimes {
    double init_begin = 0.0;   // WM_INITDIALOG reaches the dialog procedure
    double init_end = 0.0;     // the procedure has handled it
    double first_paint = 0.0;  // the procedure has handled the first WM_PAINT
    double returned = 0.0;     // the opening call returned
    bool painted = false;
};

// Called as WM_INITDIALOG enters (true) and leaves (false) the procedure.
using InitObserver = void (*)(bool entering);

// Calls open(), which must run one modal dialog on this thread and pass its
// dialog procedure through probe_procedure_for(). IDCANCEL is posted to the
// dialog once its first WM_PAINT is handled.
OpenTimes time_dialog_open(const std::function<void()>& open, InitObserver observer = nullptr);

// While time_dialog_open runs and has no dialog yet: a procedure that times
// the messages and hands them to inner. Otherwise inner itself.
DLGPROC probe_procedure_for(DLGPROC inner);

enum class Target { configurator, message_box };
struct Step {
    Target target;
    std::function<void(HWND)> action;
    // How long the target must have been visible before the action runs.
    DWORD settle_ms = 0;
};
struct ScriptOutcome {
    bool all_steps_ran = false;
    bool timed_out = false;
};
// Calls open() and runs each step once its target window has been visible
// for the step's settle time, one step per timer tick; on time-out the
// dialog is cancelled.
ScriptOutcome run_script(const std::function<void()>& open, std::vector<Step> steps,
                         DWORD timeout_ms);

}  // namespace bench
