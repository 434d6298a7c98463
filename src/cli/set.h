// lanternbook set's action through the core, apart from its options and
// output: what the property tests hold against the dialog's Save.
#pragma once

#include <string>

#include "cli/command.h"
#include "cli/set_request.h"
#include "device/config_codec.h"

namespace lanternbook::cli {

struct SetResult {
    Exit exit = Exit::done;
    std::string error;
    // What was saved, or with a dry run would be.
    ConfigImage image{};
    // CONFIG already held exactly these bytes: it was left as it was.
    bool unchanged = false;
};

// `set` on the key at `root`: the dialog's choices after opening on its
// CONFIG (with VDO special data as stored), the request's changes, and the
// one save, as the dialog's Save; no save when the bytes would not change.
[[nodiscard]] SetResult set_configuration(const std::wstring& root, const SetRequest& request, bool dry_run,
                                          Services& services);

}  // namespace lanternbook::cli
