#include "e2e/listings.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <iterator>

#include "e2e/harness.h"
#include "platform/win32/handles.h"

namespace e2e {
namespace {

using lanternbook::win32::FindHandle;

std::wstring hex_time(const FILETIME& time) {
    wchar_t text[24];
    swprintf(text, 24, L"%08lx%08lx", time.dwHighDateTime, time.dwLowDateTime);
    return text;
}

void list_into(const std::wstring& folder, const std::wstring& relative, const ListingOptions& options,
               std::vector<std::wstring>& out) {
    WIN32_FIND_DATAW found{};
    const FindHandle listing(FindFirstFileW(extended_path(folder + L"\\*").c_str(), &found));
    if (!listing) {
        return;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        const std::wstring path = relative.empty() ? name : relative + L"\\" + name;
        const bool is_folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (options.skip && options.skip(path, is_folder)) {
            continue;
        }
        if (is_folder && (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            // A link out of the tree, as Wine makes for the user's folders.
            out.push_back(path + L"\\ (link)");
        } else if (is_folder) {
            out.push_back(path + L"\\");
            list_into(folder + L"\\" + name, path, options, out);
        } else {
            std::wstring line = path + L" " + std::to_wstring(found.nFileSizeLow);
            if (options.write_times) {
                line += L" " + hex_time(found.ftLastWriteTime);
            }
            out.push_back(line);
        }
    } while (FindNextFileW(listing.get(), &found));
}

}  // namespace

std::vector<std::wstring> tree_listing(const std::wstring& folder, const ListingOptions& options) {
    std::vector<std::wstring> out;
    std::wstring base = folder;
    while (!base.empty() && base.back() == L'\\') {
        base.pop_back();
    }
    list_into(base, L"", options, out);
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::wstring> detailed_listing(const std::wstring& folder, const SkipEntry& skip) {
    return tree_listing(folder, ListingOptions{true, skip});
}

std::vector<std::wstring> names_matching(const std::wstring& pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    const FindHandle listing(FindFirstFileW(pattern.c_str(), &found));
    if (!listing) {
        return names;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            names.push_back(found.cFileName);
        }
    } while (FindNextFileW(listing.get(), &found));
    return names;
}

std::wstring extended_path(const std::wstring& path) {
    return path.compare(0, 4, L"\\\\?\\") == 0 ? path : L"\\\\?\\" + path;
}

std::vector<std::wstring> minus(const std::vector<std::wstring>& from, const std::vector<std::wstring>& taken) {
    std::vector<std::wstring> rest;
    std::set_difference(from.begin(), from.end(), taken.begin(), taken.end(), std::back_inserter(rest));
    return rest;
}

std::vector<std::wstring> without(std::vector<std::wstring> listing, const std::wstring& name) {
    listing.erase(std::remove_if(listing.begin(), listing.end(),
                                 [&name](const std::wstring& line) { return starts_with(line, name + L" "); }),
                  listing.end());
    return listing;
}

std::string some_lines(const std::vector<std::wstring>& lines) {
    constexpr std::size_t kShown = 12;
    std::string text;
    for (std::size_t i = 0; i < lines.size() && i < kShown; ++i) {
        text += "\n      " + narrow(lines[i]);
    }
    if (lines.size() > kShown) {
        text += "\n      ... " + std::to_string(lines.size() - kShown) + " more";
    }
    return text;
}

void check_same(const std::vector<std::wstring>& actual, const std::vector<std::wstring>& expected,
                const std::string& what) {
    const std::vector<std::wstring> extra = minus(actual, expected);
    const std::vector<std::wstring> missing = minus(expected, actual);
    check(extra.empty() && missing.empty(),
          what + "\n    not expected:" + some_lines(extra) + "\n    missing:" + some_lines(missing));
}

}  // namespace e2e
