// Folders listed as sorted lines, and listings compared so that a failure
// shows only what differs.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace e2e {

using SkipEntry = std::function<bool(const std::wstring& relative, bool is_folder)>;

struct ListingOptions {
    bool write_times = false;
    // Entries (relative path, is_folder) left out together with what they hold.
    SkipEntry skip;
};
// Every file and folder below a folder: "path size" for a file, "path\" for a
// folder, relative and sorted. Paths past the classic limit are reached;
// links out of the tree are noted, not followed.
[[nodiscard]] std::vector<std::wstring> tree_listing(const std::wstring& folder,
                                                     const ListingOptions& options = ListingOptions());
// The same with each file's write time, so that a rewrite shows.
[[nodiscard]] std::vector<std::wstring> detailed_listing(const std::wstring& folder,
                                                         const SkipEntry& skip = SkipEntry());
// The files, not folders, that a pattern such as "K:\CARD\*.ddd" matches, by name.
[[nodiscard]] std::vector<std::wstring> names_matching(const std::wstring& pattern);
// The extended form of a path, for paths past the classic limit.
[[nodiscard]] std::wstring extended_path(const std::wstring& path);

// The lines of a sorted listing that another lacks.
[[nodiscard]] std::vector<std::wstring> minus(const std::vector<std::wstring>& from,
                                              const std::vector<std::wstring>& taken);
// A listing without the file `name` of its top folder.
[[nodiscard]] std::vector<std::wstring> without(std::vector<std::wstring> listing, const std::wstring& name);
// The first lines, indented, for a failure message.
[[nodiscard]] std::string some_lines(const std::vector<std::wstring>& lines);
// Compares sorted listings and shows only what differs.
void check_same(const std::vector<std::wstring>& actual, const std::vector<std::wstring>& expected,
                const std::string& what);

}  // namespace e2e
