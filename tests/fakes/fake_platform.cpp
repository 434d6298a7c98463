#include "fakes/fake_platform.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

#include "text/text_utils.h"

namespace lanternbook::testing {
namespace {

constexpr int kLinkDepthLimit = 16;

class FakeFile : public File {
public:
    FakeFile(FakePlatform& platform, std::shared_ptr<FakePlatform::Node> node, FakePlatform::Place place,
             FileAccess access)
        : platform_(platform), node_(std::move(node)), place_(std::move(place)), access_(access) {
        ++node_->open_handles;
    }
    ~FakeFile() override {
        if (!closed_) {
            --node_->open_handles;
        }
    }
    FakeFile(const FakeFile&) = delete;
    FakeFile& operator=(const FakeFile&) = delete;

    bool read(uint8_t* buffer, std::size_t capacity, std::size_t& bytes_read) override {
        bytes_read = 0;
        if (!platform_.begin_call() || !usable() || access_ == FileAccess::write ||
            platform_.unreadable_paths.count(to_upper_ascii(place_.full())) != 0) {
            return false;
        }
        const std::size_t available = node_->data.size() - std::min(position_, node_->data.size());
        bytes_read = std::min(capacity, available);
        std::copy_n(node_->data.begin() + static_cast<std::ptrdiff_t>(position_), bytes_read, buffer);
        position_ += bytes_read;
        return true;
    }

    bool write(const uint8_t* data, std::size_t size, std::size_t& bytes_written) override {
        bytes_written = 0;
        if (access_ == FileAccess::append) {
            position_ = node_->data.size();
        }
        if (!platform_.begin_call()) {
            // A process dying in a write leaves part of it written.
            if (platform_.dying_now() && usable() && access_ != FileAccess::read) {
                store(data, size / 2);
            }
            return false;
        }
        const bool lying = platform_.lying_write_call && *platform_.lying_write_call == platform_.calls;
        std::size_t count = size;
        if (!usable() || access_ == FileAccess::read) {
            return false;
        }
        if (platform_.write_limit) {
            count = std::min(count, *platform_.write_limit - std::min(*platform_.write_limit, written_total_));
        }
        if (lying && count > 0) {
            --count;
        }
        store(data, count);
        bytes_written = lying ? size : count;
        return bytes_written == size;
    }

    bool size(uint64_t& bytes) override {
        if (!platform_.begin_call() || !usable()) {
            return false;
        }
        bytes = node_->data.size();
        return true;
    }

    bool truncate() override {
        if (!platform_.begin_call() || !usable() || access_ == FileAccess::read) {
            return false;
        }
        node_->data.clear();
        position_ = 0;
        return true;
    }

    bool flush() override {
        if (!platform_.begin_call() || !usable()) {
            return false;
        }
        node_->unflushed = false;
        return true;
    }

    bool close() override {
        const bool was_open = !closed_;
        if (was_open) {
            --node_->open_handles;
        }
        closed_ = true;
        return platform_.begin_call() && was_open;
    }

    FilePlace location(uint32_t& volume_serial, std::wstring& path) override {
        if (closed_ || platform_.places_unknown) {
            return FilePlace::unknown;
        }
        volume_serial = place_.volume->serial;
        path = place_.full();
        return FilePlace::told;
    }

    // Like a handle, these act on this very node on its own volume.
    bool set_attributes(uint32_t attributes) override {
        if (!platform_.begin_call() || !usable() || !still_there()) {
            return false;
        }
        node_->attributes = attributes & ~kAttributeFolder;
        return true;
    }

    // Like a handle, these rename within the file's own folder on its own volume.
    bool replace(const std::wstring& target) override { return rename(target, true); }
    bool move_to(const std::wstring& name) override { return rename(name, false); }

    bool remove() override {
        if (!platform_.begin_call() || !usable() || access_ == FileAccess::read || !still_there() || (node_->attributes & kAttrReadOnly) != 0 ||
            platform_.locked_paths.count(to_upper_ascii(place_.full())) != 0) {
            return false;
        }
        if (platform_.phantom_removes.count(to_upper_ascii(place_.full())) == 0) {
            place_.volume->nodes.erase(place_.key);
        }
        return true;
    }

    bool modified_time(FileTime& time) override {
        if (!platform_.begin_call() || !usable()) {
            return false;
        }
        time = node_->modified;
        return true;
    }
    bool set_modified_time(const FileTime& time) override {
        if (!platform_.begin_call() || !usable() || access_ == FileAccess::read || !still_there()) {
            return false;
        }
        node_->modified = time;
        return true;
    }

private:
    bool rename(const std::wstring& target, bool replacing) {
        if (!platform_.begin_call() || !usable() || access_ == FileAccess::read || !still_there()) {
            return false;
        }
        const std::wstring own = target.substr(target.rfind(L'\\') + 1);
        const std::wstring to_key = place_.key.substr(0, place_.key.rfind(L'\\') + 1) + to_upper_ascii(own);
        const auto there = place_.volume->nodes.find(to_key);
        const FakePlatform::Place to{place_.volume, place_.letter, to_key};
        if (platform_.failing_replaces.count(to_upper_ascii(to.full())) != 0 ||
            (there != place_.volume->nodes.end() &&
             (!replacing || there->second->is_folder() || (there->second->attributes & kAttrReadOnly) != 0))) {
            return false;
        }
        if (node_->unflushed) {
            platform_.unflushed_replaces.push_back(place_.full());
        }
        place_.volume->nodes.erase(place_.key);
        node_->name = own;
        place_.volume->nodes[to_key] = node_;
        place_.key = to_key;
        return true;
    }
    void store(const uint8_t* data, std::size_t count) {
        if (node_->data.size() < position_ + count) {
            node_->data.resize(position_ + count);
        }
        std::copy_n(data, count, node_->data.begin() + static_cast<std::ptrdiff_t>(position_));
        position_ += count;
        written_total_ += count;
        node_->unflushed = true;
    }
    // A file stays usable while open and while its volume is plugged in.
    bool usable() const { return !closed_ && platform_.attached(place_.volume); }
    bool still_there() const {
        const auto found = place_.volume->nodes.find(place_.key);
        return found != place_.volume->nodes.end() && found->second == node_;
    }

