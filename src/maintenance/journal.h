// The journal of the changes the command line makes to keys: one JSON line
// each, appended to journal.jsonl and flushed, never rewritten.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "maintenance/download_archive.h"
#include "platform/platform.h"

namespace lanternbook {

constexpr wchar_t kJournalFileName[] = L"journal.jsonl";

// One change to one key. Paths are as the user reads them.
struct JournalEntry {
    SystemTime time;  // UTC
    std::wstring command;
    std::wstring user;
    std::wstring key;
    uint32_t volume_serial = 0;
    // "QVX/05/4660"; empty when CONFIG holds none.
    std::wstring serial_number;
    // CONFIG's bytes before and after; none where there was no CONFIG.
    std::optional<std::vector<uint8_t>> config_before;
    std::optional<std::vector<uint8_t>> config_after;
    // The downloads an erase deleted, with where each was archived.
    std::optional<std::vector<KeptDownload>> erased;
};

// The entry as one line of JSON, "format" first, ending in a line break:
// {"format":1,"time":"2026-12-07T10:30:00.000Z","command":"set","user":...,
// "key":...,"volume_serial":"1A2B-3C4D","serial_number":...,
// "config_before":"3131...","config_after":"3131...","erased":[{"path":...,
// "bytes":8,"sha256":"...","archived":... or null}]}
[[nodiscard]] std::string journal_line(const JournalEntry& entry);

// "2026-12-07T10:30:00.000Z".
[[nodiscard]] std::string journal_time(const SystemTime& time);
// Lower-case hex of bytes.
[[nodiscard]] std::string hex_of(const uint8_t* bytes, std::size_t size);

// Appends `line` to the journal held open for appending, in one write, and
// flushes it; false when it may not all have reached the file.
[[nodiscard]] bool append_line(File& journal, const std::string& line);

}  // namespace lanternbook
