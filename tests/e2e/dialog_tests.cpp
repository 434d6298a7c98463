// The real dialog under Wine: initialisation, texts, the control rules on
// real check boxes, the day count, the ways to close it, painting.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <initializer_list>

#include "e2e/control_names.h"
#include "e2e/harness.h"
#include "e2e/process_use.h"
#include "l10n/texts.h"
#include "resources/resource.h"

using namespace e2e;
using lanternbook::Text;

namespace {

// Controls the template creates hidden stay hidden, VDO special included.
void expect_hidden_controls(HWND dialog) {
    for (int id : {IDC_VDO_SPECIAL, IDC_FORMAT_GROUP, IDC_STORE_SETTINGS, IDC_FORMAT, IDC_FIRMWARE_PATH,
                   IDC_FIRMWARE_BROWSE, IDC_RESET_AFTER_UPGRADE, IDC_UPGRADE, IDC_FIRMWARE_LABEL,
                   IDC_SOFTWARE_UPDATE, IDC_ERASE_GROUP, IDC_CANCEL, IDC_ABOUT, IDC_PRODUCT_HEADER}) {
        check(!is_visible(dialog, id), control_name(id) + " is not visible");
    }
    check(!is_checked(dialog, IDC_VDO_SPECIAL), control_name(IDC_VDO_SPECIAL) + " starts unchecked");
}

// Every control that carries a text shows the language's entry.
void expect_texts(HWND dialog, uint32_t locale) {
    const struct {
        int id;
        Text entry_index;
    } shown[] = {
        {IDC_SAVE, Text::save_settings},         {IDC_FILES_GROUP, Text::files_to_download},
        {IDC_FOOTNOTE, Text::footnote},          {IDC_OVERVIEW, Text::overview},
        {IDC_ACTIVITIES, Text::activities},      {IDC_EVENTS_FAULTS, Text::events_and_faults},
        {IDC_DETAILED_SPEED, Text::detailed_speed}, {IDC_TECHNICAL_DATA, Text::technical_data},
        {IDC_SINCE_LAST, Text::since_last_download}, {IDC_FROM_TILL, Text::from},
        {IDC_TILL_LABEL, Text::till},            {IDC_LAST_DAYS, Text::last},
        {IDC_DAYS_LABEL, Text::days},            {IDC_EVERYTHING, Text::everything},
        {IDC_SERIAL_LABEL, Text::device_serial_number}, {IDC_VERSION_LABEL, Text::software_version},
        {IDC_ERASE, Text::erase},                {IDC_CARD_VIA_TACHO, Text::card_via_tachograph},
        {IDC_RANGE_BUTTON, Text::range_button},  {IDC_VDO_SPECIAL, Text::vdo_special_data},
        {IDC_FORMAT, Text::format},              {IDC_STORE_SETTINGS, Text::store_device_settings},
    };
    for (const auto& control : shown) {
        check_text(text_of(dialog, control.id), entry_text(locale, control.entry_index),
                   "text of " + control_name(control.id));
    }
    check_text(window_text(dialog), entry_text(locale, Text::product_header), "caption");
}

// The window carries an icon of each size the system draws: the caption's and the task switcher's.
void expect_icons(HWND dialog) {
    const struct {
        WPARAM kind;
        int width;
        int height;
        const char* name;
    } icons[] = {
        {ICON_SMALL, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), "small icon"},
        {ICON_BIG, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), "large icon"},
    };
    for (const auto& icon : icons) {
        const auto handle = reinterpret_cast<HICON>(SendMessageW(dialog, WM_GETICON, icon.kind, 0));
        ICONINFO info{};
        BITMAP size{};
        const bool described = handle != nullptr && GetIconInfo(handle, &info) != FALSE &&
                               GetObjectW(info.hbmMask, sizeof size, &size) != 0;
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        // A colour icon's mask holds the AND and XOR halves only when it has no colour bitmap.
        const int height = info.hbmColor != nullptr ? size.bmHeight : size.bmHeight / 2;
        check(described && size.bmWidth == icon.width && height == icon.height,
              std::string(icon.name) + " is " + std::to_string(size.bmWidth) + " x " + std::to_string(height) +
                  ", not " + std::to_string(icon.width) + " x " + std::to_string(icon.height));
    }
}