    FakePlatform& platform_;
    std::shared_ptr<FakePlatform::Node> node_;
    FakePlatform::Place place_;
    FileAccess access_;
    std::size_t position_ = 0;
    std::size_t written_total_ = 0;
    bool closed_ = false;
};

class FakeFolderLock : public FolderLock {
public:
    FakeFolderLock(FakePlatform& platform, const void* folder) : platform_(platform), folder_(folder) {}
    ~FakeFolderLock() override { platform_.folder_locks.erase(folder_); }

private:
    FakePlatform& platform_;
    const void* folder_;
};

// A held folder: it reaches its own node on its own volume, or nothing once
// that node has gone from its place.
class FakeFolder : public Folder {
public:
    FakeFolder(FakePlatform& platform, std::shared_ptr<FakePlatform::Volume> volume,
               std::shared_ptr<FakePlatform::Node> node, wchar_t letter, std::wstring key)
        : platform_(platform), volume_(std::move(volume)), node_(std::move(node)), letter_(letter), key_(std::move(key)) {}

    Lookup list(const std::wstring& pattern, std::vector<FolderEntry>& entries) override {
        entries.clear();
        if (!platform_.begin_call() || !reachable()) {
            return Lookup::failed;
        }
        std::vector<FolderEntry> every;
        for (const auto& entry : volume_->nodes) {
            if (parent_of_key(entry.first) == key_) {
                every.push_back({entry.second->name, shown_attributes(*entry.second)});
            }
        }
        return platform_.held_listing(FakePlatform::Place{volume_, letter_, key_}.full(), pattern, every, entries);
    }

    Lookup attributes(const std::wstring& name, uint32_t& attributes) override {
        if (!platform_.begin_call() || !reachable() || !plain_name(name) ||
            platform_.failing_lookups.count(to_upper_ascii(full(name))) != 0) {
            return Lookup::failed;
        }
        const std::shared_ptr<FakePlatform::Node> found = child(name);
        if (!found) {
            return Lookup::missing;
        }
        attributes = shown_attributes(*found);
        return Lookup::found;
    }

    std::unique_ptr<File> open_file(const std::wstring& name, FileAccess access,
                                    FileDisposition disposition) override {
        if (!platform_.begin_call() || !reachable() || !plain_name(name) ||
            platform_.unopenable_paths.count(to_upper_ascii(full(name))) != 0) {
            return nullptr;
        }
        platform_.touching_held(full(name));
        std::shared_ptr<FakePlatform::Node> found = child(name);
        if (found && disposition == FileDisposition::create_new) {
            return nullptr;
        }
        const bool writes =
            access == FileAccess::write || access == FileAccess::read_write || access == FileAccess::append;
        if (found) {
            // A link proves to be elsewhere once opened: refused, as the platforms refuse it.
            if (found->kind != FakePlatform::Kind::file || (writes && (found->attributes & kAttrReadOnly) != 0)) {
                return nullptr;
            }
        } else {
            if (disposition == FileDisposition::open_existing) {
                return nullptr;
            }
            FakePlatform::Node file;
            file.name = name;
            file.attributes = kAttrArchive;
            file.owner = platform_.acting_user;
            found = std::make_shared<FakePlatform::Node>(file);
            volume_->nodes[child_key(name)] = found;
        }
        FakePlatform::Place place{volume_, letter_, child_key(name)};
        return std::make_unique<FakeFile>(platform_, found, place, access);
    }

    bool leads_elsewhere(const std::wstring& name) override {
        if (!platform_.begin_call() || !reachable() || !plain_name(name)) {
            return false;
        }
        const std::shared_ptr<FakePlatform::Node> found = child(name);
        return found && !found->link_target.empty();
    }

    std::unique_ptr<Folder> open_folder(const std::wstring& name) override {
        if (!platform_.begin_call() || !reachable() || !plain_name(name)) {
            return nullptr;
        }
        const std::shared_ptr<FakePlatform::Node> found = child(name);
        if (!found || found->kind != FakePlatform::Kind::folder) {
            return nullptr;
        }
        ++platform_.folders_opened[full(name)];
        return std::make_unique<FakeFolder>(platform_, volume_, found, letter_, child_key(name));
    }

    std::unique_ptr<Folder> create_folder(const std::wstring& name) override {
        if (!platform_.begin_call() || !reachable() || !plain_name(name) || child(name)) {
            return nullptr;
        }
        FakePlatform::Node folder;
        folder.name = name;
        folder.kind = FakePlatform::Kind::folder;
        folder.attributes = kAttributeFolder;
        folder.owner = platform_.acting_user;
        auto made = std::make_shared<FakePlatform::Node>(folder);
        volume_->nodes[child_key(name)] = made;
        ++platform_.folders_opened[full(name)];
        return std::make_unique<FakeFolder>(platform_, volume_, made, letter_, child_key(name));
    }

