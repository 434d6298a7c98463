#include "dialog/win32/configurator_dialog.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "dialog/config_view.h"
#include "dialog/initialisation.h"
#include "dialog/layout.h"
#include "dialog/save_action.h"
#include "dialog/win32/header_painter.h"
#include "l10n/texts.h"
#include "maintenance/erase_downloads.h"
#include "maintenance/format_device.h"
#include "maintenance/recovery.h"
#include "platform/win32/handles.h"
#include "resources/resource.h"

namespace lanternbook::win32 {
namespace {

constexpr int kAnyNotification = -1;
constexpr int kNoControl = 0;
// Any check box the portable rules have a rule for.
constexpr int kRuledCheckBox = -2;
constexpr int kDaysRangeLower = 1;
constexpr int kDaysRangeUpper = 28;

// A control's rectangle in the dialog's client coordinates.
ControlRect client_rect_of(HWND dialog, HWND control) {
    RECT rect{};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return ControlRect{rect.left, rect.top, rect.right, rect.bottom};
}

void move_control(HWND control, const ControlRect& rect) {
    ::MoveWindow(control, rect.left, rect.top, rect.width(), rect.height(), TRUE);
}

// Message crackers: each gives its handler typed arguments.
template <LRESULT (ConfiguratorDialog::*Handler)()>
LRESULT invoke_plain(ConfiguratorDialog& dialog, WPARAM, LPARAM) {
    return (dialog.*Handler)();
}
template <LRESULT (ConfiguratorDialog::*Handler)(int)>
LRESULT invoke_command(ConfiguratorDialog& dialog, WPARAM wparam, LPARAM) {
    return (dialog.*Handler)(LOWORD(wparam));
}
template <LRESULT (ConfiguratorDialog::*Handler)(const NMUPDOWN&)>
LRESULT invoke_updown(ConfiguratorDialog& dialog, WPARAM, LPARAM lparam) {
    return (dialog.*Handler)(*reinterpret_cast<const NMUPDOWN*>(lparam));
}

}  // namespace

// clang-format off
#define ON_MESSAGE(message, handler) \
    {message, kNoControl, kAnyNotification, &invoke_plain<&ConfiguratorDialog::handler>}
#define ON_COMMAND(id, notification, handler) \
    {WM_COMMAND, id, notification, &invoke_command<&ConfiguratorDialog::handler>}
#define ON_UPDOWN(id, notification, handler) \
    {WM_NOTIFY, id, static_cast<int>(notification), &invoke_updown<&ConfiguratorDialog::handler>}

// The first matching row handles the message; the rest go to the default
// dialog handling.
const ConfiguratorDialog::MessageRow ConfiguratorDialog::kMessageMap[] = {
    //          message / control     notification       handler
    ON_MESSAGE(WM_INITDIALOG,                             on_init_dialog),          // ()
    ON_MESSAGE(WM_PAINT,                                  on_paint),                // ()
    ON_COMMAND(IDC_SAVE,              kAnyNotification,   on_save),                 // (int id)
    ON_COMMAND(IDC_CANCEL,            kAnyNotification,   on_cancel),               // (int id)
    ON_UPDOWN (IDC_DAYS_UPDOWN,       UDN_DELTAPOS,       on_days_delta),           // (const NMUPDOWN&)
    ON_COMMAND(IDC_FORMAT,            BN_CLICKED,         on_format),               // (int id)
    ON_COMMAND(IDC_ERASE,             BN_CLICKED,         on_erase),                // (int id)
    ON_COMMAND(kRuledCheckBox,        BN_CLICKED,         on_check_box_clicked),    // (int id)
};
// clang-format on

#undef ON_MESSAGE
#undef ON_COMMAND
#undef ON_UPDOWN

ConfiguratorDialog::ConfiguratorDialog(HMODULE module, uint32_t language_override)
    : ModalDialog(module, IDD_CONFIGURATOR),
      platform_(module),
      state_(platform_, platform_),
      rules_(state_, controls_) {
    state_.language_override = language_override;
}

bool ConfiguratorDialog::dispatch(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
    for (const MessageRow& row : kMessageMap) {
        if (row.message != message) {
            continue;
        }
        if (message == WM_COMMAND) {
            const int id = LOWORD(wparam);
            const bool control_matches = row.control_id == kRuledCheckBox ? ControlRules::has_click_rule(id)
                                                                          : id == row.control_id;
            if (!control_matches ||
                (row.notification != kAnyNotification && HIWORD(wparam) != row.notification)) {
                continue;
            }
        } else if (message == WM_NOTIFY) {
            const auto* header = reinterpret_cast<const NMHDR*>(lparam);
            if (header == nullptr || static_cast<int>(header->idFrom) != row.control_id ||
                static_cast<int>(header->code) != row.notification) {
                continue;
            }
        }
        result = row.invoke(*this, wparam, lparam);
        return true;
    }
    return false;
}

// The screen's device context. Under Wine the dialog's own, asked for before
// the dialog is shown, costs 4 ms more when it is shown, and a memory one
// compatible with the screen costs several times as much to make.
TextMeter::TextMeter(HWND dialog)
    : dc_(::GetDC(nullptr)),
      previous_font_(::SelectObject(dc_, reinterpret_cast<HGDIOBJ>(::SendMessageW(dialog, WM_GETFONT, 0, 0)))) {}

TextMeter::~TextMeter() {
    ::SelectObject(dc_, previous_font_);
    ::ReleaseDC(nullptr, dc_);
}

int TextMeter::width(const wchar_t* text) const {
    SIZE extent{};
    ::GetTextExtentPoint32W(dc_, text, static_cast<int>(wcslen(text)), &extent);
    return static_cast<int>(extent.cx);
}

LRESULT ConfiguratorDialog::on_init_dialog() {
    controls_.attach(window());
    // Initialisation reads no box after posting a change to it (the unit tests
    // see to that), and the dialog is shown only once the changes have landed:
    // landing them at once spares the queue.
    controls_.send_checks(true);
    platform_.set_owner_window(window());
    centre_and_set_icons();
    state_.language_id =
        state_.language_override != 0 ? state_.language_override : ::GetUserDefaultLCID();
    state_.strings.select_language(state_.language_id);
    put_texts(state_, controls_);
    ::SetWindowTextW(window(), state_.strings.text_at(Text::product_header));
    ::SendMessageW(controls_.item(IDC_DAYS_UPDOWN), UDM_SETRANGE, 0, MAKELPARAM(kDaysRangeUpper, kDaysRangeLower));
    put_default_days(controls_);
    // A format cut short is finished before the key is looked at.
    finish_unfinished_formats(RecoveryServices{state_.device, platform_, platform_, platform_}, platform_,
                              state_.strings);
    settle_initial_states(state_, controls_, rules_, platform_, platform_);
    // After the stored configuration: the values beside the labels are final then.
    fit_to_texts();
    controls_.send_checks(false);
    return TRUE;
}

void ConfiguratorDialog::fit_to_texts() {
    const TextMeter meter(window());
    fit_erase_button(meter);
    fit_range_button(meter);
    fit_label_rows(meter);
}

void ConfiguratorDialog::centre_and_set_icons() {
    HWND owner = ::GetWindow(window(), GW_OWNER);
    RECT work_area{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work_area, 0);
    RECT around = work_area;
    if (owner != nullptr && ::IsWindowVisible(owner) != FALSE && ::IsIconic(owner) == FALSE) {
        ::GetWindowRect(owner, &around);
    }
    RECT own{};
    ::GetWindowRect(window(), &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    int left = around.left + ((around.right - around.left) - width) / 2;
    int top = around.top + ((around.bottom - around.top) - height) / 2;
    // Keep the whole window inside the work area.
    left = std::max<int>(work_area.left, std::min<int>(left, work_area.right - width));
    top = std::max<int>(work_area.top, std::min<int>(top, work_area.bottom - height));
    ::SetWindowPos(window(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    // The small one first: a large one set alone has Wine make a small copy of
    // it, which the small one then replaces.
    struct IconKind {
        WPARAM kind;
        int width_metric;
        int height_metric;
    };
    constexpr IconKind kKinds[] = {{ICON_SMALL, SM_CXSMICON, SM_CYSMICON}, {ICON_BIG, SM_CXICON, SM_CYICON}};
    static_assert(std::size(kKinds) == std::tuple_size<decltype(icons_)>::value, "one icon of each kind");
    for (std::size_t i = 0; i < icons_.size(); ++i) {
        icons_[i].reset(static_cast<HICON>(::LoadImageW(module(), MAKEINTRESOURCEW(IDI_LANTERNBOOK), IMAGE_ICON,
                                                        ::GetSystemMetrics(kKinds[i].width_metric),
                                                        ::GetSystemMetrics(kKinds[i].height_metric), LR_DEFAULTCOLOR)));
        ::SendMessageW(window(), WM_SETICON, kKinds[i].kind, reinterpret_cast<LPARAM>(icons_[i].get()));
    }
}

void ConfiguratorDialog::fit_erase_button(const TextMeter& meter) {
    HWND button = controls_.item(IDC_ERASE);
    const ControlRect rect = client_rect_of(window(), button);
    const int needed = meter.width(state_.strings.text_at(Text::erase));
    const ControlRect fitted = fitted_erase_button(rect, needed);
    if (!(fitted == rect)) {
        move_control(button, fitted);
    }
}

void ConfiguratorDialog::fit_range_button(const TextMeter& meter) {
    HWND range_box = controls_.item(IDC_RANGE_BUTTON);
    HWND vdo_box = controls_.item(IDC_VDO_SPECIAL);
    const ControlRect range = client_rect_of(window(), range_box);
    const int needed = meter.width(state_.strings.text_at(Text::range_button));
    const RangeBoxLayout fitted = fitted_range_box(range, client_rect_of(window(), vdo_box), needed);
    if (!(fitted.range_box == range)) {
        move_control(range_box, fitted.range_box);
        move_control(vdo_box, fitted.vdo_box);
    }
}

void ConfiguratorDialog::fit_label_rows(const TextMeter& meter) {
    constexpr std::size_t kLongestValue = 64;
    struct Row {
        int label_id;
        Text label_entry;
        int value_id;
    };
    const Row rows[] = {{IDC_SERIAL_LABEL, Text::device_serial_number, IDC_SERIAL_VALUE},
                        {IDC_VERSION_LABEL, Text::software_version, IDC_VERSION_VALUE}};
    LabelRows layout;
    static_assert(std::size(rows) == std::tuple_size<LabelRows>::value, "one layout row per label");
    for (std::size_t i = 0; i < layout.size(); ++i) {
        HWND label = controls_.item(rows[i].label_id);
        HWND value = controls_.item(rows[i].value_id);
        const std::wstring value_text = controls_.text(rows[i].value_id, kLongestValue);
        layout[i] = LabelRow{client_rect_of(window(), label), client_rect_of(window(), value),
                             meter.width(state_.strings.text_at(rows[i].label_entry)),
                             meter.width(value_text.c_str())};
    }
    const LabelRows fitted = fitted_label_rows(layout);
    for (std::size_t i = 0; i < fitted.size(); ++i) {
        if (!(fitted[i].label == layout[i].label)) {
            move_control(controls_.item(rows[i].label_id), fitted[i].label);
        }
        if (!(fitted[i].value == layout[i].value)) {
            move_control(controls_.item(rows[i].value_id), fitted[i].value);
        }
    }
}

LRESULT ConfiguratorDialog::on_paint() {
    paint_header(window(), module());
    return 0;
}

LRESULT ConfiguratorDialog::on_save(int id) {
    if (save_from_dialog(state_, controls_, platform_, platform_)) {
        end(id);
    }
    return 0;
}

LRESULT ConfiguratorDialog::on_cancel(int id) {
    end(id);
    return 0;
}

LRESULT ConfiguratorDialog::on_check_box_clicked(int id) {
    rules_.on_clicked(id);
    return 0;
}

LRESULT ConfiguratorDialog::on_days_delta(const NMUPDOWN& change) {
    rules_.on_days_delta(change.iDelta);
    return 0;
}

LRESULT ConfiguratorDialog::on_format(int /*id*/) {
    // The button's state is only one guard: a message can still arrive.
    if (!state_.format_allowed) {
        return 0;
    }
    // The run has told the user whatever did not happen.
    static_cast<void>(format_device(state_.device.key(),
                                    FormatServices{state_.device, platform_, platform_, platform_, platform_, platform_},
                                    state_.strings));
    return 0;
}

LRESULT ConfiguratorDialog::on_erase(int /*id*/) {
    // The run has told the user whatever did not happen.
    static_cast<void>(erase_downloads(state_.device.key(), state_.device, platform_, platform_, state_.strings));
    return 0;
}

void run_configurator(HMODULE module, uint32_t language_override) {
    ConfiguratorDialog dialog(module, language_override);
    dialog.run(::GetActiveWindow());
}

}  // namespace lanternbook::win32
