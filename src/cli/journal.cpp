// lanternbook journal: the changes the command line made to keys, as its
// journal of changes recorded them.
#include <algorithm>
#include <cctype>

#include "cli/commands.h"
#include "cli/json_document.h"
#include "cli/shown_paths.h"
#include "maintenance/journal.h"
#include "text/text_utils.h"
#include "text/utf8_text.h"

namespace lanternbook::cli {
namespace {

constexpr std::size_t kReadChunk = 65536;
// "2026-12-07", and at most "2026-12-07T10:30:00": a prefix of the journal's times.
constexpr char kSincePattern[] = "0000-00-00T00:00:00";
constexpr std::size_t kDateLength = 10;

Exit run_journal(Invocation& call);
bool read_journal(Invocation& call, std::string& path, std::string& text, bool& missing, Exit& exit);
bool matches(const nlohmann::json& entry, const std::vector<std::string>& keys, const std::string& since);
std::string entry_text(const nlohmann::json& entry);

}  // namespace

CommandEntry journal_command() {
    return {"journal",
            "[-k KEY...] [--since DATE] [--json | -q]",
            "Prints the journal of the changes made to keys.",
            "set, erase, recover and watch append one line to the journal for every change they make "
            "($XDG_STATE_HOME/lanternbook/journal.jsonl, by default ~/.local/state/lanternbook/journal.jsonl; "
            "%LOCALAPPDATA%\\lanternbook\\journal.jsonl on Windows): when (UTC), which command, the user, the "
            "key's path, volume serial number and serial number, CONFIG's bytes before and after, and for an erase "
            "every download deleted with its size, SHA-256 and where it was archived. It is only ever appended "
            "to. This prints it, one change a line, oldest first.",
            {{"-k,--key", "KEY",
              "only the changes of this key: its path, its serial number (QVX/05/4660) or its volume serial "
              "number (1A2B-3C4D); again for each further key",
              true},
             {"--since", "DATE", "only the changes from DATE on: YYYY-MM-DD, or YYYY-MM-DDTHH:MM:SS, in UTC"},
             {"--json", nullptr, R"({"format": 1, "journal": PATH, "entries": [...]}, each line's object)"},
             kQuietOption},
            {{"lanternbook journal --since 2026-12-01", "this month's changes"},
             {"lanternbook journal --key QVX/05/4660 --json", "one key's, for scripts"}},
            run_journal};
}

namespace {

Exit run_journal(Invocation& call) {
    const std::string since = call.options.value("--since");
    const std::string pattern = kSincePattern;
    const bool since_ok =
        since.size() <= pattern.size() &&
        (since.size() == kDateLength || since.size() > kDateLength + 1) &&
        std::equal(since.begin(), since.end(), pattern.begin(), [](char given, char shape) {
            return shape == '0' ? std::isdigit(static_cast<unsigned char>(given)) != 0 : given == shape;
        });
    if (call.options.has("--since") && !since_ok) {
        return call.errors.fail(Exit::refused, "--since: '" + since + "' is no date; give YYYY-MM-DD");
    }
    std::vector<std::string> keys;
    for (const std::string& key : call.options.values("--key")) {
        keys.push_back(key);
        // A path as named: the same folder as the journal names it.
        keys.push_back(shown_path(as_named(wide_from_utf8(key)), call.services.separator));
    }
    std::string path;
    std::string text;
    bool missing = false;
    Exit exit = Exit::done;
    if (!read_journal(call, path, text, missing, exit)) {
        return exit;
    }
    const bool json = call.options.has("--json");
    nlohmann::ordered_json document = json_document();
    document["journal"] = path;
    document["entries"] = nlohmann::ordered_json::array();
    std::size_t number = 0;
    std::size_t shown = 0;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (line.empty()) {
            continue;
        }
        const nlohmann::ordered_json entry = nlohmann::ordered_json::parse(line, nullptr, false);
        if (entry.is_discarded() || !entry.is_object() || !entry.contains("time")) {
            call.errors.fail(Exit::done, path + ": line " + std::to_string(number) + " is no entry; passed over");
            continue;
        }
        if (!matches(entry, keys, since)) {
            continue;
        }
        ++shown;
        if (json) {
            document["entries"].push_back(entry);
        } else {
            call.out << entry_text(entry) << '\n';
        }
    }
    if (json) {
        call.out << json_text(document);
    } else if (shown == 0) {
        call.out << (missing ? "no change recorded yet: no " : "no change of these in ") << path << '\n';
    }
    return Exit::done;
}

bool read_journal(Invocation& call, std::string& path, std::string& text, bool& missing, Exit& exit) {
    FileSystem& files = call.services.files;
    std::wstring place_path;
    const std::unique_ptr<Folder> place = files.journal_place(place_path);
    path = shown_path(with_trailing_backslash(place_path) + kJournalFileName, call.services.separator);
    if (!place) {
        exit = call.errors.fail(Exit::io_failure, path + ": cannot be read" + reason_of(files));
        return false;
    }
    uint32_t attributes = 0;
    const Lookup found = place->attributes(kJournalFileName, attributes);
    if (found == Lookup::missing) {
        missing = true;
        return true;
    }
    std::unique_ptr<File> journal =
        found == Lookup::found ? place->open_file(kJournalFileName, FileAccess::read, FileDisposition::open_existing)
                               : nullptr;
    std::vector<uint8_t> chunk(kReadChunk);
    bool read_whole = journal != nullptr;
    for (std::size_t count = 1; read_whole && count > 0;) {
        read_whole = journal->read(chunk.data(), chunk.size(), count);
        text.append(chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(read_whole ? count : 0));
    }
    if (!read_whole) {
        exit = call.errors.fail(Exit::io_failure, path + ": cannot be read" + reason_of(files));
        return false;
    }
    return true;
}

std::string text_of(const nlohmann::json& entry, const char* field) {
    const auto found = entry.find(field);
    return found != entry.end() && found->is_string() ? found->get<std::string>() : std::string();
}

bool matches(const nlohmann::json& entry, const std::vector<std::string>& keys, const std::string& since) {
    if (!since.empty() && text_of(entry, "time").compare(0, since.size(), since) < 0) {
        return false;
    }
    if (keys.empty()) {
        return true;
    }
    return std::any_of(keys.begin(), keys.end(), [&entry](const std::string& key) {
        return key == text_of(entry, "key") || key == text_of(entry, "serial_number") ||
               key == text_of(entry, "volume_serial");
    });
}

// "2026-12-07T10:30:00.000Z set /media/me/VOLKARIS (QVX/05/4660) by me: CONFIG changed"
std::string entry_text(const nlohmann::json& entry) {
    const std::string serial = text_of(entry, "serial_number");
    // What a journal holds came from keys and users: shown escaped, as any such name.
    const auto shown = [&entry](const char* field) { return shown_text(wide_from_utf8(text_of(entry, field))); };
    std::string text = shown("time") + " " + shown("command") + " " + shown("key") +
                       (serial.empty() ? "" : " (" + shown("serial_number") + ")") + " by " + shown("user") +
                       ": CONFIG ";
    const auto before = entry.find("config_before");
    const auto after = entry.find("config_after");
    const bool had = before != entry.end() && before->is_string();
    const bool has = after != entry.end() && after->is_string();
    text += !has ? "none" : !had ? "made" : *before == *after ? "kept" : "changed";
    const auto erased = entry.find("erased");
    if (erased != entry.end() && erased->is_array()) {
        const auto archived = std::count_if(erased->begin(), erased->end(), [](const nlohmann::json& file) {
            return file.contains("archived") && file["archived"].is_string();
        });
        text += "; " + std::to_string(erased->size()) + (erased->size() == 1 ? " download" : " downloads") +
                " erased" + (archived == 0 ? std::string() : ", " + std::to_string(archived) + " archived first");
    }
    return text;
}

}  // namespace
}  // namespace lanternbook::cli
