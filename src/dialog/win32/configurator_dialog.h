// The configurator dialog: template 129, its message table and handlers.
// The rules live in the portable core; handlers only connect them to Win32.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <cstdint>

#include "dialog/control_rules.h"
#include "dialog/dialog_state.h"
#include "dialog/win32/modal_dialog.h"
#include "dialog/win32/win32_controls.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_platform.h"

namespace lanternbook::win32 {

// Widths in pixels of texts in the dialog's font, all taken in one device
// context: under Wine each one asked for costs a trip to the server.
class TextMeter {
public:
    explicit TextMeter(HWND dialog);
    TextMeter(const TextMeter&) = delete;
    TextMeter& operator=(const TextMeter&) = delete;
    ~TextMeter();
    // 0 for the empty text, or without a device context.
    [[nodiscard]] int width(const wchar_t* text) const;

private:
    HDC dc_;
    HGDIOBJ previous_font_;
};

class ConfiguratorDialog : public ModalDialog {
public:
    ConfiguratorDialog(HMODULE module, uint32_t language_override);

private:
    struct MessageRow {
        UINT message;
        int control_id;
        int notification;
        LRESULT (*invoke)(ConfiguratorDialog& dialog, WPARAM wparam, LPARAM lparam);
    };
    static const MessageRow kMessageMap[];

    bool dispatch(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

    // Handlers, as the message map names them. cppcheck misses the uses
    // through the map's member pointers and only sees a name used elsewhere;
    // the handlers whose names appear nowhere else are marked.
    LRESULT on_init_dialog();  // cppcheck-suppress unusedPrivateFunction
    LRESULT on_paint();  // cppcheck-suppress unusedPrivateFunction
    LRESULT on_save(int id);  // cppcheck-suppress unusedPrivateFunction
    LRESULT on_cancel(int id);  // cppcheck-suppress unusedPrivateFunction
    LRESULT on_days_delta(const NMUPDOWN& change);
    LRESULT on_format(int id);  // cppcheck-suppress unusedPrivateFunction
    LRESULT on_erase(int id);  // cppcheck-suppress unusedPrivateFunction
    LRESULT on_check_box_clicked(int id);  // cppcheck-suppress unusedPrivateFunction

    // Initialisation steps that only the window can do.
    void centre_and_set_icons();
    // The controls the texts may not fit, widened.
    void fit_to_texts();
    void fit_erase_button(const TextMeter& meter);
    void fit_range_button(const TextMeter& meter);
    void fit_label_rows(const TextMeter& meter);

    Win32Platform platform_;
    DialogState state_;
    Win32Controls controls_;
    ControlRules rules_;
    // The window's icons: released with the object, after the window is gone.
    std::array<IconHandle, 2> icons_;
};

// Runs the dialog modally over the calling thread's active window.
void run_configurator(HMODULE module, uint32_t language_override);

}  // namespace lanternbook::win32
