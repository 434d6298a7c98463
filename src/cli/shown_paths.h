// Paths as the user reads and names them, and the system's reason beside a
// failure.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace lanternbook::cli {

// A core path as the user writes it, with `separator` between its parts,
// for a line of text: a control character a hostile name holds is shown as
// \xNN, never sent to the terminal.
[[nodiscard]] std::string shown_path(const std::wstring& path, wchar_t separator);
// The same path as it is, for a JSON string, which escapes what it must itself.
[[nodiscard]] std::string json_path(const std::wstring& path, wchar_t separator);
// Any text read from a key or a record, for a line of text, escaped as above.
[[nodiscard]] std::string shown_text(const std::wstring& text);

// A folder named on the command line as an absolute path free of links: the
// links in it taken as the user meant them, and from there on the folder is
// reached without stepping through any.
[[nodiscard]] std::wstring as_named(const std::wstring& named);

// "\n  path" for each of the first ten paths, then how many more there are.
[[nodiscard]] std::string listed_paths(const std::vector<std::wstring>& paths, wchar_t separator);

// ": Permission denied": the system's reason for the last failure of `files`;
// empty when it gives none.
[[nodiscard]] std::string reason_of(FileSystem& files);

}  // namespace lanternbook::cli
