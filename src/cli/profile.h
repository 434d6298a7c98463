// Choices kept in a file: set --from's document, and a profile, the same
// document holding only what a depot sets on every key (check-profile,
// watch --apply).
#pragma once

#include <optional>
#include <string>

#include "cli/command.h"
#include "cli/set_request.h"

namespace lanternbook::cli {

// The bytes of the file `path`, or of standard input for "-", to one byte
// past 1 MiB; false, with `failure` naming the file and the reason, when it
// cannot be read.
[[nodiscard]] bool read_document(Invocation& call, const std::string& path, std::string& text, std::string& failure);

// The choices of a document's text into `request`; the one-line reason,
// naming the field, when it is refused (or larger than 1 MiB).
[[nodiscard]] std::optional<std::string> read_choices(const std::string& text, const SystemTime& now,
                                                      SetRequest& request, bool defaults_taken);

// The profile in the file `path`: choices that change something. None when
// it cannot be read (exit 3) or is refused (exit 1), reported naming the
// file and the field.
[[nodiscard]] std::optional<SetRequest> read_profile(Invocation& call, const std::string& path, Exit& exit);

}  // namespace lanternbook::cli
