#include "dialog/win32/configurator_dialog.h"

namespace lanternbook::win32 {

void run_configurator(HMODULE /*module*/, uint32_t /*language_override*/) {}

}  // namespace lanternbook::win32
