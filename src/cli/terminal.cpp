#include "cli/terminal.h"

namespace lanternbook::cli {

bool is_yes(const std::optional<std::string>& answer) {
    return answer && (*answer == "y" || *answer == "Y" || *answer == "yes" || *answer == "YES" || *answer == "Yes");
}

}  // namespace lanternbook::cli
