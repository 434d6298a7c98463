#include "bench/key_files.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>

#include "platform/win32/handles.h"

namespace bench {
namespace {

using lanternbook::win32::FileHandle;
using lanternbook::win32::FindHandle;

constexpr const wchar_t* kFolders[] = {L"CARD\\", L"TACHO\\"};
constexpr const wchar_t* kExtensions[] = {L"dtg", L"ddd", L"dtc", L"esm"};
constexpr std::size_t kFolderCount = sizeof kFolders / sizeof kFolders[0];
constexpr std::size_t kExtensionCount = sizeof kExtensions / sizeof kExtensions[0];
constexpr char kContent[] = "downloaded data of a tachograph or a driver card\r\n";

bool has_download_extension(const wchar_t* name) {
    const std::size_t length = wcslen(name);
    if (length <= 4 || name[length - 4] != L'.') {
        return false;
    }
    for (const wchar_t* extension : kExtensions) {
        if (towlower(name[length - 3]) == extension[0] && towlower(name[length - 2]) == extension[1] &&
            towlower(name[length - 1]) == extension[2]) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::vector<std::wstring> download_paths(const std::wstring& root, int count) {
    std::vector<std::wstring> paths;
    paths.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const auto index = static_cast<std::size_t>(i);
        wchar_t name[64] = {};
        swprintf(name, 64, L"M_20261102_%05d.%ls", i, kExtensions[(index / kFolderCount) % kExtensionCount]);
        paths.push_back(root + kFolders[index % kFolderCount] + name);
    }
    return paths;
}

int create_files(const std::vector<std::wstring>& paths) {
    int made = 0;
    for (const std::wstring& path : paths) {
        FileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (file && ::WriteFile(file.get(), kContent, sizeof kContent - 1, &written, nullptr)) {
            ++made;
        }
    }
    return made;
}

int count_downloads(const std::wstring& root) {
    int found_count = 0;
    for (const wchar_t* folder : kFolders) {
        WIN32_FIND_DATAW found{};
        FindHandle listing(::FindFirstFileW((root + folder + L"*").c_str(), &found));
        if (!listing) {
            continue;
        }
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
                has_download_extension(found.cFileName)) {
                ++found_count;
            }
        } while (::FindNextFileW(listing.get(), &found));
    }
    return found_count;
}

std::vector<uint8_t> read_whole_file(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (!file) {
        return bytes;
    }
    uint8_t buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    return bytes;
}

uint64_t file_size(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

}  // namespace bench