    bool delete_file(const std::wstring& name) override {
        if (!platform_.begin_call() || !reachable() || !plain_name(name)) {
            return false;
        }
        const std::shared_ptr<FakePlatform::Node> found = child(name);
        platform_.touching_held(full(name));
        // A file link cannot be told from its target here, so it stays, as under Wine it must.
        if (!found || found->is_folder() || found->kind == FakePlatform::Kind::file_link || found->open_handles > 0 ||
            platform_.locked_paths.count(to_upper_ascii(full(name))) != 0) {
            return false;
        }
        if (platform_.phantom_removes.count(to_upper_ascii(full(name))) == 0) {
            volume_->nodes.erase(child_key(name));
        }
        return true;
    }

    bool remove_folder(const std::wstring& name) override {
        if (!platform_.begin_call() || !reachable() || !plain_name(name)) {
            return false;
        }
        const std::shared_ptr<FakePlatform::Node> found = child(name);
        if (!found || !found->is_folder()) {
            return false;
        }
        const std::wstring own = child_key(name);
        if (found->kind == FakePlatform::Kind::folder) {
            for (const auto& entry : volume_->nodes) {
                if (parent_of_key(entry.first) == own) {
                    return false;
                }
            }
        }
        volume_->nodes.erase(own);
        return true;
    }

    FilePlace location(uint32_t& volume_serial, std::wstring& path) override {
        if (!reachable() || platform_.places_unknown) {
            return FilePlace::unknown;
        }
        volume_serial = volume_->serial;
        path = FakePlatform::Place{volume_, letter_, key_}.full();
        return FilePlace::told;
    }

    bool on_same_volume(Folder& other) override {
        auto* const fake = dynamic_cast<FakeFolder*>(&other);
        return fake == nullptr || fake->volume_ == volume_;
    }

    bool private_to_user() override {
        return platform_.begin_call() && reachable() && (!node_ || (node_->owner.empty() && !node_->others_write));
    }

    std::unique_ptr<FolderLock> lock(unsigned wait_ms) override {
        if (!platform_.begin_call() || !reachable()) {
            return nullptr;
        }
        const void* const held = node_ ? static_cast<const void*>(node_.get()) : static_cast<const void*>(volume_.get());
        if (platform_.folder_locks.count(held) != 0) {
            // Nobody lets go while this single thread waits.
            platform_.slept_ms += wait_ms;
            return nullptr;
        }
        platform_.folder_locks[held] = platform_.process;
        return std::make_unique<FakeFolderLock>(platform_, held);
    }

private:
    static std::wstring parent_of_key(const std::wstring& key) {
        const std::size_t slash = key.rfind(L'\\');
        return slash == std::wstring::npos ? std::wstring() : key.substr(0, slash);
    }
    static bool plain_name(const std::wstring& name) {
        return !name.empty() && name != L"." && name != L".." && name.find(L'\\') == std::wstring::npos;
    }
    // Still in its place on a volume that is plugged in.
    bool reachable() const {
        if (!platform_.attached(volume_)) {
            return false;
        }
        if (!node_) {
            return true;
        }
        const auto found = volume_->nodes.find(key_);
        return found != volume_->nodes.end() && found->second == node_;
    }
    std::wstring child_key(const std::wstring& name) const {
        return key_.empty() ? to_upper_ascii(name) : key_ + L"\\" + to_upper_ascii(name);
    }
    std::wstring full(const std::wstring& name) const { return FakePlatform::Place{volume_, letter_, child_key(name)}.full(); }
    std::shared_ptr<FakePlatform::Node> child(const std::wstring& name) const {
        const auto found = volume_->nodes.find(child_key(name));
        return found == volume_->nodes.end() ? nullptr : found->second;
    }
    // A link to a file looks like what it leads to, as under Wine.
    uint32_t shown_attributes(const FakePlatform::Node& node) const {
        uint32_t shown = node.attributes;
        if (node.kind == FakePlatform::Kind::file_link) {
            const std::shared_ptr<FakePlatform::Node> target = platform_.node_at(platform_.locate(node.link_target, true));
            shown = target ? target->attributes : kAttrArchive;
        }
        if (node.kind == FakePlatform::Kind::pipe || node.kind == FakePlatform::Kind::device) {
            shown |= kAttributeDevice;
        }
        return shown;
    }

