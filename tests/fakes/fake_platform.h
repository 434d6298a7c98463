// An in-memory stand-in for the operating system, as hostile as the real one:
// volumes that can be pulled and swapped at a drive letter, a case-insensitive
// file system with attributes, links to folders and to files (a file link
// looks like a plain file, as under Wine, and opening it opens its target),
// pipes and devices under file names, USB devices, message boxes, a settable
// clock and a scriptable shell format. Every call is counted; a test makes
// calls fail, lie or find another world by their number.
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
    // A stale device keeps showing an old volume at this letter until it goes.
    wchar_t shows_drive = L'\0';
    bool goes = true;
};

struct MessageBoxCall {
    std::wstring text;
    std::wstring caption;
    unsigned style = 0;
};

// What stands under a name besides files, folders and links.
enum class Special { pipe, device };

// One entry of a volume, for comparing whole worlds.
struct Entry {
    std::vector<uint8_t> data;
    uint32_t attributes = 0;
    std::wstring link_target;

    bool operator==(const Entry& other) const {
        return data == other.data && attributes == other.attributes && link_target == other.link_target;
    }
};

class FakePlatform : public Platform {
public:
    FakePlatform();
    // A copy is a world of its own: its volumes and files are copied too.
    FakePlatform(const FakePlatform& other);
    FakePlatform& operator=(const FakePlatform& other);
    ~FakePlatform() override = default;

    // --- set-up and inspection for tests ---
    // A new, empty volume at a drive letter with the shell display name it
    // reports ("" for none). Its label is the display name without " (X:)";
    // its serial number is `serial`, or one of its own. A volume already at
    // that letter is detached, files and all.
    void add_drive(wchar_t letter, const std::wstring& display_name, uint32_t serial = 0);
    // Pulls the volume out of its letter; it keeps its files. Its number, or -1.
    int remove_drive(wchar_t letter);
    // Plugs a volume (back) in at a letter.
    void plug_in(wchar_t letter, int volume);
    // The volume at a letter, or -1.
    int volume_at(wchar_t letter) const;
    // Every entry of a volume, attached or not, by its path below the root.
    std::map<std::wstring, Entry> volume_contents(int volume) const;
    // Every entry of every attached volume, by full path.
    std::map<std::wstring, Entry> world() const;
    // Deletes everything stored on the drive, as a format would.
    void wipe_drive(wchar_t letter);
    // The volume as a format leaves it: empty, with a new serial number and
    // the given label.
    void reformat_drive(wchar_t letter, const std::wstring& new_label);
    void set_volume_serial(wchar_t letter, uint32_t serial);
    // A drive the user can take out; the key's letter K: is one unless said otherwise.
    std::set<wchar_t> removable_drives{L'K'};

    void add_folder(const std::wstring& path, uint32_t attributes = 0);
    void add_file(const std::wstring& path, const std::vector<uint8_t>& bytes, uint32_t attributes = 0);
    void add_file(const std::wstring& path, const std::string& text, uint32_t attributes = 0);
    // A folder link at `path` leading to the folder `target`.
    void add_folder_link(const std::wstring& path, const std::wstring& target);
    // A link at `path` leading to the file `target`, which may be on another
    // volume or not exist at all. Listed and looked up as a plain file.
    void add_file_link(const std::wstring& path, const std::wstring& target);
    void add_special(const std::wstring& path, Special kind);

    std::wstring volume_label(wchar_t letter) const;
    bool exists(const std::wstring& path) const;
    bool is_folder(const std::wstring& path) const;
    std::optional<std::vector<uint8_t>> file_bytes(const std::wstring& path) const;
    uint32_t attributes(const std::wstring& path) const;
    // Every path stored below a prefix (upper-cased), sorted, on attached volumes.
    std::vector<std::wstring> paths_under(const std::wstring& prefix) const;

    std::vector<FakeUsbDevice> usb_devices;
    bool usb_set_available = true;
    std::vector<std::size_t> removed_usb_devices;