// Failures name the controls they mean: every control of the template but
// the logo picture, which has no id of its own, is in the names' table.
void expect_named_controls(HWND dialog) {
    int controls = 0;
    std::vector<std::string> unnamed;
    for (HWND control = GetWindow(dialog, GW_CHILD); control != nullptr; control = GetWindow(control, GW_HWNDNEXT)) {
        ++controls;
        if (!has_control_name(GetDlgCtrlID(control))) {
            unnamed.push_back(control_name(GetDlgCtrlID(control)));
        }
    }
    std::string listed;
    for (const std::string& name : unnamed) {
        listed += " " + name;
    }
    check(controls > 40, "the template's controls were listed (" + std::to_string(controls) + ")");
    check(unnamed.size() == 1, "only the logo picture has no name; without one:" + listed);
}

}  // namespace

E2E_GROUP(dialog_with_key) {
    const std::vector<uint8_t> config_before = read_file(kKeyConfig);
    const RunResult polish = run_dialog(dll, "1045", {on_dialog([](HWND dialog) {
        expect_texts(dialog, 0x0415);
        check_text(text_of(dialog, IDC_SAVE), L"Zapis konfiguracji", "Polish Save button");
        check_text(text_of(dialog, IDC_SERIAL_VALUE), L"QVX/05/4660", "serial number");
        check_text(text_of(dialog, IDC_VERSION_VALUE), L"1.2.3", "software version");
        check_text(text_of(dialog, IDC_DAYS_EDIT), L"14", "days");
        expect_picker_date(dialog, IDC_FROM_DATE, 2026, 11, 2, "From picker");
        expect_picker_date(dialog, IDC_TILL_DATE, 2026, 11, 30, "Till picker");
        expect_checks(dialog,
                      {IDC_OVERVIEW, IDC_ACTIVITIES, IDC_EVENTS_FAULTS, IDC_DETAILED_SPEED,
                       IDC_TECHNICAL_DATA, IDC_EVERYTHING},
                      {IDC_SINCE_LAST, IDC_FROM_TILL, IDC_LAST_DAYS, IDC_CARD_VIA_TACHO, IDC_RANGE_BUTTON},
                      "stored configuration");
        expect_enabled(dialog,
                       {IDC_SAVE, IDC_ERASE, IDC_OVERVIEW, IDC_SINCE_LAST, IDC_FROM_TILL, IDC_LAST_DAYS,
                        IDC_EVERYTHING, IDC_RANGE_BUTTON},
                       {IDC_FROM_DATE, IDC_TILL_DATE, IDC_DAYS_EDIT, IDC_DAYS_UPDOWN, IDC_DAYS_LABEL,
                        IDC_TILL_LABEL, IDC_FIRMWARE_PATH, IDC_FIRMWARE_BROWSE, IDC_UPGRADE,
                        IDC_FIRMWARE_LABEL, IDC_RESET_AFTER_UPGRADE},
                       "key present");
        expect_hidden_controls(dialog);
        expect_named_controls(dialog);
        expect_icons(dialog);
        cancel(dialog);
    })});
    check(polish.load_result == 0, "load returns 0 after Cancel");
    check_bytes(read_file(kKeyConfig), config_before, "Cancel leaves CONFIG as it was");

    // Without an override the user's locale decides: English here.
    run_dialog(dll, "0", {on_dialog([](HWND dialog) {
        expect_texts(dialog, GetUserDefaultLCID());
        cancel(dialog);
    })});
    // No text at all reads like an empty one.
    const RunResult no_text = run_dialog(dll, nullptr, {on_dialog([](HWND dialog) {
        expect_texts(dialog, GetUserDefaultLCID());
        cancel(dialog);
    })});
    check(no_text.load_result == 0, "load(nullptr) returns 0");
    // Reading stops at the first non-digit.
    run_dialog(dll, "1045abc", {on_dialog([](HWND dialog) {
        check_text(text_of(dialog, IDC_SAVE), L"Zapis konfiguracji", "reading stops at the letters");
        cancel(dialog);
    })});
    // -1 is 0xFFFFFFFF, which no table serves: English.
    run_dialog(dll, "-1", {on_dialog([](HWND dialog) {
        expect_texts(dialog, 0x0409);
        cancel(dialog);
    })});
}

