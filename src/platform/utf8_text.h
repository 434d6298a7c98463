// Wide texts to and from UTF-8, for file names and program text outside
// Windows. Bytes that are no UTF-8 survive the round trip: each becomes a
// lone surrogate U+DC80-U+DCFF on the way in and the same byte on the way out,
// so any file name read from a folder can be given back to the system.
#pragma once

#include <string>

namespace lanternbook {

[[nodiscard]] std::wstring wide_from_utf8(const std::string& text);
[[nodiscard]] std::string utf8_from_wide(const std::wstring& wide);

}  // namespace lanternbook
