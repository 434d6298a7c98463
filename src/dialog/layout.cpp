#include "dialog/layout.h"

#include <algorithm>

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
// Between a label's text and its value: a little more than a space.
constexpr int kValueGap = 6;

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

LabelRows fitted_label_rows(LabelRows rows) {
    const bool all_fit = std::all_of(rows.begin(), rows.end(),
                                     [](const LabelRow& row) { return row.label_text_width <= row.label.width(); });
    if (all_fit) {
        return rows;
    }
    int shift = 0;
    for (const LabelRow& row : rows) {
        shift = std::max(shift, row.label.left + row.label_text_width + kValueGap - row.value.left);
    }
    const bool values_fit = std::all_of(rows.begin(), rows.end(), [shift](const LabelRow& row) {
        return row.value.width() - shift >= row.value_text_width;
    });
    if (!values_fit) {
        return rows;
    }
    for (LabelRow& row : rows) {
        row.label.right = std::max(row.label.right, row.label.left + row.label_text_width);
        row.value.left += shift;
    }
    return rows;
}

}  // namespace lanternbook