E2E_GROUP(dialog_without_key) {
    const RunResult result = run_dialog(dll, "0", {on_dialog([](HWND dialog) {
        check_text(text_of(dialog, IDC_SAVE), entry_text(0x0409, Text::exit), "button 1 reads Exit");
        check_text(text_of(dialog, IDC_SERIAL_VALUE), L"No data available", "serial number");
        check_text(text_of(dialog, IDC_VERSION_VALUE), L"No data available", "software version");
        expect_enabled(dialog, {IDC_SAVE, IDC_RANGE_BUTTON},
                       {IDC_OVERVIEW, IDC_ACTIVITIES, IDC_EVENTS_FAULTS, IDC_DETAILED_SPEED,
                        IDC_TECHNICAL_DATA, IDC_CARD_VIA_TACHO, IDC_VDO_SPECIAL, IDC_SINCE_LAST,
                        IDC_FROM_TILL, IDC_LAST_DAYS, IDC_EVERYTHING, IDC_STORE_SETTINGS, IDC_FROM_DATE,
                        IDC_TILL_DATE, IDC_DAYS_EDIT, IDC_DAYS_UPDOWN, IDC_TILL_LABEL, IDC_DAYS_LABEL,
                        IDC_FORMAT, IDC_ERASE},
                       "no key");
        expect_checks(dialog, {IDC_OVERVIEW, IDC_ACTIVITIES, IDC_EVERYTHING}, {IDC_CARD_VIA_TACHO},
                      "defaults without a key");
        expect_hidden_controls(dialog);
        click(dialog, IDC_SAVE);
    })});
    check(result.load_result == 0, "load returns 0 after Exit");
}

