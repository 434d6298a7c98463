// The module's own instance handle, kept from process attach.
#pragma once

#include <windows.h>

namespace lanternbook {

HMODULE module_instance();

}  // namespace lanternbook
