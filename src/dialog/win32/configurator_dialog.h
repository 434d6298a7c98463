// The configurator dialog: template 129, its message table and handlers.
#pragma once

#include <windows.h>

#include <cstdint>

namespace lanternbook::win32 {

// Runs the dialog modally over the calling thread's active window.
void run_configurator(HMODULE module, uint32_t language_override);

}  // namespace lanternbook::win32
