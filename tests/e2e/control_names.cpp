#include "e2e/control_names.h"

#include <algorithm>
#include <iterator>

#include "resources/resource.h"

namespace e2e {
namespace {

struct ControlName {
    int id;
    const char* name;
};

// Every IDC_ constant of resources/resource.h, its name in words.
const ControlName kControlNames[] = {
    {IDC_SAVE, "Save"},
    {IDC_CANCEL, "Cancel"},
    {IDC_ABOUT, "About"},
    {IDC_FILES_GROUP, "Files group"},
    {IDC_FOOTER, "Footer"},
    {IDC_PRODUCT_HEADER, "Product header"},
    {IDC_SOFTWARE_UPDATE, "Software update"},
    {IDC_OVERVIEW, "Overview"},
    {IDC_ACTIVITIES, "Activities"},
    {IDC_EVENTS_FAULTS, "Events faults"},
    {IDC_DETAILED_SPEED, "Detailed speed"},
    {IDC_TECHNICAL_DATA, "Technical data"},
    {IDC_SINCE_LAST, "Since last"},
    {IDC_FROM_TILL, "From till"},
    {IDC_LAST_DAYS, "Last days"},
    {IDC_FROM_DATE, "From date"},
    {IDC_TILL_DATE, "Till date"},
    {IDC_DAYS_EDIT, "Days edit"},
    {IDC_DAYS_UPDOWN, "Days updown"},
    {IDC_EVERYTHING, "Everything"},
    {IDC_TEMPLATE_HEADER, "Template header"},
    {IDC_TILL_LABEL, "Till label"},
    {IDC_DAYS_LABEL, "Days label"},
    {IDC_FORMAT_GROUP, "Format group"},
    {IDC_STORE_SETTINGS, "Store settings"},
    {IDC_FORMAT, "Format"},
    {IDC_FIRMWARE_PATH, "Firmware path"},
    {IDC_FIRMWARE_BROWSE, "Firmware browse"},
    {IDC_RESET_AFTER_UPGRADE, "Reset after upgrade"},
    {IDC_UPGRADE, "Upgrade"},
    {IDC_FIRMWARE_LABEL, "Firmware label"},
    {IDC_VERSION_LABEL, "Version label"},
    {IDC_NR_LABEL, "Nr label"},
    {IDC_SERIAL_LABEL, "Serial label"},
    {IDC_SERIAL_VALUE, "Serial value"},
    {IDC_VERSION_VALUE, "Version value"},
    {IDC_ERASE_GROUP, "Erase group"},
    {IDC_ERASE, "Erase"},
    {IDC_CARD_VIA_TACHO, "Card via tacho"},
    {IDC_RANGE_BUTTON, "Range button"},
    {IDC_VDO_SPECIAL, "VDO special"},
    {IDC_FOOTNOTE, "Footnote"},
};

const ControlName* find_name(int id) {
    const auto found = std::find_if(std::begin(kControlNames), std::end(kControlNames),
                                    [id](const ControlName& control) { return control.id == id; });
    return found == std::end(kControlNames) ? nullptr : found;
}

}  // namespace

std::string control_name(int id) {
    const ControlName* const found = find_name(id);
    return std::string(found != nullptr ? found->name : "Unnamed control") + " (" + std::to_string(id) + ")";
}

bool has_control_name(int id) { return find_name(id) != nullptr; }

}  // namespace e2e
