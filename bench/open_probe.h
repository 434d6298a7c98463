// A probe that times one modal run at the level of its dialog procedure.
#pragma once

#include <windows.h>

#include <functional>

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
// paint_observer, likewise, around the first WM_PAINT.
OpenTimes time_dialog_open(const std::function<void()>& open, InitObserver observer = nullptr,
                           InitObserver paint_observer = nullptr);

// While time_dialog_open runs and has no dialog yet: a procedure that times
// the messages and hands them to inner. Otherwise inner itself.
DLGPROC probe_procedure_for(DLGPROC inner);

}  // namespace bench
