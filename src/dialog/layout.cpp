#include "dialog/layout.h"

namespace lanternbook {
namespace {

// Room the Erase button keeps around its text.
constexpr int kEraseTextPadding = 8;
// The check mark's share of the box's width, and how the box grows to take
// a second line: a little wider, one line taller, lifted a little.
constexpr int kCheckMarkWidth = 18;
constexpr int kRangeBoxExtraWidth = 4;
constexpr int kRangeBoxExtraHeight = 12;
constexpr int kRangeBoxLift = 3;
constexpr int kVdoBoxGap = 4;

}  // namespace

ControlRect fitted_erase_button(const ControlRect& button, int text_width) {
    if (text_width <= button.width()) {
        return button;
    }
    ControlRect fitted = button;
    fitted.left = button.right - (text_width + kEraseTextPadding);
    return fitted;
}

RangeBoxLayout fitted_range_box(const ControlRect& range_box, const ControlRect& vdo_box,
                                int text_width) {
    if (text_width <= range_box.width() - kCheckMarkWidth) {
        return {range_box, vdo_box};
    }
    ControlRect range = range_box;
    range.top = range_box.top - kRangeBoxLift;
    range.right = range_box.right + kRangeBoxExtraWidth;
    range.bottom = range.top + range_box.height() + kRangeBoxExtraHeight;
    ControlRect vdo;
    vdo.left = range.left;
    vdo.top = range.bottom + kVdoBoxGap;
    vdo.right = vdo.left + vdo_box.width();
    vdo.bottom = vdo.top + vdo_box.height();
    return {range, vdo};
}

}  // namespace lanternbook
