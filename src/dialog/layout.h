// Where the controls that are widened for long texts end up, in the dialog's
// client pixels.
#pragma once

#include <array>

namespace lanternbook {

struct ControlRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const ControlRect& other) const {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
};

// The Erase button, grown to the left to fit a text `text_width` pixels wide;
// its right edge and top stay. Unchanged when the text fits.
ControlRect fitted_erase_button(const ControlRect& button, int text_width);

struct RangeBoxLayout {
    ControlRect range_box;
    ControlRect vdo_box;
};
// The range-button box given room for a second line when its text does not
// fit beside the check mark, and the VDO box moved just below it.
RangeBoxLayout fitted_range_box(const ControlRect& range_box, const ControlRect& vdo_box,
                                int text_width);

// A label with its value to the right, and the widths their texts need.
struct LabelRow {
    ControlRect label;
    ControlRect value;
    int label_text_width = 0;
    int value_text_width = 0;
};
// When a label's text does not fit, the label grows to its text's width and
// the column of values moves right, every value as far, to keep a gap after
// each label's text; each value keeps its right edge. Nothing moves when a
// value's text would then not fit, nor when every label's text fits.
// The dialog has two such rows: the serial number and the software version.
using LabelRows = std::array<LabelRow, 2>;
[[nodiscard]] LabelRows fitted_label_rows(LabelRows rows);

}  // namespace lanternbook
