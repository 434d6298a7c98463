// Every label's and check box's text fits its control, in every language,
// measured in the dialog's own font after the dialog has widened what it
// widens. There is no exception: a text that does not fit fails.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/control_names.h"
#include "e2e/harness.h"

using namespace e2e;

namespace {

struct Language {
    uint32_t locale;
    const char* name;
};

const Language kLanguages[] = {
    {0x0409, "English"},   {0x0415, "Polish"},    {0x0407, "German"},     {0x0405, "Czech"},
    {0x041B, "Slovak"},    {0x0425, "Estonian"},  {0x0427, "Lithuanian"}, {0x0426, "Latvian"},
    {0x0418, "Romanian"},  {0x040E, "Hungarian"}, {0x0419, "Russian"},    {0x040A, "Spanish"},
    {0x040C, "French"},    {0x0410, "Italian"},   {0x0416, "Portuguese"}, {0x0424, "Slovenian"},
    {0x041A, "Croatian"},  {0x081A, "Serbian"},   {0x0402, "Bulgarian"},
};

// What a control's text has to fit into, and how it breaks lines.
struct TextBox {
    int width = 0;
    int height = 0;
    bool wraps = false;
};

bool has_class(HWND window, const wchar_t* name) {
    wchar_t class_name[32] = {};
    GetClassNameW(window, class_name, 32);
    return lstrcmpiW(class_name, name) == 0;
}

// The room a control gives its text, or nothing for controls that are not
// a text label or a check box.
bool text_box_of(HWND control, HDC dc, TextBox& box) {
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    RECT client{};
    GetClientRect(control, &client);
    box.width = client.right;
    box.height = client.bottom;
    if (has_class(control, L"Static")) {
        const LONG kind = style & SS_TYPEMASK;
        if (kind != SS_LEFT && kind != SS_CENTER && kind != SS_RIGHT && kind != SS_LEFTNOWORDWRAP) {
            return false;
        }
        box.wraps = kind != SS_LEFTNOWORDWRAP;
        return true;
    }
    if (has_class(control, L"Button")) {
        const LONG kind = style & BS_TYPEMASK;
        if (kind != BS_CHECKBOX && kind != BS_AUTOCHECKBOX && kind != BS_3STATE && kind != BS_AUTO3STATE &&
            kind != BS_RADIOBUTTON && kind != BS_AUTORADIOBUTTON) {
            return false;
        }
        // The box itself and the gap of half a digit before the text.
        SIZE digit{};
        GetTextExtentPoint32W(dc, L"0", 1, &digit);
        box.width -= GetSystemMetrics(SM_CXMENUCHECK) + digit.cx / 2;
        box.wraps = (style & BS_MULTILINE) != 0;
        return true;
    }
    return false;
}

struct Misfit {
    int control_id;
    std::string detail;
};

// The controls of a dialog whose text does not fit, with the sizes.
std::vector<Misfit> misfits_in(HWND dialog) {
    std::vector<Misfit> found;
    for (HWND control = GetWindow(dialog, GW_CHILD); control != nullptr;
         control = GetWindow(control, GW_HWNDNEXT)) {
        const std::wstring text = window_text(control);
        if (!IsWindowVisible(control) || text.empty()) {
            continue;
        }
        HDC dc = GetDC(control);
        auto* const font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
        const HGDIOBJ previous = SelectObject(dc, font);
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        const int line_height = static_cast<int>(metrics.tmHeight);
        TextBox box;
        if (text_box_of(control, dc, box)) {
            const int lines_available = std::max(1, box.height / line_height);
            const bool multi_line = box.wraps && lines_available > 1;
            RECT needed{0, 0, box.width, 0};
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed,
                      DT_CALCRECT | (multi_line ? DT_WORDBREAK : DT_SINGLELINE));
            const int lines_needed = (static_cast<int>(needed.bottom) + line_height - 1) / line_height;
            if (needed.right > box.width || lines_needed > lines_available) {
                found.push_back({GetDlgCtrlID(control),
                                 "needs " + std::to_string(needed.right) + " px in " +
                                     std::to_string(lines_needed) + " line(s), has " +
                                     std::to_string(box.width) + " px in " +
                                     std::to_string(lines_available) + " line(s)"});
            }
        }
        SelectObject(dc, previous);
        ReleaseDC(control, dc);
    }
    return found;
}

}  // namespace

E2E_GROUP(dialog_text_fit) {
    for (const Language& language : kLanguages) {
        const std::string argument = std::to_string(language.locale);
        run_dialog(dll, argument.c_str(), {on_dialog([&](HWND dialog) {
            for (const Misfit& misfit : misfits_in(dialog)) {
                check(false, "text does not fit: " + std::string(language.name) + " " + control_name(misfit.control_id) +
                                 ": " + misfit.detail);
            }
            cancel(dialog);
        })});
    }
}
