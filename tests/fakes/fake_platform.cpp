#include "fakes/fake_platform.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

#include "text/text_utils.h"

namespace lanternbook::testing {
namespace {

class FakeFile : public File {
public:
    FakeFile(FakePlatform& platform, std::shared_ptr<FakePlatform::Node> node, FileAccess access,
             std::optional<std::size_t> write_limit)
        : platform_(platform), node_(std::move(node)), access_(access), write_limit_(write_limit) {}

    bool read(uint8_t* buffer, std::size_t capacity, std::size_t& bytes_read) override {
        bytes_read = 0;
        if (!platform_.begin_call() || access_ == FileAccess::write) {
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
        if (!platform_.begin_call() || access_ == FileAccess::read) {
            return false;
        }
        std::size_t count = size;
        if (write_limit_) {
            count = std::min(count, *write_limit_ - std::min(*write_limit_, written_total_));
        }
        if (node_->data.size() < position_ + count) {
            node_->data.resize(position_ + count);
        }
        std::copy_n(data, count, node_->data.begin() + static_cast<std::ptrdiff_t>(position_));
        position_ += count;
        written_total_ += count;
        bytes_written = count;
        return count == size;
    }

    bool size(uint64_t& bytes) override {
        if (!platform_.begin_call()) {
            return false;
        }
        bytes = node_->data.size();
        return true;
    }

    bool flush() override { return platform_.begin_call(); }

private:
    FakePlatform& platform_;
    std::shared_ptr<FakePlatform::Node> node_;
    FileAccess access_;
    std::optional<std::size_t> write_limit_;
    std::size_t position_ = 0;
    std::size_t written_total_ = 0;
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
        return true;
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

FakePlatform::FakePlatform() {
    add_drive(L'C', L"Local Disk (C:)");
    add_folder(L"C:\\Users");
    add_folder(L"C:\\Users\\user");
    add_folder(L"C:\\Users\\user\\AppData");
    add_folder(L"C:\\Users\\user\\AppData\\Local");
    add_folder(temp_path);
}

bool FakePlatform::begin_call() {
    ++calls;
    if (before_call) {
        before_call(calls);
    }
    return !failing_call || *failing_call != calls;
}

std::wstring FakePlatform::key_of(const std::wstring& path) {
    std::wstring key = to_upper_ascii(path);
    while (key.size() > 3 && key.back() == L'\\') {
        key.pop_back();
    }
    if (key.size() == 2 && key[1] == L':') {
        key.push_back(L'\\');
    }
    return key;
}

std::wstring FakePlatform::parent_of(const std::wstring& key) {
    const std::size_t slash = key.rfind(L'\\');
    if (slash == std::wstring::npos) {
        return std::wstring();
    }
    if (slash == 2) {
        return key.substr(0, 3);
    }
    return key.substr(0, slash);
}

std::wstring FakePlatform::resolved(const std::wstring& key) const {
    if (key.size() <= 3) {
        return key;
    }
    std::wstring current = key.substr(0, 3);
    std::size_t start = 3;
    while (start <= key.size()) {
        const std::size_t slash = std::min(key.find(L'\\', start), key.size());
        const std::wstring part = key.substr(start, slash - start);
        current = current.size() == 3 ? current + part : current + L"\\" + part;
        const auto found = nodes_.find(current);
        if (found != nodes_.end() && !found->second->link_target.empty()) {
            current = found->second->link_target;
        }
        start = slash + 1;
    }
    return current;
}

bool FakePlatform::drive_mounted(const std::wstring& key) const {
    return key.size() >= 3 && key[1] == L':' && key[2] == L'\\' && drives_.count(key[0]) != 0;
}

bool FakePlatform::parent_is_folder(const std::wstring& key) const {
    const std::wstring parent = resolved(parent_of(key));
    if (parent.size() == 3) {
        return drive_mounted(parent);
    }
    const auto found = nodes_.find(parent);
    return drive_mounted(parent) && found != nodes_.end() && found->second->folder;
}

// The entry itself: links on the way are followed, a link at the end is not.
std::shared_ptr<FakePlatform::Node> FakePlatform::node(const std::wstring& path) const {
    const std::wstring key = key_of(path);
    if (key.size() <= 3) {
        return nullptr;
    }
    const std::wstring parent = resolved(parent_of(key));
    const std::wstring own = parent + (parent.size() == 3 ? L"" : L"\\") + key.substr(key.rfind(L'\\') + 1);
    if (!drive_mounted(own)) {
        return nullptr;
    }
    const auto found = nodes_.find(own);
    return found == nodes_.end() ? nullptr : found->second;
}

void FakePlatform::add_drive(wchar_t letter, const std::wstring& display_name, uint32_t serial) {
    Drive drive;
    drive.display_name = display_name;
    drive.label = display_name;
    const std::size_t suffix = display_name.rfind(L" (");
    if (suffix != std::wstring::npos) {
        drive.label = display_name.substr(0, suffix);
    }
    drive.serial = serial != 0 ? serial : next_serial_++;
    drives_[static_cast<wchar_t>(towupper(letter))] = drive;
}

void FakePlatform::remove_drive(wchar_t letter) {
    drives_.erase(static_cast<wchar_t>(towupper(letter)));
}

void FakePlatform::wipe_drive(wchar_t letter) {
    const std::wstring root{static_cast<wchar_t>(towupper(letter)), L':', L'\\'};
    for (auto it = nodes_.begin(); it != nodes_.end();) {
        it = it->first.compare(0, 3, root) == 0 ? nodes_.erase(it) : std::next(it);
    }
}

void FakePlatform::reformat_drive(wchar_t letter, const std::wstring& new_label) {
    wipe_drive(letter);
    const wchar_t upper = static_cast<wchar_t>(towupper(letter));
    const auto found = drives_.find(upper);
    if (found != drives_.end()) {
        found->second.serial = next_serial_++;
        found->second.label = new_label;
        found->second.display_name = new_label + L" (" + std::wstring(1, upper) + L":)";
    }
}

std::wstring FakePlatform::volume_label(wchar_t letter) const {
    const auto found = drives_.find(static_cast<wchar_t>(towupper(letter)));
    return found == drives_.end() ? std::wstring() : found->second.label;
}

void FakePlatform::add_folder(const std::wstring& path, uint32_t attributes) {
    auto folder = std::make_shared<Node>();
    const std::wstring key = key_of(path);
    folder->name = path.substr(path.rfind(L'\\') + 1);
    folder->folder = true;
    folder->attributes = attributes | kAttributeFolder;
    nodes_[key] = folder;
}

void FakePlatform::add_folder_link(const std::wstring& path, const std::wstring& target) {
    auto link = std::make_shared<Node>();
    link->name = path.substr(path.rfind(L'\\') + 1);
    link->folder = true;
    link->attributes = kAttributeFolder | kAttributeLink;
    link->link_target = key_of(target);
    nodes_[key_of(path)] = link;
}

void FakePlatform::add_file(const std::wstring& path, const std::vector<uint8_t>& bytes,
                            uint32_t attributes) {
    auto file = std::make_shared<Node>();
    file->name = path.substr(path.rfind(L'\\') + 1);
    file->data = bytes;
    file->attributes = attributes == 0 ? kAttrArchive : attributes;
    nodes_[key_of(path)] = file;
}

void FakePlatform::add_file(const std::wstring& path, const std::string& text,
                            uint32_t attributes) {
    add_file(path, std::vector<uint8_t>(text.begin(), text.end()), attributes);
}

bool FakePlatform::exists(const std::wstring& path) const {
    return nodes_.count(key_of(path)) != 0;
}

bool FakePlatform::is_folder(const std::wstring& path) const {
    const auto found = nodes_.find(key_of(path));
    return found != nodes_.end() && found->second->folder;
}

std::optional<std::vector<uint8_t>> FakePlatform::file_bytes(const std::wstring& path) const {
    const auto found = nodes_.find(key_of(path));
    if (found == nodes_.end() || found->second->folder) {
        return std::nullopt;
    }
    return found->second->data;
}

uint32_t FakePlatform::attributes(const std::wstring& path) const {
    const auto found = nodes_.find(key_of(path));
    return found == nodes_.end() ? 0 : found->second->attributes;
}

std::vector<std::wstring> FakePlatform::paths_under(const std::wstring& prefix) const {
    const std::wstring upper = to_upper_ascii(prefix);
    std::vector<std::wstring> paths;
    for (const auto& entry : nodes_) {
        if (entry.first.compare(0, upper.size(), upper) == 0) {
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
    const auto found = root.empty() ? drives_.end() : drives_.find(root[0]);
    if (found == drives_.end() || found->second.display_name.empty()) {
        return false;
    }
    name = found->second.display_name;
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
    serial_number = found->second.serial;
    label = found->second.label;
    return true;
}

bool FakePlatform::set_volume_label(const std::wstring& root, const std::wstring& label) {
    if (!begin_call() || !label_setting_works) {
        return false;
    }
    const wchar_t letter = root.empty() ? L'\0' : static_cast<wchar_t>(towupper(root[0]));
    const auto found = drives_.find(letter);
    if (found == drives_.end()) {
        return false;
    }
    found->second.label = label;
    found->second.display_name = label + L" (" + std::wstring(1, letter) + L":)";
    return true;
}

std::unique_ptr<UsbDeviceSet> FakePlatform::open_usb_devices() {
    if (!usb_set_available) {
        return nullptr;
    }
    return std::make_unique<FakeUsbSet>(*this);
}

bool FakePlatform::volume_total_bytes(const std::wstring& root, uint64_t& total_bytes) {
    if (!begin_call() || !volume_size || !drive_mounted(key_of(root))) {
        return false;
    }
    total_bytes = *volume_size;
    return true;
}

std::unique_ptr<File> FakePlatform::open_file(const std::wstring& path, FileAccess access,
                                              FileDisposition disposition) {
    const std::wstring key = key_of(path);
    if (!begin_call() || unopenable_paths.count(key) != 0 || !parent_is_folder(key)) {
        return nullptr;
    }
    std::shared_ptr<Node> existing = node(path);
    if (existing && (existing->folder || disposition == FileDisposition::create_new)) {
        return nullptr;
    }
    const bool writes = access != FileAccess::read;
    if (existing && writes && (existing->attributes & kAttrReadOnly) != 0) {
        return nullptr;
    }
    if (!existing) {
        if (disposition == FileDisposition::open_existing) {
            return nullptr;
        }
        const std::wstring parent = resolved(parent_of(key));
        add_file(parent + (parent.size() == 3 ? L"" : L"\\") + path.substr(path.rfind(L'\\') + 1),
                 std::vector<uint8_t>());
        existing = node(path);
    } else if (disposition == FileDisposition::create_always) {
        // Creating over a hidden or system file with plain attributes is refused.
        if ((existing->attributes & (kAttrHidden | kAttrSystem)) != 0) {
            return nullptr;
        }
        existing->data.clear();
    }
    return std::make_unique<FakeFile>(*this, existing, access, write_limit);
}

Lookup FakePlatform::list_folder(const std::wstring& pattern, std::vector<FolderEntry>& entries) {
    entries.clear();
    if (!begin_call()) {
        return Lookup::failed;
    }
    const std::wstring key = to_upper_ascii(pattern);
    const std::size_t slash = key.rfind(L'\\');
    if (slash == std::wstring::npos) {
        return Lookup::missing;
    }
    const std::wstring folder = resolved(key_of(key.substr(0, slash + 1)));
    const std::wstring mask = pattern.substr(slash + 1);
    const bool root = folder.size() == 3;
    if (!drive_mounted(folder)) {
        return Lookup::failed;
    }
    if (!root && !is_folder(folder)) {
        return Lookup::missing;
    }
    if (!root && fake_pattern_matches(mask, L".")) {
        entries.push_back({L".", kAttributeFolder});
        entries.push_back({L"..", kAttributeFolder});
    }
    for (const auto& entry : nodes_) {
        if (parent_of(entry.first) == folder && fake_pattern_matches(mask, entry.second->name)) {
            entries.push_back({entry.second->name, entry.second->attributes});
        }
    }
    return entries.empty() ? Lookup::missing : Lookup::found;
}

Lookup FakePlatform::attributes(const std::wstring& path, uint32_t& attributes) {
    const std::wstring key = key_of(path);
    if (!begin_call() || !drive_mounted(resolved(key))) {
        return Lookup::failed;
    }
    if (key.size() == 3) {
        attributes = kAttributeFolder;
        return Lookup::found;
    }
    std::shared_ptr<Node> found = node(path);
    if (!found) {
        return Lookup::missing;
    }
    attributes = found->attributes;
    return Lookup::found;
}

bool FakePlatform::set_attributes(const std::wstring& path, uint32_t attributes) {
    std::shared_ptr<Node> found = node(path);
    if (!begin_call() || !found) {
        return false;
    }
    // Like the platform, through a link to what it leads to.
    if (!found->link_target.empty()) {
        const auto target = nodes_.find(found->link_target);
        if (target == nodes_.end()) {
            return false;
        }
        found = target->second;
    }
    found->attributes = (attributes & ~kAttributeFolder) | (found->folder ? kAttributeFolder : 0) |
                        (found->attributes & kAttributeLink);
    return true;
}

bool FakePlatform::file_size(const std::wstring& path, uint64_t& bytes) {
    std::shared_ptr<Node> found = node(path);
    if (!begin_call() || !found || found->folder) {
        return false;
    }
    bytes = found->data.size();
    return true;
}

bool FakePlatform::delete_file(const std::wstring& path) {
    std::shared_ptr<Node> found = node(path);
    if (!begin_call() || !found || found->folder || (found->attributes & kAttrReadOnly) != 0 ||
        locked_paths.count(key_of(path)) != 0) {
        return false;
    }
    for (auto it = nodes_.begin(); it != nodes_.end(); ++it) {
        if (it->second == found) {
            nodes_.erase(it);
            return true;
        }
    }
    return false;
}

bool FakePlatform::create_folder(const std::wstring& path) {
    const std::wstring key = key_of(path);
    if (!begin_call() || path.empty() || node(path) || !parent_is_folder(key)) {
        return false;
    }
    const std::wstring parent = resolved(parent_of(key));
    add_folder(parent + (parent.size() == 3 ? L"" : L"\\") + path.substr(path.rfind(L'\\') + 1));
    return true;
}

bool FakePlatform::remove_folder(const std::wstring& path) {
    std::shared_ptr<Node> found = node(path);
    if (!begin_call() || !found || !found->folder || (found->attributes & kAttrReadOnly) != 0) {
        return false;
    }
    std::wstring own;
    for (const auto& entry : nodes_) {
        if (entry.second == found) {
            own = entry.first;
        }
    }
    // A link goes by itself; a real folder only when empty.
    if (found->link_target.empty()) {
        for (const auto& entry : nodes_) {
            if (parent_of(entry.first) == own) {
                return false;
            }
        }
    }
    nodes_.erase(own);
    return true;
}

bool FakePlatform::copy_file(const std::wstring& source, const std::wstring& target) {
    const std::wstring target_key = key_of(target);
    std::shared_ptr<Node> from = node(source);
    if (!begin_call() || !from || from->folder || failing_copies.count(key_of(source)) != 0 ||
        failing_copies.count(target_key) != 0 || !parent_is_folder(target_key)) {
        return false;
    }
    std::shared_ptr<Node> to = node(target);
    if (to && (to->folder || (to->attributes & (kAttrReadOnly | kAttrHidden)) != 0)) {
        return false;
    }
    std::vector<uint8_t> data = from->data;
    if (write_limit && data.size() > *write_limit) {
        data.resize(*write_limit);
    }
    const std::wstring parent = resolved(parent_of(target_key));
    add_file(parent + (parent.size() == 3 ? L"" : L"\\") + target.substr(target.rfind(L'\\') + 1), data,
             from->attributes);
    return true;
}

bool FakePlatform::replace_file(const std::wstring& source, const std::wstring& target) {
    const std::wstring target_key = key_of(target);
    std::shared_ptr<Node> from = node(source);
    std::shared_ptr<Node> to = node(target);
    if (!begin_call() || !from || from->folder || failing_replaces.count(target_key) != 0 ||
        resolved(parent_of(key_of(source))) != resolved(parent_of(target_key)) ||
        (to && (to->folder || (to->attributes & kAttrReadOnly) != 0))) {
        return false;
    }
    const std::wstring parent = resolved(parent_of(target_key));
    const std::wstring own = parent + (parent.size() == 3 ? L"" : L"\\") + target_key.substr(target_key.rfind(L'\\') + 1);
    nodes_.erase(resolved(key_of(source)));
    from->name = target.substr(target.rfind(L'\\') + 1);
    nodes_[own] = from;
    return true;
}

std::wstring FakePlatform::temp_folder() { return temp_path; }

int FakePlatform::message_box(const std::wstring& text, const std::wstring& caption,
                              unsigned style) {
    message_boxes.push_back({text, caption, style});
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

ShellFormatOutcome FakePlatform::shell_format(int drive_index) {
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
