// What a volume must be to be formatted as the key, or to be made the key
// again: one of the key's two sizes, and, freshly formatted, empty; and the
// label that makes it the key.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace lanternbook {

// The total in whole MiB, each division truncating.
[[nodiscard]] int64_t size_in_mebibytes(uint64_t total_bytes);
[[nodiscard]] bool size_accepted(uint64_t total_bytes);
// Nothing but what a format leaves is in the root: no one's content is there.
// False when the root cannot be listed.
[[nodiscard]] bool holds_nothing(Folder& root);
[[nodiscard]] bool holds_nothing(FileSystem& files, const std::wstring& root);
// Gives the volume at `root` the key's `label`, or, where the volume takes
// no label that long (FAT keeps 11 characters), the part of it that still
// names a key, or the volume word alone, and gives it in `given`. False,
// with `given` untouched, when no label naming a key could be set.
[[nodiscard]] bool set_key_label(Volumes& volumes, const std::wstring& root, const std::wstring& label,
                                 std::wstring& given);

}  // namespace lanternbook
