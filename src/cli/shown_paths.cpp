#include "cli/shown_paths.h"

#include <algorithm>
#include <filesystem>
#include <type_traits>

#include "text/utf8_text.h"

namespace lanternbook::cli {
namespace {

constexpr std::size_t kListedPaths = 10;

}  // namespace

std::string shown_text(const std::wstring& text) {
    std::wstring shown;
    for (const wchar_t c : text) {
        const auto unit = static_cast<uint32_t>(static_cast<std::make_unsigned_t<wchar_t>>(c));
        if (unit < 0x20 || (unit >= 0x7F && unit < 0xA0)) {
            constexpr wchar_t kDigits[] = L"0123456789abcdef";
            shown += L"\\x";
            shown += kDigits[(unit >> 4) & 0xF];
            shown += kDigits[unit & 0xF];
        } else {
            shown += c;
        }
    }
    return utf8_from_wide(shown);
}

std::string json_path(const std::wstring& path, wchar_t separator) {
    std::wstring shown = path;
    std::replace(shown.begin(), shown.end(), L'\\', separator);
    return utf8_from_wide(shown);
}

std::string shown_path(const std::wstring& path, wchar_t separator) {
    std::wstring shown = path;
    std::replace(shown.begin(), shown.end(), L'\\', separator);
    return shown_text(shown);
}

std::wstring as_named(const std::wstring& named) {
    std::error_code failed;
    const std::filesystem::path real = std::filesystem::canonical(std::filesystem::u8path(utf8_from_wide(named)), failed);
    return failed ? named : wide_from_utf8(real.u8string());
}

std::string listed_paths(const std::vector<std::wstring>& paths, wchar_t separator) {
    std::string text;
    for (std::size_t i = 0; i < paths.size() && i < kListedPaths; ++i) {
        text += "\n  " + shown_path(paths[i], separator);
    }
    if (paths.size() > kListedPaths) {
        text += "\n  and " + std::to_string(paths.size() - kListedPaths) + " more";
    }
    return text;
}

std::string reason_of(FileSystem& files) {
    const std::wstring reason = files.failure_reason();
    return reason.empty() ? std::string() : ": " + utf8_from_wide(reason);
}

}  // namespace lanternbook::cli