    std::set<std::wstring> unopenable_paths;   // upper-cased; open_file fails
    std::set<std::wstring> unreadable_paths;   // upper-cased; they open, and every read fails
    std::set<std::wstring> failing_lookups;    // upper-cased; looking up their attributes fails
    bool places_unknown = false;               // open files cannot tell where they are
    std::set<std::wstring> locked_paths;       // upper-cased; delete fails
    std::set<std::wstring> failing_replaces;   // upper-cased target; replace fails
    // Upper-cased; removing the file reports success and leaves it, as under
    // Wine through a folder moved away under its handle.
    std::set<std::wstring> phantom_removes;
    std::optional<std::size_t> write_limit;    // a file takes at most this many bytes of writes
    std::optional<uint64_t> volume_size;       // none: the size cannot be read
    bool label_setting_works = true;
    std::wstring temp_path = L"C:\\Users\\user\\AppData\\Local\\Temp";
    std::wstring journal_path = L"C:\\Users\\user\\AppData\\Local\\lanternbook";
    std::wstring module_file = L"C:\\Program Files\\Host\\lanternbook.dll";

    std::deque<int> message_box_answers;       // taken in order; then default_answer
    // Runs while a message box is open, before it is answered.
    std::function<void()> while_asking;
    int default_answer = kAnswerOk;
    std::vector<MessageBoxCall> message_boxes;
    // The texts of the error boxes shown, in order.
    std::vector<std::wstring> error_texts() const;

    SystemTime now{2026, 12, 1, 7, 10, 30, 0, 0};  // Monday 2026-12-07 10:30 UTC
    unsigned slept_ms = 0;
    // The monotonic clock moves on by this much at every counted call.
    uint64_t ms_per_call = 1;
    uint64_t ticks = 0;

    ShellFormatOutcome format_outcome = ShellFormatOutcome::called;
    std::function<void(int drive_index)> on_shell_format;
    std::vector<int> formatted_drive_indexes;

    // Runs before every drive mask request: lets a test pull the key mid-run.
    std::function<void(int call_number)> on_drive_mask;
    int drive_mask_calls = 0;

    // Every file-system and volume call, file reads, writes, flushes and
    // closes included, is counted, and before_call runs first, before the
    // call looks anything up (a test can pull or swap the key there). A call
    // whose number is failing_call or in failing_calls then fails without
    // effect; a write numbered lying_write_call stores a byte less than it
    // says.
    int calls = 0;
    // Files moved into another's place before what was written to them was flushed.
    std::vector<std::wstring> unflushed_replaces;
    std::optional<int> failing_call;
    std::set<int> failing_calls;
    std::optional<int> lying_write_call;
    // How often held folders opened or made each folder (upper-cased full path).
    std::map<std::wstring, int> folders_opened;
    // The process dies at this call: it and every call after it fail without
    // effect, and the dead process shows nothing and formats nothing.
    std::optional<int> crashed_at;
    std::function<void(int call_number)> before_call;

    // --- Platform ---
    // By path, following links before the last part as the platforms' own calls would.
    std::unique_ptr<File> open_file(const std::wstring& path, FileAccess access, FileDisposition disposition);
    std::unique_ptr<Folder> open_folder(const std::wstring& path) override;
    // The temporary folder, as on Windows, when it is the user's alone.
    std::unique_ptr<Folder> backup_place(std::wstring& path) override;
    // journal_path, made when missing.
    std::unique_ptr<Folder> journal_place(std::wstring& path) override;
    Lookup attributes(const std::wstring& path, uint32_t& attributes) override;
    // By path, as the platform's own calls would do it; for setting up worlds.
    Lookup list_folder(const std::wstring& pattern, std::vector<FolderEntry>& entries);
    bool set_attributes(const std::wstring& path, uint32_t attributes);
    bool file_size(const std::wstring& path, uint64_t& bytes);
    bool delete_file(const std::wstring& path);
    bool create_folder(const std::wstring& path);
    bool remove_folder(const std::wstring& path);
    std::wstring failure_reason() override { return kFakeFailureReason; }
    uint32_t logical_drive_mask() override;
    bool drive_display_name(const std::wstring& root, std::wstring& name) override;
    bool volume_total_bytes(const std::wstring& root, uint64_t& total_bytes) override;
    bool volume_identity(const std::wstring& root, uint32_t& serial_number, std::wstring& label) override;
    bool set_volume_label(const std::wstring& root, const std::wstring& label) override;
    bool is_removable(const std::wstring& root) override;
    std::unique_ptr<UsbDeviceSet> open_usb_devices() override;
    int message_box(const std::wstring& text, const std::wstring& caption,
                    unsigned style) override;
    SystemTime utc_now() override;
    void sleep_ms(unsigned milliseconds) override;
    uint64_t ticks_ms() override;
    ShellFormatOutcome shell_format(int drive_index) override;
    std::wstring module_path() override;

