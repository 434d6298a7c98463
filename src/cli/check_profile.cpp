// lanternbook check-profile: whether a file is a profile that set --from,
// set --all --from and watch --apply would take, without a key.
#include "cli/commands.h"
#include "cli/json_document.h"
#include "cli/profile.h"

namespace lanternbook::cli {
namespace {

Exit run_check_profile(Invocation& call);
std::vector<std::string> fields_set(const SetRequest& request);

}  // namespace

CommandEntry check_profile_command() {
    return {"check-profile",
            "FILE [--json | -q]",
            "Checks a profile without a key: the choices a depot sets on every key.",
            "A profile is a JSON object as show --json prints it, holding only the choices to set: \"format\": 1 "
            "and any of \"data\", \"period\", \"days\", \"from\", \"till\", \"range_button\", "
            "\"vdo_special_data\". What it leaves out each key keeps. A profile that names an unknown field, "
            "gives a field twice or of another type, holds values the dialog would refuse or sets nothing is "
            "refused with the field named (exit 1); a file that cannot be read exits 3. See PROFILES in the man "
            "page.",
            {{"--json", nullptr, R"({"format": 1, "profile": FILE, "sets": [...]}, the fields it sets)"},
             kQuietOption},
            {{"lanternbook check-profile depot.json", "whether depot.json is a profile, and what it sets"}},
            run_check_profile,
            1};
}

namespace {

Exit run_check_profile(Invocation& call) {
    if (call.options.words().empty()) {
        return call.errors.fail(Exit::refused, std::string("which profile? give its FILE (- for standard input)"));
    }
    const std::string& path = call.options.words().front();
    Exit exit = Exit::done;
    const std::optional<SetRequest> request = read_profile(call, path, exit);
    if (!request) {
        return exit;
    }
    const std::vector<std::string> sets = fields_set(*request);
    if (call.options.has("--json")) {
        nlohmann::ordered_json json = json_document();
        json["profile"] = path;
        json["sets"] = sets;
        call.out << json_text(json);
        return Exit::done;
    }
    std::string list;
    for (const std::string& field : sets) {
        list += (list.empty() ? "" : ", ") + field;
    }
    call.out << path << ": a profile; it sets " << list << '\n';
    return Exit::done;
}

std::vector<std::string> fields_set(const SetRequest& request) {
    std::vector<std::string> fields;
    const auto add_if = [&fields](bool given, const char* name) {
        if (given) {
            fields.emplace_back(name);
        }
    };
    add_if(request.data.has_value(), "data");
    add_if(request.period.has_value(), "period");
    add_if(request.days.has_value(), "days");
    add_if(request.from_date.has_value(), "from");
    add_if(request.till_date.has_value(), "till");
    add_if(request.range_button.has_value(), "range_button");
    add_if(request.vdo_special_data.has_value() || request.vdo_as_stored.has_value(), "vdo_special_data");
    return fields;
}

}  // namespace
}  // namespace lanternbook::cli
