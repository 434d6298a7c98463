#include "cli/change_journal.h"

#include "cli/shown_paths.h"
#include "config/stored_settings.h"
#include "device/config_codec.h"
#include "text/text_utils.h"
#include "text/utf8_text.h"

namespace lanternbook::cli {

std::wstring serial_number_in(const std::vector<uint8_t>& config) {
    DeviceConfig decoded;
    decode_config(config.data(), config.size(), decoded);
    const StoredSettings settings = settings_from(decoded);
    return settings.has_serial_number() ? serial_number_text(settings) : std::wstring();
}

std::optional<ChangeJournal> ChangeJournal::opened(Invocation& call, const char* command, bool records, Exit& exit) {
    ChangeJournal journal(call, command);
    if (!records || call.options.has("--no-journal")) {
        return journal;
    }
    FileSystem& files = call.services.files;
    std::wstring place_path;
    journal.place_ = files.journal_place(place_path);
    const std::wstring file_path = with_trailing_backslash(place_path) + kJournalFileName;
    journal.path_ = shown_path(place_path.empty() ? std::wstring(kJournalFileName) : file_path,
                               call.services.separator);
    if (journal.place_) {
        journal.file_ = journal.place_->open_file(kJournalFileName, FileAccess::append, FileDisposition::open_always);
    }
    if (!journal.file_) {
        exit = call.errors.fail(Exit::io_failure, journal.path_ + ": the journal cannot be written" +
                                                      reason_of(files) +
                                                      "; nothing changed (--no-journal goes without it)");
        return std::nullopt;
    }
    return journal;
}

JournalEntry ChangeJournal::entry_for(const KeyIdentity& key, const std::optional<std::vector<uint8_t>>& before) const {
    JournalEntry entry;
    entry.command = wide_from_utf8(command_);
    entry.user = call_->services.session.user_name();
    entry.key = wide_from_utf8(json_path(key.root, call_->services.separator));
    entry.volume_serial = key.volume_serial;
    entry.config_before = before;
    entry.config_after = before;
    if (before) {
        entry.serial_number = serial_number_in(*before);
    }
    return entry;
}

bool ChangeJournal::record(JournalEntry entry, std::string& error) {
    if (!file_) {
        return true;
    }
    entry.time = call_->services.clock.utc_now();
    if (entry.serial_number.empty() && entry.config_after) {
        entry.serial_number = serial_number_in(*entry.config_after);
    }
    if (append_line(*file_, journal_line(entry))) {
        return true;
    }
    error = path_ + ": the journal could not be written" + reason_of(call_->services.files);
    return false;
}

}  // namespace lanternbook::cli
