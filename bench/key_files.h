// The downloads the erase cases sweep, and plain file helpers on the key.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// count download paths under root, spread over CARD\ and TACHO\ and over the
// four download extensions.
std::vector<std::wstring> download_paths(const std::wstring& root, int count);
// Creates each file with a few bytes; returns how many were made.
int create_files(const std::vector<std::wstring>& paths);
// Files in CARD\ and TACHO\ whose extension is one of the four.
int count_downloads(const std::wstring& root);

std::vector<uint8_t> read_whole_file(const std::wstring& path);
uint64_t file_size(const std::wstring& path);

}  // namespace bench
