// Positions of the texts in every string table (1-based).
#pragma once

namespace lanternbook::entry {

constexpr unsigned files_to_download = 1;
constexpr unsigned save_settings_unused = 2;
constexpr unsigned footnote = 3;
constexpr unsigned product_header = 4;
constexpr unsigned software_update = 5;
constexpr unsigned save_settings = 6;
constexpr unsigned overview = 7;
constexpr unsigned activities = 8;
constexpr unsigned events_and_faults = 9;
constexpr unsigned detailed_speed = 10;
constexpr unsigned technical_data = 11;
constexpr unsigned since_last_download = 12;
constexpr unsigned from = 13;
constexpr unsigned till = 14;
constexpr unsigned last = 18;
constexpr unsigned days = 19;
constexpr unsigned everything = 20;
constexpr unsigned format_the_device = 21;
constexpr unsigned store_device_settings = 22;
constexpr unsigned format = 23;
constexpr unsigned caution = 24;
constexpr unsigned format_confirmation = 25;
constexpr unsigned exit = 26;
constexpr unsigned incorrect_device_size = 27;
constexpr unsigned erasing_the_memory = 28;
constexpr unsigned erase = 29;
constexpr unsigned reset_after_upgrade = 30;
constexpr unsigned device_serial_number = 31;
constexpr unsigned software_version = 32;
constexpr unsigned no_data_available = 33;
constexpr unsigned upgrade = 34;
constexpr unsigned firmware_path = 35;
constexpr unsigned erase_confirmation = 36;
constexpr unsigned card_via_tachograph = 39;
constexpr unsigned range_button = 40;
constexpr unsigned vdo_special_data = 41;
// Error messages.
constexpr unsigned save_failed = 42;
constexpr unsigned device_changed = 43;
constexpr unsigned backup_failed = 44;
// A line break and the backup folder follow this text.
constexpr unsigned restore_failed = 45;
constexpr unsigned erase_incomplete = 46;
constexpr unsigned format_failed = 47;
constexpr unsigned settings_unreadable = 48;

constexpr unsigned count = 48;

}  // namespace lanternbook::entry
