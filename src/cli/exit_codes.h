// What the command line's exit code says.
#pragma once

namespace lanternbook::cli {

enum class Exit : int {
    done = 0,
    refused = 1,  // a usage error or a choice the dialog cannot make
    no_key = 2,   // no key attached, --key names no folder or (without --force) no key, or the key went away
    io_failure = 3,
    // Ctrl-C or SIGTERM stopped a run between two files: 128 and SIGINT's number, as shells tell it.
    interrupted = 130,
};

inline int code_of(Exit exit) { return static_cast<int>(exit); }

}  // namespace lanternbook::cli
