// lanternbook find: the roots of the attached keys.
#include "cli/commands.h"
#include "cli/json_document.h"
#include "cli/key_choice.h"
#include "cli/shown_paths.h"
#include "text/utf8_text.h"

namespace lanternbook::cli {
namespace {

Exit run_find(Invocation& call);
void print_keys(Invocation& call, const std::vector<std::wstring>& roots);

}  // namespace

CommandEntry find_command() {
    return {"find",
            "[--json | -q]",
            "Lists the roots of the attached keys, one a line.",
            "A key is a mounted volume whose label holds VOLKARIS in any case. Linux reads /proc/self/mountinfo "
            "and /dev/disk/by-label, and the labels of the block devices themselves where those links say "
            "nothing; macOS looks in /Volumes; Windows at the drive letters.",
            {{"--json", nullptr, "an object listing each key's root and label; with no key, an empty list and exit 0"},
             kQuietOption},
            {{"lanternbook find", "the root of each key attached"},
             {"lanternbook find --json", "the same with each key's label, for scripts"}},
            run_find};
}

namespace {

Exit run_find(Invocation& call) {
    AttachedKeys& finder = call.services.finder;
    const KeySearch search = finder.find_keys();
    if (const std::optional<std::wstring> failure = search_failure(search, finder)) {
        return call.errors.fail(Exit::io_failure, *failure);
    }
    print_keys(call, search.roots);
    // An empty list is an answer: a script reading JSON gets it with success.
    if (search.roots.empty() && !call.options.has("--json")) {
        return call.errors.fail(Exit::no_key, no_key_attached(finder));
    }
    return Exit::done;
}

void print_keys(Invocation& call, const std::vector<std::wstring>& roots) {
    if (!call.options.has("--json")) {
        for (const std::wstring& root : roots) {
            call.out << shown_text(root) << '\n';
        }
        return;
    }
    nlohmann::ordered_json json = json_document();
    json["keys"] = nlohmann::ordered_json::array();
    for (const std::wstring& root : roots) {
        json["keys"].push_back(
            {{"root", utf8_from_wide(root)}, {"label", utf8_from_wide(call.services.finder.label_of(root))}});
    }
    call.out << json_text(json);
}

}  // namespace
}  // namespace lanternbook::cli
