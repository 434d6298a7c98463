// Which key a command works on, and whether a folder named for it is one.
#pragma once

#include <optional>
#include <string>

#include "cli/command.h"

namespace lanternbook::cli {

// The root of the key a command works on: the folder --key names, else the
// one LANTERNBOOK_KEY names, else the one key attached. A folder named is
// taken only when it is a key, or with --force. When there is none to use,
// the reason is reported and `exit` says which.
[[nodiscard]] std::optional<std::wstring> chosen_root(Invocation& call, Exit& exit);

// Whether a command was given several keys: --all, or --key more than once.
[[nodiscard]] bool several_keys(const GivenOptions& options);

// One of several keys a command works on: its root, or why it cannot be used.
struct KeyTarget {
    // The root, or the folder as named when it is no key to use.
    std::wstring root;
    Exit exit = Exit::done;
    std::wstring error;

    bool usable() const { return exit == Exit::done; }
};

// The keys of a run over several: each folder --key names, checked as
// chosen_root checks one (a folder that is no key is that key's failure,
// not the run's), or with --all every key attached. None when the keys
// cannot be searched or --all goes with --key; `exit` then says why.
[[nodiscard]] std::optional<std::vector<KeyTarget>> chosen_keys(Invocation& call, Exit& exit);

// Why a search for keys may have missed some, reported as an I/O failure: a
// source it could not read, or, when it found none, labels it could not read.
[[nodiscard]] std::optional<std::wstring> search_failure(const KeySearch& search, AttachedKeys& keys);
// "no key attached (searched ...)".
[[nodiscard]] std::wstring no_key_attached(AttachedKeys& keys);

enum class FolderKind {
    key,         // a key's root, by its label or by its CONFIG
    other,       // no label naming the key and no CONFIG
    unreadable,  // whether CONFIG is there cannot be told
};

// What `root`, a folder named with --key, is.
[[nodiscard]] FolderKind kind_of_folder(const std::wstring& root, AttachedKeys& keys, FileSystem& files);

}  // namespace lanternbook::cli
