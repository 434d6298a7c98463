// A run over several keys, each handled on its own: one line per key as it
// is done (led by the key's path; failures on standard error), or with
// --json one document at the end, {"format": 1, "results": [...]}; the exit
// code is the worst of the keys'.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/command.h"
#include "cli/key_choice.h"

namespace lanternbook::cli {

// What became of one key.
struct KeyOutcome {
    std::wstring key;
    Exit exit = Exit::done;
    // When done: what follows "KEY: " in the text.
    std::string line;
    // When not done: the error, as one line.
    std::string error;
    // The JSON result's fields after "key" and "ok" (and "exit" and "error" for a failure).
    nlohmann::ordered_json fields = nlohmann::ordered_json::object();
};

class KeyResults {
public:
    explicit KeyResults(Invocation& call) : call_(call) {}

    // Tells the key's outcome; false when the run stops here: with
    // --fail-fast after a failure, or after an interrupt.
    [[nodiscard]] bool add(KeyOutcome outcome);
    // A target that could not be used, told as its outcome.
    [[nodiscard]] bool add_unusable(const KeyTarget& target);
    // Prints the document (JSON) and says what was left untried; the worst
    // exit. A run that had no key at all exits 0 with JSON's empty list and
    // no_key in text, saying so.
    [[nodiscard]] Exit finish(std::size_t targets);

private:
    Invocation& call_;
    std::vector<KeyOutcome> outcomes_;
    bool stopped_ = false;
};

// `root` as the user reads it.
[[nodiscard]] std::string shown_key(const Invocation& call, const std::wstring& root);

}  // namespace lanternbook::cli
