// The dialog's controls by name, so that a failure says which control it
// means: "Activities (1005)", not a bare 1005.
#pragma once

#include <string>

namespace e2e {

// "Name (id)" for a control of template 129, named after its IDC_ constant;
// "Unnamed control (id)" for an id the table does not hold.
[[nodiscard]] std::string control_name(int id);
// Whether the table holds a name for the id.
[[nodiscard]] bool has_control_name(int id);

}  // namespace e2e
