#include "cli/key_choice.h"

#include "cli/shown_paths.h"
#include "text/utf8_text.h"

namespace lanternbook::cli {
namespace {

struct ChosenKey {
    Exit exit = Exit::done;
    std::wstring root;
    // When exit is not done: one line, or with several keys one more line per key.
    std::wstring error;
    // Found by the search rather than named: a key by its label.
    bool found = false;
};

// A folder named for the key: `where` tells where it was named ("--key").
ChosenKey named_key(const std::wstring& root, const std::wstring& where, FileSystem& files) {
    ChosenKey chosen;
    uint32_t attributes = 0;
    const Lookup found = root.empty() ? Lookup::missing : files.attributes(root, attributes);
    const std::wstring named = where + L" " + root;
    if (found == Lookup::failed) {
        chosen.exit = Exit::io_failure;
        chosen.error = named + L": cannot be read" + wide_from_utf8(reason_of(files));
    } else if (found == Lookup::missing) {
        chosen.exit = Exit::no_key;
        chosen.error = named + L": no such folder";
    } else if ((attributes & kAttributeFolder) == 0) {
        chosen.exit = Exit::no_key;
        chosen.error = named + L": not a folder";
    } else {
        chosen.root = as_named(root);
    }
    return chosen;
}

// The only key attached.
ChosenKey found_key(AttachedKeys& keys) {
    ChosenKey chosen;
    const KeySearch search = keys.find_keys();
    if (const std::optional<std::wstring> failure = search_failure(search, keys)) {
        chosen.exit = Exit::io_failure;
        chosen.error = *failure;
        return chosen;
    }
    if (search.roots.empty()) {
        chosen.exit = Exit::no_key;
        chosen.error = no_key_attached(keys);
        return chosen;
    }
    if (search.roots.size() > 1) {
        chosen.exit = Exit::refused;
        chosen.error = std::to_wstring(search.roots.size()) + L" keys attached; name one with --key:";
        for (const std::wstring& root : search.roots) {
            chosen.error += L"\n  " + root;
        }
        return chosen;
    }
    chosen.root = search.roots.front();
    chosen.found = true;
    return chosen;
}

ChosenKey choose_key(const GivenOptions& options, Services& services) {
    if (options.has("--key")) {
        return named_key(wide_from_utf8(options.value("--key")), L"--key", services.files);
    }
    if (services.default_key && !services.default_key->empty()) {
        return named_key(wide_from_utf8(*services.default_key), wide_from_utf8(kKeyVariable), services.files);
    }
    return found_key(services.finder);
}

}  // namespace

std::optional<std::wstring> chosen_root(Invocation& call, Exit& exit) {
    Services& services = call.services;
    const ChosenKey chosen = choose_key(call.options, services);
    if (chosen.exit != Exit::done) {
        exit = call.errors.fail(chosen.exit, chosen.error);
        return std::nullopt;
    }
    if (chosen.found || call.options.has("--force")) {
        return chosen.root;
    }
    switch (kind_of_folder(chosen.root, services.finder, services.files)) {
        case FolderKind::key: return chosen.root;
        case FolderKind::unreadable:
            exit = call.errors.fail(Exit::io_failure, shown_path(config_path_on(chosen.root), services.separator) +
                                                          ": cannot be read" + reason_of(services.files));
            return std::nullopt;
        case FolderKind::other: break;
    }
    exit = call.errors.fail(Exit::no_key, shown_path(chosen.root, services.separator) + ": not a key (no " +
                                              utf8_from_wide(kVolumeWord) +
                                              " label and no CONFIG); add --force to use it anyway");
    return std::nullopt;
}

std::optional<std::wstring> search_failure(const KeySearch& search, AttachedKeys& keys) {
    if (!search.failure.empty()) {
        return L"cannot search for keys: " + search.failure + L" cannot be read";
    }
    const std::vector<std::wstring> unread = keys.unread_labels();
    if (!search.roots.empty() || unread.empty()) {
        return std::nullopt;
    }
    std::wstring devices;
    for (const std::wstring& device : unread) {
        devices += (devices.empty() ? L"" : L"; ") + device;
    }
    return L"cannot read the labels (" + devices + L"); a key there is not found";
}

std::wstring no_key_attached(AttachedKeys& keys) { return L"no key attached (searched " + keys.searched() + L")"; }

FolderKind kind_of_folder(const std::wstring& root, AttachedKeys& keys, FileSystem& files) {
    if (keys.is_key_root(root)) {
        return FolderKind::key;
    }
    uint32_t attributes = 0;
    switch (files.attributes(config_path_on(root), attributes)) {
        case Lookup::found: return (attributes & kAttributeFolder) == 0 ? FolderKind::key : FolderKind::other;
        case Lookup::missing: return FolderKind::other;
        case Lookup::failed: break;
    }
    return FolderKind::unreadable;
}

}  // namespace lanternbook::cli
