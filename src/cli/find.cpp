// lanternbook find: the roots of the attached keys.
#include "cli/commands.h"
#include "cli/json_document.h"
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
            {{"--json", nullptr, "an object listing each key's root and label"}, kQuietOption},
            {{"lanternbook find", "the root of each key attached"},
             {"lanternbook find --json", "the same with each key's label, for scripts"}},
            run_find};
}

namespace {

Exit run_find(Invocation& call) {
    AttachedKeys& finder = call.services.finder;
    const KeySearch search = finder.find_keys();
    if (!search.failure.empty()) {
        return call.errors.fail(Exit::io_failure, L"cannot search for keys: " + search.failure + L" cannot be read");
    }
    print_keys(call, search.roots);
    if (search.roots.empty()) {
        return call.errors.fail(Exit::no_key, L"no key attached (searched " + finder.searched() + L")");
    }
    return Exit::done;
}

void print_keys(Invocation& call, const std::vector<std::wstring>& roots) {
    if (!call.options.has("--json")) {
        for (const std::wstring& root : roots) {
            call.out << utf8_from_wide(root) << '\n';
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
