// What this process holds, to tell what the DLL keeps after its dialogs
// from what Wine itself keeps.
#pragma once

#include <windows.h>

#include "e2e/harness.h"

namespace e2e {

struct ProcessUse {
    SIZE_T private_bytes = 0;
    SIZE_T heap_bytes = 0;
    unsigned handles = 0;
};
[[nodiscard]] ProcessUse process_use();

// Free GDI handles of this process, counted by allocating until refused.
[[nodiscard]] int free_gdi_handles();

// The DLL's own template run `runs` times by a procedure that does nothing:
// what Wine itself keeps per dialog. Returns how many runs ended.
[[nodiscard]] int bare_template_runs(const Dll& dll, int runs);

}  // namespace e2e