E2E_GROUP(dialog_rules) {
    run_dialog(dll, "0", {
        on_dialog([](HWND dialog) { click(dialog, IDC_OVERVIEW); }),
        on_dialog([](HWND dialog) {
            check(is_checked(dialog, IDC_OVERVIEW), "Overview never stays unchecked");
            click(dialog, IDC_EVERYTHING);
        }),
        on_dialog([](HWND dialog) {
            check(is_checked(dialog, IDC_EVERYTHING), "Everything stays checked");
            click(dialog, IDC_LAST_DAYS);
        }),
        on_dialog([](HWND dialog) {
            expect_checks(dialog, {IDC_LAST_DAYS}, {IDC_EVERYTHING, IDC_SINCE_LAST, IDC_FROM_TILL}, "Last");
            expect_enabled(dialog, {IDC_DAYS_EDIT, IDC_DAYS_UPDOWN, IDC_DAYS_LABEL},
                           {IDC_FROM_DATE, IDC_TILL_DATE, IDC_TILL_LABEL}, "Last");
            click(dialog, IDC_SINCE_LAST);
        }),
        on_dialog([](HWND dialog) {
            expect_checks(dialog, {IDC_SINCE_LAST}, {IDC_LAST_DAYS, IDC_EVERYTHING}, "Since last after Last");
            expect_enabled(dialog, {},
                           {IDC_DAYS_EDIT, IDC_DAYS_UPDOWN, IDC_TILL_LABEL, IDC_DAYS_LABEL, IDC_FROM_DATE,
                            IDC_TILL_DATE},
                           "Since last after Last");
            click(dialog, IDC_FROM_TILL);
        }),
        on_dialog([](HWND dialog) {
            expect_checks(dialog, {IDC_FROM_TILL}, {IDC_SINCE_LAST, IDC_EVERYTHING}, "From on");
            expect_enabled(dialog, {IDC_FROM_DATE, IDC_TILL_DATE, IDC_TILL_LABEL},
                           {IDC_DAYS_EDIT, IDC_DAYS_UPDOWN, IDC_DAYS_LABEL}, "From on");
            click(dialog, IDC_FROM_TILL);
        }),
        on_dialog([](HWND dialog) {
            expect_checks(dialog, {IDC_EVERYTHING}, {IDC_FROM_TILL}, "From off");
            expect_enabled(dialog, {},
                           {IDC_FROM_DATE, IDC_TILL_DATE, IDC_TILL_LABEL, IDC_DAYS_EDIT, IDC_DAYS_UPDOWN,
                            IDC_DAYS_LABEL},
                           "From off");
            click(dialog, IDC_CARD_VIA_TACHO);
        }),
        on_dialog([](HWND dialog) {
            expect_checks(dialog, {IDC_CARD_VIA_TACHO, IDC_OVERVIEW},
                          {IDC_ACTIVITIES, IDC_EVENTS_FAULTS, IDC_DETAILED_SPEED, IDC_TECHNICAL_DATA},
                          "card via tachograph");
            expect_enabled(dialog, {},
                           {IDC_SINCE_LAST, IDC_FROM_TILL, IDC_LAST_DAYS, IDC_EVERYTHING, IDC_RANGE_BUTTON,
                            IDC_VDO_SPECIAL},
                           "card via tachograph");
            click(dialog, IDC_EVENTS_FAULTS);
        }),
        on_dialog([](HWND dialog) {
            expect_checks(dialog, {IDC_EVENTS_FAULTS}, {IDC_CARD_VIA_TACHO}, "a data choice after the card");
            click(dialog, IDC_ACTIVITIES);
        }),
        on_dialog([](HWND dialog) {
            expect_checks(dialog, {IDC_ACTIVITIES}, {}, "Activities on again");
            expect_enabled(dialog, {IDC_SINCE_LAST, IDC_FROM_TILL, IDC_LAST_DAYS, IDC_EVERYTHING, IDC_RANGE_BUTTON},
                           {IDC_FROM_DATE, IDC_DAYS_EDIT}, "Activities on again");
            click(dialog, IDC_ACTIVITIES);
        }),
        on_dialog([](HWND dialog) {
            expect_checks(dialog, {}, {IDC_ACTIVITIES, IDC_VDO_SPECIAL}, "Activities off");
            expect_enabled(dialog, {IDC_OVERVIEW},
                           {IDC_SINCE_LAST, IDC_FROM_TILL, IDC_LAST_DAYS, IDC_EVERYTHING, IDC_RANGE_BUTTON,
                            IDC_VDO_SPECIAL, IDC_FROM_DATE, IDC_DAYS_EDIT},
                           "Activities off");
            cancel(dialog);
        }),
    });
}

E2E_GROUP(dialog_days) {
    std::vector<Step> steps{on_dialog([](HWND dialog) { click(dialog, IDC_LAST_DAYS); })};
    const wchar_t* const up[] = {L"21", L"28", L"60", L"90", L"180", L"180"};
    const wchar_t* const down[] = {L"90", L"60", L"28", L"21", L"14", L"7", L"7"};
    for (const wchar_t* expected : up) {
        steps.push_back(on_dialog([expected](HWND dialog) {
            press_updown(dialog, IDC_DAYS_UPDOWN, true);
            check_text(text_of(dialog, IDC_DAYS_EDIT), expected, "days after an up arrow");
        }));
    }
    for (const wchar_t* expected : down) {
        steps.push_back(on_dialog([expected](HWND dialog) {
            press_updown(dialog, IDC_DAYS_UPDOWN, false);
            check_text(text_of(dialog, IDC_DAYS_EDIT), expected, "days after a down arrow");
        }));
    }
    steps.push_back(on_dialog([](HWND dialog) { cancel(dialog); }));
    run_dialog(dll, "0", steps);
}

