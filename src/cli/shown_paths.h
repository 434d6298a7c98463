// Paths as the user reads them, and the system's reason beside a failure.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/platform.h"

namespace lanternbook::cli {

// A core path as the user writes it, with `separator` between its parts.
[[nodiscard]] std::string shown_path(const std::wstring& path, wchar_t separator);

// "\n  path" for each of the first ten paths, then how many more there are.
[[nodiscard]] std::string listed_paths(const std::vector<std::wstring>& paths, wchar_t separator);

// Every path, as a JSON list.
[[nodiscard]] nlohmann::ordered_json paths_json(const std::vector<std::wstring>& paths, wchar_t separator);

// ": Permission denied": the system's reason for the last failure of `files`;
// empty when it gives none.
[[nodiscard]] std::string reason_of(FileSystem& files);

}  // namespace lanternbook::cli
