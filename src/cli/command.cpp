#include "cli/command.h"

#include "text/utf8_text.h"

namespace lanternbook::cli {

Exit Errors::fail(Exit exit, const std::string& message) const {
    err_ << kProgram << (command_.empty() ? "" : " ") << command_ << ": " << message << '\n';
    return exit;
}

Exit Errors::fail(Exit exit, const std::wstring& message) const { return fail(exit, utf8_from_wide(message)); }

}  // namespace lanternbook::cli