// Esc, the close box and Enter all end the dialog; only Enter saves.
E2E_GROUP(dialog_closing) {
    const std::vector<uint8_t> original = read_file(kKeyConfig);
    const auto uncheck_speed_then = [](UINT message, WPARAM wparam) {
        return std::vector<Step>{
            on_dialog([](HWND dialog) { click(dialog, IDC_DETAILED_SPEED); }),
            on_dialog([message, wparam](HWND dialog) {
                check(!is_checked(dialog, IDC_DETAILED_SPEED), "detailed speed unchecked");
                HWND target = message == WM_SYSCOMMAND ? dialog : GetFocus();
                PostMessageW(target != nullptr ? target : dialog, message, wparam, 0);
            }),
        };
    };
    RunResult escape = run_dialog(dll, "0", uncheck_speed_then(WM_KEYDOWN, VK_ESCAPE));
    check(escape.load_result == 0, "load returns 0 after Esc");
    check_bytes(read_file(kKeyConfig), original, "Esc writes nothing");

    RunResult close_box = run_dialog(dll, "0", uncheck_speed_then(WM_SYSCOMMAND, SC_CLOSE));
    check(close_box.load_result == 0, "load returns 0 after the close box");
    check_bytes(read_file(kKeyConfig), original, "the close box writes nothing");

    RunResult enter = run_dialog(dll, "0", uncheck_speed_then(WM_KEYDOWN, VK_RETURN));
    check(enter.load_result == 0, "load returns 0 after Enter");
    std::vector<uint8_t> expected = original;
    expected[3] = '0';
    check_bytes(read_file(kKeyConfig), expected, "Enter saves with detailed speed off");
}

// Where the module runs from decides whether formatting is allowed. The
// format controls follow that permission at the next pass of the period
// rules, here after Activities is unchecked and checked again.
E2E_GROUP(dialog_format_permission) {
    const auto activities_off_and_on = [](bool format_allowed, const std::string& where) {
        return std::vector<Step>{
            on_dialog([](HWND dialog) { click(dialog, IDC_ACTIVITIES); }),
            on_dialog([](HWND dialog) { click(dialog, IDC_ACTIVITIES); }),
            on_dialog([format_allowed, where](HWND dialog) {
                check(is_enabled(dialog, IDC_FORMAT) == format_allowed &&
                          is_enabled(dialog, IDC_STORE_SETTINGS) == format_allowed,
                      where + (format_allowed ? ": format controls enabled" : ": format controls disabled"));
                check(!is_visible(dialog, IDC_FORMAT), where + ": the format button stays hidden");
                cancel(dialog);
            }),
        };
    };
    run_dialog(dll, "0", activities_off_and_on(true, "module beside the host"));

    dll.close();
    check(CopyFileW((own_folder() + L"lanternbook.dll").c_str(), L"k:\\lanternbook.dll", FALSE) != FALSE,
          "the module copied onto the key");
    check(dll.open(L"k:\\lanternbook.dll"), "the module loads from the key (lower-case letter)");
    if (!dll.is_open()) {
        return;
    }
    run_dialog(dll, "0", {on_dialog([](HWND dialog) {
        check(!is_enabled(dialog, IDC_FORMAT) && !is_enabled(dialog, IDC_STORE_SETTINGS),
              "module on the key: format controls disabled at once");
        cancel(dialog);
    })});
    run_dialog(dll, "0", activities_off_and_on(false, "module on the key"));
}

