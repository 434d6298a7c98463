// Wide texts to and from UTF-8: the string tables, and file names and
// program text outside Windows. Bytes that are no UTF-8 survive the round trip: each becomes a
// lone surrogate U+DC80-U+DCFF on the way in and the same byte on the way out,
// so any file name read from a folder can be given back to the system.
#pragma once

#include <cstddef>
#include <string>

namespace lanternbook {

// Takes bytes, not a std::string, which would bring the narrow string code
// into the DLL; a null text is the empty one.
[[nodiscard]] std::wstring wide_from_utf8(const char* text, std::size_t size);
[[nodiscard]] inline std::wstring wide_from_utf8(const std::string& text) {
    return wide_from_utf8(text.data(), text.size());
}
[[nodiscard]] std::string utf8_from_wide(const std::wstring& wide);

}  // namespace lanternbook