    // What a held folder (its full path) lists for `pattern`, out of
    // `every` entry it holds; a variant may list otherwise.
    virtual Lookup held_listing(const std::wstring& folder, const std::wstring& pattern,
                                const std::vector<FolderEntry>& every, std::vector<FolderEntry>& entries);
    // A held folder is about to open or delete the file at `path`.
    virtual void touching_held(const std::wstring& /*path*/) {}

    // Counts a call; false for the call that is to fail.
    bool begin_call();
    // Whether the call just counted is the one the process dies at.
    bool dying_now() const { return crashed_at && calls == *crashed_at; }

    // --- other users and processes ---
    // Entries made from now on belong to this user ("" is the user we run as).
    std::wstring acting_user;
    // The process making the calls; a folder lock of another process, or of
    // another lock object of this one, is not granted.
    int process = 1;
    // The process ends: its locks go.
    void end_process(int which);
    // Makes an entry another user's, or lets others write in a folder.
    void set_owner(const std::wstring& path, const std::wstring& user, bool others_write = false);
    // Folder locks granted, by the folder they hold.
    std::map<const void*, int> folder_locks;
    // A volume with FAT's rules: labels of at most 11 characters, no links.
    void make_fat(wchar_t letter);

    enum class Kind { file, folder, folder_link, file_link, pipe, device };
    struct Node {
        std::wstring name;  // as created, for listings
        Kind kind = Kind::file;
        std::vector<uint8_t> data;
        uint32_t attributes = 0;
        std::wstring link_target;  // full upper-cased path a link leads to
        bool unflushed = false;    // written since the last flush
        std::wstring owner;        // "" for the user we run as
        bool others_write = false; // a folder other users may write in
        FileTime modified;         // when last written, as set
        // Files open on it: deleting it by name fails meanwhile, as our handles never share deletion.
        int open_handles = 0;

        bool is_folder() const { return kind == Kind::folder || kind == Kind::folder_link; }
    };
    struct Volume {
        std::wstring display_name;
        std::wstring label;
        uint32_t serial = 0;
        bool fat = false;
        // By upper-cased path below the root, without a leading backslash.
        std::map<std::wstring, std::shared_ptr<Node>> nodes;
    };

    // Where a path leads: the volume, and the key of the entry on it.
    struct Place {
        std::shared_ptr<Volume> volume;
        wchar_t letter = 0;
        std::wstring key;  // "" for the root

        bool valid() const { return volume != nullptr; }
        std::wstring full() const;
    };
    // Links on the way are followed; a link at the end only if `follow_last`.
    Place locate(const std::wstring& path, bool follow_last) const;
    std::shared_ptr<Node> node_at(const Place& place) const;
    // Whether a volume is plugged in at any letter: a pulled one answers nothing.
    bool attached(const std::shared_ptr<Volume>& volume) const;

private:
    static std::wstring upper(const std::wstring& text);
    bool parent_is_folder(const Place& place) const;
    std::shared_ptr<Node> add_node(const std::wstring& path, Node node);
    // Makes this world's volumes its own copies, with the letters leading to them.
    void copy_volumes_of(const FakePlatform& other);

    std::map<wchar_t, std::shared_ptr<Volume>> drives_;
    std::vector<std::shared_ptr<Volume>> volumes_;
    uint32_t next_serial_ = 0x5A5A0001;
};

// Case-insensitive wildcard match of a listing pattern against a name. A mask
// "*.abc" also takes names whose extension only begins with "abc", as the
// platform's short-name matching does.
bool fake_pattern_matches(const std::wstring& mask, const std::wstring& name);

}  // namespace lanternbook::testing
