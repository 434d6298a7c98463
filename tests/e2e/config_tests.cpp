// The key's CONFIG through the real dialog: shown at start, written on Save,
// left alone when there is nothing to save to.
#include <windows.h>

#include <optional>

#include "e2e/harness.h"
#include "e2e/pulled_key.h"
#include "l10n/texts.h"
#include "resources/resource.h"

using namespace e2e;
using lanternbook::Text;

namespace {

std::vector<uint8_t> config_image(const std::string& flags, uint8_t days, uint8_t vdo,
                                  std::vector<uint8_t> dates, std::vector<uint8_t> serial_and_version) {
    std::vector<uint8_t> image(flags.begin(), flags.end());
    image.push_back(days);
    image.push_back(vdo);
    image.insert(image.end(), dates.begin(), dates.end());
    image.insert(image.end(), serial_and_version.begin(), serial_and_version.end());
    return image;
}

}  // namespace

E2E_GROUP(config_shown) {
    // Activities, speed and technical data; last 30 days; VDO special data on;
    // From 2026-10-05, Till 2026-11-20; serial 7/258; version 2.0.5.
    const std::vector<uint8_t> stored =
        config_image("1101102", 30, 0x01,
                     {0x6A, 0xC2, 0xE8, 0x80, 0x6A, 0xFF, 0x8D, 0x80, 126, 10, 5, 1, 126, 11, 20, 5},
                     {7, 0x01, 0x02, 2, 0, 5, 0});
    check(write_file(kKeyConfig, stored), "CONFIG seeded");
    check(write_file(kKeyDate, bytes_of("abc")), "a short DATE seeded");
    run_dialog(dll, "0", {on_dialog([](HWND dialog) {
        check_text(text_of(dialog, IDC_SERIAL_VALUE), L"QVX/07/0258", "serial number");
        check_text(text_of(dialog, IDC_VERSION_VALUE), L"2.0.5", "software version");
        expect_picker_date(dialog, IDC_FROM_DATE, 2026, 10, 5, "From picker");
        expect_picker_date(dialog, IDC_TILL_DATE, 2026, 11, 20, "Till picker");
        expect_checks(dialog, {IDC_OVERVIEW, IDC_ACTIVITIES, IDC_DETAILED_SPEED, IDC_TECHNICAL_DATA, IDC_LAST_DAYS},
                      {IDC_EVENTS_FAULTS, IDC_CARD_VIA_TACHO, IDC_EVERYTHING, IDC_FROM_TILL, IDC_SINCE_LAST,
                       IDC_RANGE_BUTTON, IDC_VDO_SPECIAL},
                      "stored CONFIG");
        check(!is_visible(dialog, IDC_VDO_SPECIAL), "VDO special data hidden although stored on");
        check_text(text_of(dialog, IDC_DAYS_EDIT), L"30", "days");
        check(is_enabled(dialog, IDC_DAYS_EDIT) && is_enabled(dialog, IDC_DAYS_UPDOWN), "day count enabled");
        check(!is_enabled(dialog, IDC_FROM_DATE), "From picker disabled");
        cancel(dialog);
    })});
    check_bytes(read_file(kKeyConfig), stored, "CONFIG unchanged after Cancel");
    check_bytes(read_file(kKeyDate), bytes_of("111111"), "a short DATE becomes 111111");
}

// Open in Polish, uncheck detailed speed, choose the last days, step the
// count up to 28 and save.
E2E_GROUP(config_typical_use) {
    const RunResult result = run_dialog(dll, "1045", {
        on_dialog([](HWND dialog) { click(dialog, IDC_DETAILED_SPEED); }),
        on_dialog([](HWND dialog) { click(dialog, IDC_LAST_DAYS); }),
        on_dialog([](HWND dialog) { press_updown(dialog, IDC_DAYS_UPDOWN, true); }),
        on_dialog([](HWND dialog) { press_updown(dialog, IDC_DAYS_UPDOWN, true); }),
        on_dialog([](HWND dialog) {
            check_text(text_of(dialog, IDC_DAYS_EDIT), L"28", "days stepped to 28");
            click(dialog, IDC_SAVE);
        }),
    });
    check(result.load_result == 0, "load returns 0 after Save");
    const std::vector<uint8_t> expected =
        config_image("1110102", 28, 0x00,
                     {0x6A, 0xE7, 0xD2, 0x80, 0x6B, 0x0C, 0xBC, 0x80, 126, 11, 2, 1, 126, 11, 30, 1},
                     {5, 0x12, 0x34, 1, 2, 3, 0});
    check_bytes(read_file(kKeyConfig), expected, "CONFIG after the typical use");
}

// A drive that is not the key: the dialog offers Exit and writes nothing.
E2E_GROUP(config_not_a_key) {
    const std::vector<uint8_t> before = read_file(kKeyConfig);
    run_dialog(dll, "0", {on_dialog([](HWND dialog) {
        check_text(text_of(dialog, IDC_SAVE), L"Exit", "button 1 reads Exit");
        click(dialog, IDC_SAVE);
    })});
    check_bytes(read_file(kKeyConfig), before, "Exit writes nothing");
    check(!file_exists(L"C:\\CONFIG"), "nothing written elsewhere");
}

// The key pulled out between start and Save: nothing written, the user is
// told, and the dialog stays open until Cancel.
E2E_GROUP(config_key_removed) {
    const std::wstring folder = key_folder(L'K');
    const std::vector<uint8_t> before = read_file(folder + L"CONFIG");
    const std::vector<std::wstring> listing_before = detailed_listing(folder);
    std::optional<PulledKey> pulled;
    const RunResult result = run_dialog(dll, "0", {
        on_dialog([](HWND dialog) { click(dialog, IDC_DETAILED_SPEED); }),
        on_dialog([&pulled](HWND dialog) {
            pulled.emplace(L'K');
            check(pulled->pulled(), "key K: pulled out");
            click(dialog, IDC_SAVE);
        }),
        on_error_box(0x0409, Text::key_changed, "Save without its key"),
        on_dialog([](HWND dialog) {
            check(IsWindowVisible(dialog) != FALSE, "the dialog stays open");
            cancel(dialog);
        }),
    });
    check(result.load_result == 0, "load returns 0");
    check(pulled && pulled->put_back(), "key K: put back");
    check_bytes(read_file(folder + L"CONFIG"), before, "CONFIG in the key folder unchanged");
    check_same(detailed_listing(folder), listing_before, "nothing on the key changed");
}
