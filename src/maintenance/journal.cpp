#include "maintenance/journal.h"

#include "text/text_utils.h"
#include "text/utf8_text.h"

namespace lanternbook {
namespace {

constexpr int kJournalFormat = 1;
constexpr wchar_t kReplacement = 0xFFFD;
constexpr wchar_t kFirstHighSurrogate = 0xD800;
constexpr wchar_t kLastHighSurrogate = 0xDBFF;
// A byte of a name that is no UTF-8, as the core carries it.
constexpr wchar_t kFirstRawByte = 0xDC80;
constexpr wchar_t kLastRawByte = 0xDCFF;

// A JSON string of `text`: a byte of a name that is no UTF-8 is U+FFFD here,
// so that every line is UTF-8 that any reader takes.
std::string json_string(const std::wstring& text) {
    std::wstring clean = text;
    for (std::size_t i = 0; i < clean.size(); ++i) {
        const bool paired = i > 0 && clean[i - 1] >= kFirstHighSurrogate && clean[i - 1] <= kLastHighSurrogate;
        if (clean[i] >= kFirstRawByte && clean[i] <= kLastRawByte && !paired) {
            clean[i] = kReplacement;
        }
    }
    std::string json(1, '"');
    for (const char c : utf8_from_wide(clean)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (byte < 0x20) {
            json += "\\u00";
            json += "0123456789abcdef"[byte >> 4];
            json += "0123456789abcdef"[byte & 0xF];
        } else {
            json += c;
        }
    }
    return json + '"';
}

std::string quoted(const std::string& text) { return '"' + text + '"'; }

// ,"name":value
std::string member(const char* name, const std::string& value) { return R"(,")" + std::string(name) + R"(":)" + value; }

std::string text_or_null(const std::wstring& text) { return text.empty() ? "null" : json_string(text); }

std::string bytes_or_null(const std::optional<std::vector<uint8_t>>& bytes) {
    return bytes ? quoted(hex_of(bytes->data(), bytes->size())) : std::string("null");
}

std::string digits(unsigned value, unsigned width) { return utf8_from_wide(decimal_text(static_cast<int32_t>(value), width)); }

}  // namespace

std::string hex_of(const uint8_t* bytes, std::size_t size) {
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
        text += "0123456789abcdef"[bytes[i] >> 4];
        text += "0123456789abcdef"[bytes[i] & 0xF];
    }
    return text;
}

std::string journal_time(const SystemTime& time) {
    return digits(time.year, 4) + "-" + digits(time.month, 2) + "-" + digits(time.day, 2) + "T" +
           digits(time.hour, 2) + ":" + digits(time.minute, 2) + ":" + digits(time.second, 2) + "." +
           digits(time.milliseconds, 3) + "Z";
}

std::string journal_line(const JournalEntry& entry) {
    // "format" first, as in every document of the program's.
    std::string line = "{" + member("format", std::to_string(kJournalFormat)).substr(1);
    line += member("time", quoted(journal_time(entry.time)));
    line += member("command", json_string(entry.command));
    line += member("user", json_string(entry.user));
    line += member("key", json_string(entry.key));
    line += member("volume_serial", quoted(utf8_from_wide(hex_text(entry.volume_serial >> 16, 4) + L"-" +
                                                          hex_text(entry.volume_serial & 0xFFFF, 4))));
    line += member("serial_number", text_or_null(entry.serial_number));
    line += member("config_before", bytes_or_null(entry.config_before));
    line += member("config_after", bytes_or_null(entry.config_after));
    if (entry.erased) {
        std::string list;
        for (const KeptDownload& download : *entry.erased) {
            const std::string fields =
                member("path", json_string(download.path)) + member("bytes", std::to_string(download.size)) +
                member("sha256", quoted(hex_of(download.sha256.data(), download.sha256.size()))) +
                member("archived", text_or_null(download.archived));
            list += (list.empty() ? "{" : ",{") + fields.substr(1) + "}";
        }
        line += member("erased", "[" + list + "]");
    }
    return line + "}\n";
}

bool append_line(File& journal, const std::string& line) {
    std::size_t written = 0;
    return journal.write(reinterpret_cast<const uint8_t*>(line.data()), line.size(), written) &&
           written == line.size() && journal.flush();
}

}  // namespace lanternbook
