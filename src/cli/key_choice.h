// Which key a command works on, and whether a folder named for it is one.
#pragma once

#include <optional>
#include <string>

#include "cli/command.h"

namespace lanternbook::cli {

enum class KeyUse {
    read,    // any folder named is read
    change,  // a folder named is changed only when it is a key, or with --force
};

// The root of the key a command works on: the folder --key names, else the
// one key attached. When there is none to use, the reason is reported and
// `exit` says which.
[[nodiscard]] std::optional<std::wstring> chosen_root(Invocation& call, KeyUse use, Exit& exit);

enum class FolderKind {
    key,         // a key's root, by its label or by its CONFIG
    other,       // no label naming the key and no CONFIG
    unreadable,  // whether CONFIG is there cannot be told
};

// What `root`, a folder named with --key, is.
[[nodiscard]] FolderKind kind_of_folder(const std::wstring& root, AttachedKeys& keys, FileSystem& files);

}  // namespace lanternbook::cli
