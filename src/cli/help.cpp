// lanternbook help: the program's help, or a command's.
#include "cli/commands.h"
#include "cli/usage.h"
#include "lanternbook_version.h"

namespace lanternbook::cli {
namespace {

Exit run_help(Invocation& call);

}  // namespace

CommandEntry help_command() {
    return {"help", "[COMMAND]", "Prints this help, or a command's.", "", {}, {{"lanternbook help set", "set's options"}},
            run_help};
}

namespace {

Exit run_help(Invocation& call) {
    const std::size_t width = call.services.help_width;
    if (call.options.words().empty()) {
        call.out << program_help(LANTERNBOOK_VERSION_TEXT, width);
        return Exit::done;
    }
    const std::string& topic = call.options.words().front();
    const CommandEntry* about = command_named(topic);
    if (about == nullptr) {
        return call.errors.fail(Exit::refused, unknown_command(topic));
    }
    call.out << command_help(*about, width);
    return Exit::done;
}

}  // namespace
}  // namespace lanternbook::cli