    FakePlatform& platform_;
    std::shared_ptr<FakePlatform::Volume> volume_;
    std::shared_ptr<FakePlatform::Node> node_;  // null for the root
    wchar_t letter_;
    std::wstring key_;
};

class FakeUsbSet : public UsbDeviceSet {
public:
    explicit FakeUsbSet(FakePlatform& platform) : platform_(platform) {}
    bool has_device(std::size_t index) override { return index < platform_.usb_devices.size(); }
    bool read_description(std::size_t index, std::wstring& description) override {
        if (!has_device(index) || !platform_.usb_devices[index].readable) {
            return false;
        }
        description = platform_.usb_devices[index].description;
        return true;
    }
    bool remove_device(std::size_t index) override {
        platform_.removed_usb_devices.push_back(index);
        const FakeUsbDevice& device = platform_.usb_devices[index];
        if (device.goes && device.shows_drive != L'\0') {
            static_cast<void>(platform_.remove_drive(device.shows_drive));
        }
        return device.goes;
    }

private:
    FakePlatform& platform_;
};

bool wildcard(const wchar_t* mask, const wchar_t* name) {
    if (*mask == 0) {
        return *name == 0;
    }
    if (*mask == L'*') {
        for (const wchar_t* rest = name;; ++rest) {
            if (wildcard(mask + 1, rest)) {
                return true;
            }
            if (*rest == 0) {
                return false;
            }
        }
    }
    if (*name == 0) {
        return false;
    }
    if (*mask == L'?' || *mask == *name) {
        return wildcard(mask + 1, name + 1);
    }
    return false;
}

std::wstring parent_key(const std::wstring& key) {
    const std::size_t slash = key.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : key.substr(0, slash);
}

std::wstring name_of(const std::wstring& path) {
    std::wstring trimmed = path;
    while (trimmed.size() > 3 && trimmed.back() == L'\\') {
        trimmed.pop_back();
    }
    return trimmed.substr(trimmed.rfind(L'\\') + 1);
}

}  // namespace

bool fake_pattern_matches(const std::wstring& mask, const std::wstring& name) {
    const std::wstring upper_mask = to_upper_ascii(mask);
    const std::wstring upper_name = to_upper_ascii(name);
    if (upper_mask == L"*.*" || upper_mask == L"*") {
        return true;
    }
    if (wildcard(upper_mask.c_str(), upper_name.c_str())) {
        return true;
    }
    // "*.abc" also lists "x.abcd": the short name of a long extension ends in ".ABC".
    if (upper_mask.size() == 5 && upper_mask.compare(0, 2, L"*.") == 0) {
        const std::size_t dot = upper_name.rfind(L'.');
        return dot != std::wstring::npos && upper_name.size() - dot > 4 &&
               upper_name.compare(dot + 1, 3, upper_mask, 2, 3) == 0;
    }
    return false;
}

std::wstring FakePlatform::Place::full() const {
    return std::wstring{letter, L':', L'\\'} + key;
}

FakePlatform::FakePlatform() {
    add_drive(L'C', L"Local Disk (C:)");
    add_folder(L"C:\\Users");
    add_folder(L"C:\\Users\\user");
    add_folder(L"C:\\Users\\user\\AppData");
    add_folder(L"C:\\Users\\user\\AppData\\Local");
    add_folder(temp_path);
}

FakePlatform::FakePlatform(const FakePlatform& other) : Platform(other) {
    *this = other;
}

FakePlatform& FakePlatform::operator=(const FakePlatform& other) {
    if (this == &other) {
        return *this;
    }
    usb_devices = other.usb_devices;
    usb_set_available = other.usb_set_available;
    removed_usb_devices = other.removed_usb_devices;
    unopenable_paths = other.unopenable_paths;
    unreadable_paths = other.unreadable_paths;
    failing_lookups = other.failing_lookups;
    locked_paths = other.locked_paths;
    failing_replaces = other.failing_replaces;
    phantom_removes = other.phantom_removes;
    places_unknown = other.places_unknown;
    write_limit = other.write_limit;
    volume_size = other.volume_size;
    label_setting_works = other.label_setting_works;
    temp_path = other.temp_path;
    module_file = other.module_file;
    removable_drives = other.removable_drives;
    message_box_answers = other.message_box_answers;
    default_answer = other.default_answer;
    message_boxes = other.message_boxes;
    while_asking = other.while_asking;
    now = other.now;
    slept_ms = other.slept_ms;
    ms_per_call = other.ms_per_call;
    ticks = other.ticks;
    format_outcome = other.format_outcome;
    on_shell_format = other.on_shell_format;
    formatted_drive_indexes = other.formatted_drive_indexes;
    on_drive_mask = other.on_drive_mask;
    drive_mask_calls = other.drive_mask_calls;
    calls = other.calls;
    unflushed_replaces = other.unflushed_replaces;
    failing_call = other.failing_call;
    failing_calls = other.failing_calls;
    lying_write_call = other.lying_write_call;
    folders_opened = other.folders_opened;
    crashed_at = other.crashed_at;
    before_call = other.before_call;
    acting_user = other.acting_user;
    process = other.process;
    next_serial_ = other.next_serial_;
    copy_volumes_of(other);
    return *this;
}

void FakePlatform::copy_volumes_of(const FakePlatform& other) {
    volumes_.clear();
    drives_.clear();
    for (const std::shared_ptr<Volume>& volume : other.volumes_) {
        auto copy = std::make_shared<Volume>(*volume);
        for (auto& entry : copy->nodes) {
            entry.second = std::make_shared<Node>(*entry.second);
        }
        volumes_.push_back(copy);
    }
    for (const auto& drive : other.drives_) {
        const auto at = std::find(other.volumes_.begin(), other.volumes_.end(), drive.second);
        drives_[drive.first] = volumes_[static_cast<std::size_t>(at - other.volumes_.begin())];
    }
}

std::wstring FakePlatform::upper(const std::wstring& text) { return to_upper_ascii(text); }

bool FakePlatform::begin_call() {
    ++calls;
    ticks += ms_per_call;
    if (before_call) {
        before_call(calls);
    }
    const bool fails = (failing_call && *failing_call == calls) || failing_calls.count(calls) != 0 ||
                       (crashed_at && calls >= *crashed_at);
    return !fails;
}

FakePlatform::Place FakePlatform::locate(const std::wstring& path, bool follow_last) const {
    // A depth-limited walk, so that links leading to each other end.
    struct Walk {
        const FakePlatform& platform;
        Place operator()(const std::wstring& whole, bool follow, int depth) const {
            const std::wstring full = upper(whole);
            if (depth > kLinkDepthLimit || full.size() < 2 || full[1] != L':' ||
                (full.size() > 2 && full[2] != L'\\')) {
                return Place{};
            }
            const auto drive = platform.drives_.find(full[0]);
            if (drive == platform.drives_.end()) {
                return Place{};
            }
            Place place{drive->second, full[0], std::wstring()};
            std::vector<std::wstring> parts;
            std::size_t start = 3;
            while (start < full.size()) {
                const std::size_t slash = std::min(full.find(L'\\', start), full.size());
                if (slash > start) {
                    parts.push_back(full.substr(start, slash - start));
                }
                start = slash + 1;
            }
            for (std::size_t i = 0; i < parts.size(); ++i) {
                const std::wstring key = place.key.empty() ? parts[i] : place.key + L"\\" + parts[i];
                const auto found = place.volume->nodes.find(key);
                const bool link = found != place.volume->nodes.end() && !found->second->link_target.empty();
                const bool last = i + 1 == parts.size();
                if (link && (!last || follow)) {
                    place = (*this)(found->second->link_target, true, depth + 1);
                    if (!place.valid()) {
                        return Place{};
                    }
                } else {
                    place.key = key;
                }
            }
            return place;
        }
    };
    return Walk{*this}(path, follow_last, 0);
}

bool FakePlatform::attached(const std::shared_ptr<Volume>& volume) const {
    return std::any_of(drives_.begin(), drives_.end(), [&volume](const auto& drive) { return drive.second == volume; });
}

std::shared_ptr<FakePlatform::Node> FakePlatform::node_at(const Place& place) const {
    if (!place.valid() || place.key.empty()) {
        return nullptr;
    }
    const auto found = place.volume->nodes.find(place.key);
    return found == place.volume->nodes.end() ? nullptr : found->second;
}

bool FakePlatform::parent_is_folder(const Place& place) const {
    if (!place.valid() || place.key.empty()) {
        return false;
    }
    const std::wstring parent = parent_key(place.key);
    if (parent.empty()) {
        return true;
    }
    const auto found = place.volume->nodes.find(parent);
    return found != place.volume->nodes.end() && found->second->kind == Kind::folder;
}

std::shared_ptr<FakePlatform::Node> FakePlatform::add_node(const std::wstring& path, Node node) {
    const Place place = locate(path, false);
    if (!place.valid() || place.key.empty()) {
        return nullptr;
    }
    // FAT has no links.
    if (place.volume->fat && !node.link_target.empty()) {
        return nullptr;
    }
    node.name = name_of(path);
    node.owner = acting_user;
    auto stored = std::make_shared<Node>(std::move(node));
    place.volume->nodes[place.key] = stored;
    return stored;
}

void FakePlatform::add_drive(wchar_t letter, const std::wstring& display_name, uint32_t serial) {
    auto volume = std::make_shared<Volume>();
    volume->display_name = display_name;
    volume->label = display_name;
    const std::size_t suffix = display_name.rfind(L" (");
    if (suffix != std::wstring::npos) {
        volume->label = display_name.substr(0, suffix);
    }
    volume->serial = serial != 0 ? serial : next_serial_++;
    volumes_.push_back(volume);
    drives_[static_cast<wchar_t>(towupper(letter))] = volume;
}

int FakePlatform::remove_drive(wchar_t letter) {
    const int volume = volume_at(letter);
    drives_.erase(static_cast<wchar_t>(towupper(letter)));
    return volume;
}

void FakePlatform::plug_in(wchar_t letter, int volume) {
    if (volume >= 0 && static_cast<std::size_t>(volume) < volumes_.size()) {
        drives_[static_cast<wchar_t>(towupper(letter))] = volumes_[static_cast<std::size_t>(volume)];
    }
}

int FakePlatform::volume_at(wchar_t letter) const {
    const auto found = drives_.find(static_cast<wchar_t>(towupper(letter)));
    if (found == drives_.end()) {
        return -1;
    }
    const auto at = std::find(volumes_.begin(), volumes_.end(), found->second);
    return static_cast<int>(at - volumes_.begin());
}

std::map<std::wstring, Entry> FakePlatform::volume_contents(int volume) const {
    std::map<std::wstring, Entry> contents;
    if (volume < 0 || static_cast<std::size_t>(volume) >= volumes_.size()) {
        return contents;
    }
    for (const auto& entry : volumes_[static_cast<std::size_t>(volume)]->nodes) {
        contents[entry.first] = Entry{entry.second->data, entry.second->attributes, entry.second->link_target};
    }
    return contents;
}

std::map<std::wstring, Entry> FakePlatform::world() const {
    std::map<std::wstring, Entry> contents;
    for (const auto& drive : drives_) {
        for (const auto& entry : drive.second->nodes) {
            contents[std::wstring{drive.first, L':', L'\\'} + entry.first] =
                Entry{entry.second->data, entry.second->attributes, entry.second->link_target};
        }
    }
    return contents;
}

void FakePlatform::wipe_drive(wchar_t letter) {
    const auto found = drives_.find(static_cast<wchar_t>(towupper(letter)));
    if (found != drives_.end()) {
        found->second->nodes.clear();
    }
}

void FakePlatform::reformat_drive(wchar_t letter, const std::wstring& new_label) {
    const wchar_t upper_letter = static_cast<wchar_t>(towupper(letter));
    const auto found = drives_.find(upper_letter);
    if (found == drives_.end()) {
        return;
    }
    found->second->nodes.clear();
    found->second->serial = next_serial_++;
    found->second->label = new_label;
    found->second->display_name = new_label + L" (" + std::wstring(1, upper_letter) + L":)";
}

void FakePlatform::set_volume_serial(wchar_t letter, uint32_t serial) {
    const auto found = drives_.find(static_cast<wchar_t>(towupper(letter)));
    if (found != drives_.end()) {
        found->second->serial = serial;
    }
}

std::wstring FakePlatform::volume_label(wchar_t letter) const {
    const auto found = drives_.find(static_cast<wchar_t>(towupper(letter)));
    return found == drives_.end() ? std::wstring() : found->second->label;
}

void FakePlatform::add_folder(const std::wstring& path, uint32_t attributes) {
    Node folder;
    folder.kind = Kind::folder;
    folder.attributes = attributes | kAttributeFolder;
    static_cast<void>(add_node(path, folder));
}

void FakePlatform::add_folder_link(const std::wstring& path, const std::wstring& target) {
    Node link;
    link.kind = Kind::folder_link;
    link.attributes = kAttributeFolder | kAttributeLink;
    link.link_target = upper(target);
    static_cast<void>(add_node(path, link));
}

void FakePlatform::add_file_link(const std::wstring& path, const std::wstring& target) {
    Node link;
    link.kind = Kind::file_link;
    link.attributes = kAttrArchive;
    link.link_target = upper(target);
    static_cast<void>(add_node(path, link));
}

void FakePlatform::add_special(const std::wstring& path, Special kind) {
    Node special;
    special.kind = kind == Special::pipe ? Kind::pipe : Kind::device;
    special.attributes = kAttrArchive;
    static_cast<void>(add_node(path, special));
}

void FakePlatform::add_file(const std::wstring& path, const std::vector<uint8_t>& bytes,
                            uint32_t attributes) {
    Node file;
    file.data = bytes;
    file.attributes = attributes == 0 ? kAttrArchive : attributes;
    static_cast<void>(add_node(path, file));
}

void FakePlatform::add_file(const std::wstring& path, const std::string& text,
                            uint32_t attributes) {
    add_file(path, std::vector<uint8_t>(text.begin(), text.end()), attributes);
}

bool FakePlatform::exists(const std::wstring& path) const { return node_at(locate(path, false)) != nullptr; }

bool FakePlatform::is_folder(const std::wstring& path) const {
    const std::shared_ptr<Node> found = node_at(locate(path, false));
    return found && found->is_folder();
}

std::optional<std::vector<uint8_t>> FakePlatform::file_bytes(const std::wstring& path) const {
    const std::shared_ptr<Node> found = node_at(locate(path, false));
    if (!found || found->kind != Kind::file) {
        return std::nullopt;
    }
    return found->data;
}

uint32_t FakePlatform::attributes(const std::wstring& path) const {
    const std::shared_ptr<Node> found = node_at(locate(path, false));
    return found ? found->attributes : 0;
}

std::vector<std::wstring> FakePlatform::paths_under(const std::wstring& prefix) const {
    const std::wstring wanted = upper(prefix);
    std::vector<std::wstring> paths;
    for (const auto& entry : world()) {
        if (entry.first.compare(0, wanted.size(), wanted) == 0) {
            paths.push_back(entry.first);
        }
    }
    return paths;
}

uint32_t FakePlatform::logical_drive_mask() {
    ++drive_mask_calls;
    if (on_drive_mask) {
        on_drive_mask(drive_mask_calls);
    }
    if (!begin_call()) {
        return 0;
    }
    uint32_t mask = 0;
    for (const auto& drive : drives_) {
        mask |= uint32_t{1} << (drive.first - L'A');
    }
    return mask;
}

bool FakePlatform::drive_display_name(const std::wstring& root, std::wstring& name) {
    if (!begin_call()) {
        return false;
    }
    const auto found = root.empty() ? drives_.end() : drives_.find(static_cast<wchar_t>(towupper(root[0])));
    if (found == drives_.end() || found->second->display_name.empty()) {
        return false;
    }
    name = found->second->display_name;
    return true;
}

bool FakePlatform::volume_identity(const std::wstring& root, uint32_t& serial_number,
                                   std::wstring& label) {
    if (!begin_call()) {
        return false;
    }
    const auto found = root.empty() ? drives_.end() : drives_.find(static_cast<wchar_t>(towupper(root[0])));
    if (found == drives_.end()) {
        return false;
    }
    serial_number = found->second->serial;
    label = found->second->label;
    return true;
}

bool FakePlatform::set_volume_label(const std::wstring& root, const std::wstring& label) {
    if (!begin_call() || !label_setting_works) {
        return false;
    }
    const wchar_t letter = root.empty() ? L'\0' : static_cast<wchar_t>(towupper(root[0]));
    const auto found = drives_.find(letter);
    constexpr std::size_t kFatLabelLength = 11;
    if (found == drives_.end() || (found->second->fat && label.size() > kFatLabelLength)) {
        return false;
    }
    found->second->label = label;
    found->second->display_name = label + L" (" + std::wstring(1, letter) + L":)";
    return true;
}

bool FakePlatform::is_removable(const std::wstring& root) {
    return begin_call() && !root.empty() && removable_drives.count(static_cast<wchar_t>(towupper(root[0]))) != 0 &&
           locate(root, false).valid();
}

std::unique_ptr<UsbDeviceSet> FakePlatform::open_usb_devices() {
    if (!usb_set_available) {
        return nullptr;
    }
    return std::make_unique<FakeUsbSet>(*this);
}

bool FakePlatform::volume_total_bytes(const std::wstring& root, uint64_t& total_bytes) {
    if (!begin_call() || !volume_size || !locate(root, false).valid()) {
        return false;
    }
    total_bytes = *volume_size;
    return true;
}

std::unique_ptr<File> FakePlatform::open_file(const std::wstring& path, FileAccess access,
                                              FileDisposition disposition) {
    if (!begin_call() || unopenable_paths.count(upper(path)) != 0) {
        return nullptr;
    }
    const Place own = locate(path, false);
    if (!parent_is_folder(own)) {
        return nullptr;
    }
    std::shared_ptr<Node> found = node_at(own);
    // Anything already there, a link included, stops a new file.
    if (found && disposition == FileDisposition::create_new) {
        return nullptr;
    }
    Place place = own;
    if (found && found->kind == Kind::file_link) {
        // As under Wine: the link is opened as what it leads to, and never
        // made into a new file where a dangling one leads.
        place = locate(found->link_target, true);
        found = node_at(place);
        if (!found) {
            return nullptr;
        }
    }
    const bool writes =
        access == FileAccess::write || access == FileAccess::read_write || access == FileAccess::append;
    if (found) {
        // Folders, pipes and devices are refused, as the platforms refuse them.
        if (found->kind != Kind::file || (writes && (found->attributes & kAttrReadOnly) != 0)) {
            return nullptr;
        }
    } else {
        if (disposition == FileDisposition::open_existing) {
            return nullptr;
        }
        Node file;
        file.name = name_of(path);
        file.attributes = kAttrArchive;
        file.owner = acting_user;
        found = std::make_shared<Node>(file);
        own.volume->nodes[own.key] = found;
    }
    return std::make_unique<FakeFile>(*this, found, place, access);
}

Lookup FakePlatform::list_folder(const std::wstring& pattern, std::vector<FolderEntry>& entries) {
    entries.clear();
    if (!begin_call()) {
        return Lookup::failed;
    }
    const std::size_t slash = pattern.rfind(L'\\');
    if (slash == std::wstring::npos) {
        return Lookup::missing;
    }
    const std::wstring mask = pattern.substr(slash + 1);
    // A pulled drive answers "no such path", as Windows does.
    const Place folder = locate(pattern.substr(0, slash + 1), true);
    if (!folder.valid()) {
        return Lookup::missing;
    }
    if (!folder.key.empty()) {
        const std::shared_ptr<Node> found = node_at(folder);
        if (!found || found->kind != Kind::folder) {
            return Lookup::missing;
        }
        if (fake_pattern_matches(mask, L".")) {
            entries.push_back({L".", kAttributeFolder});
            entries.push_back({L"..", kAttributeFolder});
        }
    }
    for (const auto& entry : folder.volume->nodes) {
        if (parent_key(entry.first) != folder.key || !fake_pattern_matches(mask, entry.second->name)) {
            continue;
        }
        uint32_t shown = entry.second->attributes;
        if (entry.second->kind == Kind::file_link) {
            const std::shared_ptr<Node> target = node_at(locate(entry.second->link_target, true));
            shown = target ? target->attributes : kAttrArchive;
        }
        entries.push_back({entry.second->name, shown});
    }
    return entries.empty() ? Lookup::missing : Lookup::found;
}

Lookup FakePlatform::attributes(const std::wstring& path, uint32_t& attributes) {
    if (!begin_call() || failing_lookups.count(upper(path)) != 0) {
        return Lookup::failed;
    }
    const Place own = locate(path, false);
    if (!own.valid()) {
        return Lookup::missing;
    }
    if (own.key.empty()) {
        attributes = kAttributeFolder;
        return Lookup::found;
    }
    const std::shared_ptr<Node> found = node_at(own);
    if (!found) {
        return Lookup::missing;
    }
    attributes = found->attributes;
    // A link to a file looks like the file it leads to, or like a plain file.
    if (found->kind == Kind::file_link) {
        const std::shared_ptr<Node> target = node_at(locate(found->link_target, true));
        attributes = target ? target->attributes : kAttrArchive;
    }
    return Lookup::found;
}

bool FakePlatform::set_attributes(const std::wstring& path, uint32_t attributes) {
    if (!begin_call()) {
        return false;
    }
    // Like the platform, through a link to what it leads to.
    const Place place = locate(path, true);
    std::shared_ptr<Node> found = node_at(place);
    if (!found) {
        return false;
    }
    found->attributes = (attributes & ~kAttributeFolder) | (found->is_folder() ? kAttributeFolder : 0) |
                        (found->attributes & kAttributeLink);
    return true;
}

bool FakePlatform::file_size(const std::wstring& path, uint64_t& bytes) {
    if (!begin_call()) {
        return false;
    }
    const std::shared_ptr<Node> found = node_at(locate(path, true));
    if (!found || found->kind != Kind::file) {
        return false;
    }
    bytes = found->data.size();
    return true;
}

bool FakePlatform::delete_file(const std::wstring& path) {
    if (!begin_call()) {
        return false;
    }
    const Place own = locate(path, false);
    const std::shared_ptr<Node> found = node_at(own);
    if (!found || found->is_folder() || (found->attributes & kAttrReadOnly) != 0 || found->open_handles > 0 ||
        locked_paths.count(upper(path)) != 0) {
        return false;
    }
    // A link goes by itself, never what it leads to.
    own.volume->nodes.erase(own.key);
    return true;
}

bool FakePlatform::create_folder(const std::wstring& path) {
    if (!begin_call() || path.empty()) {
        return false;
    }
    const Place own = locate(path, false);
    if (!parent_is_folder(own) || node_at(own)) {
        return false;
    }
    Node folder;
    folder.name = name_of(path);
    folder.kind = Kind::folder;
    folder.attributes = kAttributeFolder;
    folder.owner = acting_user;
    own.volume->nodes[own.key] = std::make_shared<Node>(folder);
    return true;
}

bool FakePlatform::remove_folder(const std::wstring& path) {
    if (!begin_call()) {
        return false;
    }
    const Place own = locate(path, false);
    const std::shared_ptr<Node> found = node_at(own);
    if (!found || !found->is_folder() || (found->attributes & kAttrReadOnly) != 0) {
        return false;
    }
    // A link goes by itself; a real folder only when empty.
    if (found->kind == Kind::folder) {
        for (const auto& entry : own.volume->nodes) {
            if (parent_key(entry.first) == own.key) {
                return false;
            }
        }
    }
    own.volume->nodes.erase(own.key);
    return true;
}

std::unique_ptr<Folder> FakePlatform::open_folder(const std::wstring& path) {
    if (!begin_call()) {
        return nullptr;
    }
    const std::wstring full = upper(path);
    if (full.size() < 2 || full[1] != L':' || (full.size() > 2 && full[2] != L'\\')) {
        return nullptr;
    }
    const auto drive = drives_.find(full[0]);
    if (drive == drives_.end()) {
        return nullptr;
    }
    // Every part on the way must be a folder itself, never a link to one.
    std::wstring key;
    std::shared_ptr<Node> node;
    std::size_t start = 3;
    while (start < full.size()) {
        const std::size_t slash = std::min(full.find(L'\\', start), full.size());
        if (slash > start) {
            key = key.empty() ? full.substr(start, slash - start) : key + L"\\" + full.substr(start, slash - start);
            const auto found = drive->second->nodes.find(key);
            if (found == drive->second->nodes.end() || found->second->kind != Kind::folder) {
                return nullptr;
            }
            node = found->second;
        }
        start = slash + 1;
    }
    return std::make_unique<FakeFolder>(*this, drive->second, node, full[0], key);
}

Lookup FakePlatform::held_listing(const std::wstring& /*folder*/, const std::wstring& pattern,
                                  const std::vector<FolderEntry>& every, std::vector<FolderEntry>& entries) {
    for (const FolderEntry& entry : every) {
        if (fake_pattern_matches(pattern, entry.name)) {
            entries.push_back(entry);
        }
    }
    return entries.empty() ? Lookup::missing : Lookup::found;
}

std::unique_ptr<Folder> FakePlatform::backup_place(std::wstring& path) {
    path = temp_path;
    std::unique_ptr<Folder> place = temp_path.empty() ? nullptr : open_folder(temp_path);
    if (!place || !place->private_to_user()) {
        return nullptr;
    }
    return place;
}

std::unique_ptr<Folder> FakePlatform::journal_place(std::wstring& path) {
    path = journal_path;
    if (journal_path.empty()) {
        return nullptr;
    }
    if (!exists(journal_path) && !create_folder(journal_path)) {
        return nullptr;
    }
    return open_folder(journal_path);
}

void FakePlatform::end_process(int which) {
    for (auto lock = folder_locks.begin(); lock != folder_locks.end();) {
        lock = lock->second == which ? folder_locks.erase(lock) : std::next(lock);
    }
}

void FakePlatform::set_owner(const std::wstring& path, const std::wstring& user, bool others_write) {
    const std::shared_ptr<Node> found = node_at(locate(path, false));
    if (found) {
        found->owner = user;
        found->others_write = others_write;
    }
}

void FakePlatform::make_fat(wchar_t letter) {
    const auto found = drives_.find(static_cast<wchar_t>(towupper(letter)));
    if (found != drives_.end()) {
        found->second->fat = true;
    }
}

int FakePlatform::message_box(const std::wstring& text, const std::wstring& caption,
                              unsigned style) {
    if (crashed_at && calls >= *crashed_at) {
        return kAnswerCancel;
    }
    message_boxes.push_back({text, caption, style});
    if (while_asking) {
        while_asking();
    }
    if (message_box_answers.empty()) {
        return default_answer;
    }
    const int answer = message_box_answers.front();
    message_box_answers.pop_front();
    return answer;
}

std::vector<std::wstring> FakePlatform::error_texts() const {
    std::vector<std::wstring> texts;
    for (const MessageBoxCall& box : message_boxes) {
        if (box.style == kMessageErrorOk) {
            texts.push_back(box.text);
        }
    }
    return texts;
}

SystemTime FakePlatform::utc_now() { return now; }

void FakePlatform::sleep_ms(unsigned milliseconds) { slept_ms += milliseconds; }

uint64_t FakePlatform::ticks_ms() { return ticks; }

ShellFormatOutcome FakePlatform::shell_format(int drive_index) {
    if (crashed_at && calls >= *crashed_at) {
        return ShellFormatOutcome::library_missing;
    }
    if (format_outcome == ShellFormatOutcome::called) {
        formatted_drive_indexes.push_back(drive_index);
        if (on_shell_format) {
            on_shell_format(drive_index);
        }
    }
    return format_outcome;
}

std::wstring FakePlatform::module_path() { return module_file; }

}  // namespace lanternbook::testing
