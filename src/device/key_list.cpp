// Every key attached, for the command line: in a file of its own, so that the
// DLL, which only ever wants the first, does not carry it.
#include "device/device_drive.h"

namespace lanternbook {

KeySearch DeviceDrive::find_keys() {
    KeySearch search;
    // The first search also clears a stale device that would hide a key.
    const std::wstring first = find_drive();
    if (first.empty()) {
        return search;
    }
    search.roots.push_back(first);
    const uint32_t mask = volumes_.logical_drive_mask();
    for (int i = next_key_drive(mask, drive_index_ + 1); i >= 0; i = next_key_drive(mask, i + 1)) {
        search.roots.push_back(root_of_drive(i));
    }
    return search;
}

}  // namespace lanternbook
