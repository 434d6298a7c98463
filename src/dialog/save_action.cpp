#include "dialog/save_action.h"

#include "dialog/config_view.h"
#include "maintenance/save_config.h"

namespace lanternbook {

bool save_from_dialog(DialogState& state, DialogControls& controls, UserMessages& messages, Clock& clock) {
    if (!state.device_ready) {
        return true;
    }
    return save_settings(state.device.key(), state.device, build_config_from_controls(state, controls, clock),
                         messages, state.strings);
}

}  // namespace lanternbook
