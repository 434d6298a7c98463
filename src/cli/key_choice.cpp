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

// The folder named with --key when there is one, or the only key attached.
ChosenKey choose_key(const std::wstring* named_root, AttachedKeys& keys, FileSystem& files) {
    ChosenKey chosen;
    if (named_root != nullptr) {
        uint32_t attributes = 0;
        const Lookup found = named_root->empty() ? Lookup::missing : files.attributes(*named_root, attributes);
        if (found == Lookup::failed) {
            chosen.exit = Exit::io_failure;
            chosen.error = L"--key " + *named_root + L": cannot be read" + wide_from_utf8(reason_of(files));
        } else if (found == Lookup::missing || (attributes & kAttributeFolder) == 0) {
            chosen.exit = Exit::no_key;
            chosen.error = L"--key " + *named_root + L": no such folder";
        } else {
            chosen.root = *named_root;
        }
        return chosen;
    }
    const KeySearch search = keys.find_keys();
    if (!search.failure.empty()) {
        chosen.exit = Exit::io_failure;
        chosen.error = L"cannot search for keys: " + search.failure + L" cannot be read";
        return chosen;
    }
    if (search.roots.empty()) {
        chosen.exit = Exit::no_key;
        chosen.error = L"no key attached (searched " + keys.searched() + L")";
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

}  // namespace

std::optional<std::wstring> chosen_root(Invocation& call, KeyUse use, Exit& exit) {
    Services& services = call.services;
    const std::wstring named = wide_from_utf8(call.options.value("--key"));
    const ChosenKey chosen =
        choose_key(call.options.has("--key") ? &named : nullptr, services.finder, services.files);
    if (chosen.exit != Exit::done) {
        exit = call.errors.fail(chosen.exit, chosen.error);
        return std::nullopt;
    }
    if (use == KeyUse::read || chosen.found || call.options.has("--force")) {
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