// Repainting keeps no GDI objects; the logo is painted, its background blends in.
E2E_GROUP(dialog_painting) {
    run_dialog(dll, "0", {on_dialog([&dll](HWND dialog) {
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        const int free_before = free_gdi_handles();
        for (int i = 0; i < 1000; ++i) {
            RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        }
        const int free_after = free_gdi_handles();
        check(free_before > 60000, "about 65,000 GDI handles are free (" + std::to_string(free_before) + ")");
        check(free_after >= free_before, "1,000 repaints keep no GDI objects (" + std::to_string(free_before) +
                                             " free before, " + std::to_string(free_after) + " after)");

        // The logo's own pixels, read from the module's bitmap.
        HBITMAP logo = LoadBitmapW(dll.module(), MAKEINTRESOURCEW(IDB_LOGO));
        BITMAP size{};
        GetObjectW(logo, sizeof size, &size);
        check(size.bmWidth == 171 && size.bmHeight == 57, "the logo is 171 x 57");
        HDC memory = CreateCompatibleDC(nullptr);
        HGDIOBJ previous = SelectObject(memory, logo);
        HDC window_dc = GetDC(dialog);
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        int opaque = 0, opaque_matching = 0, transparent = 0, transparent_matching = 0;
        // Only the right part: the serial and version labels may reach into the left.
        for (int y = 0; y < size.bmHeight; ++y) {
            for (int x = 20; x < size.bmWidth; ++x) {
                const COLORREF logo_pixel = GetPixel(memory, x, y);
                const COLORREF shown = GetPixel(window_dc, 277 + x, 11 + y);
                if (logo_pixel == RGB(240, 240, 240)) {
                    ++transparent;
                    transparent_matching += shown == face ? 1 : 0;
                } else {
                    ++opaque;
                    opaque_matching += shown == logo_pixel ? 1 : 0;
                }
            }
        }
        ReleaseDC(dialog, window_dc);
        SelectObject(memory, previous);
        DeleteDC(memory);
        DeleteObject(logo);
        check(opaque > 500 && opaque_matching == opaque,
              "logo pixels painted at (277, 11): " + std::to_string(opaque_matching) + " of " +
                  std::to_string(opaque));
        check(transparent > 1000 && transparent_matching == transparent,
              "logo background shows the dialog face: " + std::to_string(transparent_matching) + " of " +
                  std::to_string(transparent));
        cancel(dialog);
    })});
}

// Each language: the caption and the widened controls.
E2E_GROUP(dialog_languages) {
    const uint32_t locales[] = {0x0409, 0x0415, 0x0407, 0x0405, 0x0425, 0x0418, 0x0427, 0x0426, 0x041B, 0x0419,
                                0x040A, 0x040C, 0x040E, 0x0424, 0x0410, 0x0416, 0x081A, 0x0402, 0x041A};
    for (uint32_t locale : locales) {
        const std::string argument = std::to_string(locale);
        run_dialog(dll, argument.c_str(), {on_dialog([locale, argument](HWND dialog) {
            expect_texts(dialog, locale);
            // The template's geometry, in pixels of this dialog's font.
            RECT erase_template{221, 57, 221 + 76, 57 + 20};
            RECT range_template{80, 228, 80 + 213, 228 + 10};
            MapDialogRect(dialog, &erase_template);
            MapDialogRect(dialog, &range_template);
            RECT erase = screen_rect(dialog, IDC_ERASE);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&erase), 2);
            check(erase.right == erase_template.right && erase.top == erase_template.top,
                  argument + ": Erase keeps its right edge and top");
            check(erase.right - erase.left >= erase_template.right - erase_template.left,
                  argument + ": Erase never shrinks");
            RECT range = screen_rect(dialog, IDC_RANGE_BUTTON);
            RECT vdo = screen_rect(dialog, IDC_VDO_SPECIAL);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&range), 2);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&vdo), 2);
            const bool widened = range.bottom - range.top > range_template.bottom - range_template.top;
            const bool erase_widened = erase.right - erase.left > erase_template.right - erase_template.left;
            if (widened || erase_widened) {
                const std::string which = (widened ? " " + control_name(IDC_RANGE_BUTTON) : std::string()) +
                                          (erase_widened ? " " + control_name(IDC_ERASE) : std::string());
                printf("%s: widened%s\n", argument.c_str(), which.c_str());
            }
            if (widened) {
                check(range.right - range.left == range_template.right - range_template.left + 4 &&
                          range.bottom - range.top == range_template.bottom - range_template.top + 12,
                      argument + ": " + control_name(IDC_RANGE_BUTTON) + " grows by 4 and 12 pixels");
                check(vdo.left == range.left && vdo.top == range.bottom + 4,
                      argument + ": " + control_name(IDC_VDO_SPECIAL) + " moves under the grown " +
                          control_name(IDC_RANGE_BUTTON));
            } else {
                check(range.left == range_template.left && range.right == range_template.right,
                      argument + ": " + control_name(IDC_RANGE_BUTTON) + " keeps its place when its text fits");
            }
            cancel(dialog);
        })});
    }
}
