#include "cli/key_results.h"

#include <algorithm>
#include <numeric>

#include "cli/json_document.h"
#include "cli/shown_paths.h"
#include "text/utf8_text.h"

namespace lanternbook::cli {

std::string shown_key(const Invocation& call, const std::wstring& root) {
    return shown_path(root, call.services.separator);
}

bool KeyResults::add(KeyOutcome outcome) {
    const bool json = call_.options.has("--json");
    if (outcome.exit == Exit::done) {
        if (!json) {
            call_.out << shown_key(call_, outcome.key) << ": " << outcome.line << '\n';
        }
    } else {
        call_.errors.fail(outcome.exit, outcome.error);
    }
    const bool failed = outcome.exit != Exit::done;
    const bool interrupted = outcome.exit == Exit::interrupted || call_.services.terminal.interrupted();
    outcomes_.push_back(std::move(outcome));
    stopped_ = interrupted || (failed && call_.options.has("--fail-fast"));
    return !stopped_;
}

bool KeyResults::add_unusable(const KeyTarget& target) {
    KeyOutcome outcome;
    outcome.key = target.root;
    outcome.exit = target.exit;
    outcome.error = utf8_from_wide(target.error);
    return add(std::move(outcome));
}

Exit KeyResults::finish(std::size_t targets) {
    const bool json = call_.options.has("--json");
    // An empty list is an answer: a script reading JSON gets it with success.
    if (targets == 0 && !json) {
        return call_.errors.fail(Exit::no_key, no_key_attached(call_.services.finder));
    }
    if (json) {
        nlohmann::ordered_json document = json_document();
        document["results"] = nlohmann::ordered_json::array();
        for (const KeyOutcome& outcome : outcomes_) {
            nlohmann::ordered_json result;
            result["key"] = json_path(outcome.key, call_.services.separator);
            result["ok"] = outcome.exit == Exit::done;
            if (outcome.exit != Exit::done) {
                result["exit"] = code_of(outcome.exit);
                result["error"] = outcome.error;
            }
            for (const auto& field : outcome.fields.items()) {
                result[field.key()] = field.value();
            }
            document["results"].push_back(result);
        }
        call_.out << json_text(document);
    }
    const Exit worst = std::accumulate(outcomes_.begin(), outcomes_.end(), Exit::done,
                                       [](Exit so_far, const KeyOutcome& outcome) {
                                           return code_of(outcome.exit) > code_of(so_far) ? outcome.exit : so_far;
                                       });
    if (stopped_ && outcomes_.size() < targets) {
        const std::size_t left = targets - outcomes_.size();
        call_.errors.fail(worst, std::string(worst == Exit::interrupted ? "interrupted" : "stopped at the first failure") +
                                     "; " + std::to_string(left) + (left == 1 ? " key" : " keys") + " not tried");
    }
    return worst;
}

}  // namespace lanternbook::cli
