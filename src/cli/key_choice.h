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
