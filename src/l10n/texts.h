// The texts of every string table, by their position in it (1-based).
#pragma once

namespace lanternbook {

enum class Text : unsigned {
    files_to_download = 1,
    save_settings_unused = 2,
    footnote = 3,
    product_header = 4,
    software_update = 5,
    save_settings = 6,
    overview = 7,
    activities = 8,
    events_and_faults = 9,
    detailed_speed = 10,
    technical_data = 11,
    since_last_download = 12,
    from = 13,
    till = 14,
    last = 18,
    days = 19,
    everything = 20,
    format_the_device = 21,
    store_device_settings = 22,
    format = 23,
    caution = 24,
    format_confirmation = 25,
    exit = 26,
    incorrect_device_size = 27,
    erasing_the_memory = 28,
    erase = 29,
    reset_after_upgrade = 30,
    device_serial_number = 31,
    software_version = 32,
    no_data_available = 33,
    upgrade = 34,
    firmware_path = 35,
    erase_confirmation = 36,
    card_via_tachograph = 39,
    range_button = 40,
    vdo_special_data = 41,
    // Error messages.
    save_failed = 42,
    key_changed = 43,
    backup_failed = 44,
    // A line break and the backup folder follow this text.
    restore_failed = 45,
    erase_incomplete = 46,
    format_failed = 47,
    settings_unreadable = 48,
    // A line break and the backup folder follow these three.
    format_unverifiable = 49,
    backup_not_removed = 50,
    other_volume = 51,
    // Questions and notes at start about a format that never finished; the
    // key's serial number, and the drive or the folder, follow on lines of their own.
    unfinished_put_back = 52,
    unfinished_put_on_empty = 53,
    unfinished_kept = 54,
    // A line break and the volume label follow this text.
    label_not_set = 55,
};

// Texts in every table.
constexpr unsigned kTextCount = 55;

}  // namespace lanternbook
