#include "bench/open_probe.h"

#include "bench/clock.h"

namespace bench {
namespace {

struct Probe {
    double started = 0.0;
    OpenTimes times;
    DLGPROC inner = nullptr;
    InitObserver observer = nullptr;
    InitObserver paint_observer = nullptr;
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
    const bool first_paint = message == WM_PAINT && !probe.times.painted && probe.paint_observer != nullptr;
    if (first_paint) {
        probe.paint_observer(true);
    }
    const INT_PTR result = probe.inner(dialog, message, wparam, lparam);
    if (first_paint) {
        probe.paint_observer(false);
    }
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

}  // namespace

DLGPROC probe_procedure_for(DLGPROC inner) {
    if (g_probe == nullptr || g_probe->inner != nullptr) {
        return inner;
    }
    g_probe->inner = inner;
    return probe_procedure;
}

OpenTimes time_dialog_open(const std::function<void()>& open, InitObserver observer, InitObserver paint_observer) {
    Probe probe;
    probe.observer = observer;
    probe.paint_observer = paint_observer;
    g_probe = &probe;
    probe.started = now_ms();
    open();
    probe.times.returned = now_ms() - probe.started;
    g_probe = nullptr;
    return probe.times;
}

}  // namespace bench
