// An in-memory stand-in for the operating system: drives with display names,
// a case-insensitive file system with attributes, USB devices, message boxes,
// a settable clock and a scriptable shell format. Faults are injected by the
// test that owns it.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace lanternbook::testing {

constexpr uint32_t kAttrReadOnly = kAttributeReadOnly;
constexpr uint32_t kAttrHidden = kAttributeHidden;
constexpr uint32_t kAttrSystem = kAttributeSystem;
constexpr uint32_t kAttrArchive = kAttributeArchive;
// What failure_reason() says, whatever failed.
constexpr wchar_t kFakeFailureReason[] = L"injected failure";

struct FakeUsbDevice {
    std::wstring description;
    bool readable = true;
};

struct MessageBoxCall {
    std::wstring text;
    std::wstring caption;
    unsigned style = 0;
};

class FakePlatform : public Platform {
public:
    FakePlatform();

    // --- set-up and inspection for tests ---
    // A drive letter with the shell display name it reports ("" for none).
    // Its volume label is the display name without " (X:)"; its serial
    // number is `serial`, or one of its own.
    void add_drive(wchar_t letter, const std::wstring& display_name, uint32_t serial = 0);
    void remove_drive(wchar_t letter);
    // Deletes everything stored on the drive, as a format would.
    void wipe_drive(wchar_t letter);
    void add_folder(const std::wstring& path, uint32_t attributes = 0);
    void add_file(const std::wstring& path, const std::vector<uint8_t>& bytes,
                  uint32_t attributes = 0);
    void add_file(const std::wstring& path, const std::string& text, uint32_t attributes = 0);
    // A folder link at `path` leading to the folder `target`, as a key
    // formatted with a link-capable file system can hold.
    void add_folder_link(const std::wstring& path, const std::wstring& target);
    // The volume as a format leaves it: empty, with a new serial number and
    // the given label.
    void reformat_drive(wchar_t letter, const std::wstring& new_label);
    std::wstring volume_label(wchar_t letter) const;
    bool exists(const std::wstring& path) const;
    bool is_folder(const std::wstring& path) const;
    std::optional<std::vector<uint8_t>> file_bytes(const std::wstring& path) const;
    uint32_t attributes(const std::wstring& path) const;
    // Every path stored below a prefix (upper-cased), sorted.
    std::vector<std::wstring> paths_under(const std::wstring& prefix) const;

    std::vector<FakeUsbDevice> usb_devices;
    bool usb_set_available = true;
    std::vector<std::size_t> removed_usb_devices;

    std::set<std::wstring> unopenable_paths;   // upper-cased; open_file fails
    std::set<std::wstring> locked_paths;       // upper-cased; delete fails
    std::set<std::wstring> failing_copies;     // upper-cased source or target; copy fails
    std::set<std::wstring> failing_replaces;   // upper-cased target; replace fails
    std::optional<std::size_t> write_limit;    // a write stores at most this many bytes
    std::optional<uint64_t> volume_size;       // none: the size cannot be read
    bool label_setting_works = true;
    std::wstring temp_path = L"C:\\Users\\user\\AppData\\Local\\Temp";
    std::wstring module_file = L"C:\\Program Files\\Host\\lanternbook.dll";

    std::deque<int> message_box_answers;       // taken in order; then default_answer
    int default_answer = kAnswerOk;
    std::vector<MessageBoxCall> message_boxes;
    // The texts of the error boxes shown, in order.
    std::vector<std::wstring> error_texts() const;

    SystemTime now{2026, 12, 1, 7, 10, 30, 0, 0};  // Monday 2026-12-07 10:30 UTC
    unsigned slept_ms = 0;

    ShellFormatOutcome format_outcome = ShellFormatOutcome::called;
    std::function<void(int drive_index)> on_shell_format;
    std::vector<int> formatted_drive_indexes;

    // Runs before every drive mask request: lets a test pull the key mid-run.
    std::function<void(int call_number)> on_drive_mask;
    int drive_mask_calls = 0;

    // Every file-system and volume call, file reads and writes included, is
    // counted. before_call runs first (a test can pull the key there); the
    // call numbered failing_call then fails.
    int calls = 0;
    std::optional<int> failing_call;
    std::function<void(int call_number)> before_call;

    // --- Platform ---
    std::unique_ptr<File> open_file(const std::wstring& path, FileAccess access,
                                    FileDisposition disposition) override;
    Lookup list_folder(const std::wstring& pattern, std::vector<FolderEntry>& entries) override;
    Lookup attributes(const std::wstring& path, uint32_t& attributes) override;
    bool set_attributes(const std::wstring& path, uint32_t attributes) override;
    bool file_size(const std::wstring& path, uint64_t& bytes) override;
    bool delete_file(const std::wstring& path) override;
    bool create_folder(const std::wstring& path) override;
    bool remove_folder(const std::wstring& path) override;
    bool copy_file(const std::wstring& source, const std::wstring& target) override;
    bool replace_file(const std::wstring& source, const std::wstring& target) override;
    std::wstring temp_folder() override;
    std::wstring failure_reason() override { return kFakeFailureReason; }
    uint32_t logical_drive_mask() override;
    bool drive_display_name(const std::wstring& root, std::wstring& name) override;
    bool volume_total_bytes(const std::wstring& root, uint64_t& total_bytes) override;
    bool volume_identity(const std::wstring& root, uint32_t& serial_number, std::wstring& label) override;
    bool set_volume_label(const std::wstring& root, const std::wstring& label) override;
    std::unique_ptr<UsbDeviceSet> open_usb_devices() override;
    int message_box(const std::wstring& text, const std::wstring& caption,
                    unsigned style) override;
    SystemTime utc_now() override;
    void sleep_ms(unsigned milliseconds) override;
    ShellFormatOutcome shell_format(int drive_index) override;
    std::wstring module_path() override;

    // False for the call that is to fail.
    bool begin_call();

    struct Node {
        std::wstring name;  // as created, for listings
        bool folder = false;
        std::vector<uint8_t> data;
        uint32_t attributes = 0;
        std::wstring link_target;  // key of the folder a link leads to
    };

private:
    // Upper-cased, without a trailing backslash except for a bare root "K:\".
    static std::wstring key_of(const std::wstring& path);
    static std::wstring parent_of(const std::wstring& key);
    bool drive_mounted(const std::wstring& key) const;
    bool parent_is_folder(const std::wstring& key) const;
    std::shared_ptr<Node> node(const std::wstring& path) const;
    // The key with every link on the way replaced by its target.
    std::wstring resolved(const std::wstring& key) const;

    struct Drive {
        std::wstring display_name;
        std::wstring label;
        uint32_t serial = 0;
    };
    std::map<wchar_t, Drive> drives_;
    std::map<std::wstring, std::shared_ptr<Node>> nodes_;
    uint32_t next_serial_ = 0x5A5A0001;
};

// Case-insensitive wildcard match of a listing pattern against a name. A mask
// "*.abc" also takes names whose extension only begins with "abc", as the
// platform's short-name matching does.
bool fake_pattern_matches(const std::wstring& mask, const std::wstring& name);

}  // namespace lanternbook::testing
