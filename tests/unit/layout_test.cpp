#include <gtest/gtest.h>

#include "dialog/layout.h"


namespace lanternbook {
namespace {

const ControlRect kEraseButton{332, 93, 446, 125};
const ControlRect kRangeBox{120, 370, 440, 386};
const ControlRect kVdoBox{120, 391, 411, 407};
// The serial-number and software-version rows as the dialog has them at 96 dpi.
const ControlRect kSerialLabel{11, 24, 162, 37};
const ControlRect kSerialValue{172, 24, 319, 37};
const ControlRect kVersionLabel{11, 42, 172, 55};
const ControlRect kVersionValue{172, 42, 321, 55};

LabelRows rows_with(int serial_label_text, int version_label_text, int value_text) {
    return {LabelRow{kSerialLabel, kSerialValue, serial_label_text, value_text},
            LabelRow{kVersionLabel, kVersionValue, version_label_text, value_text}};
}

TEST(Layout, EraseButtonGrowsLeftKeepingRightEdgeAndTop) {
    const ControlRect fitted = fitted_erase_button(kEraseButton, 150);
    EXPECT_EQ(fitted.right, kEraseButton.right);
    EXPECT_EQ(fitted.top, kEraseButton.top);
    EXPECT_EQ(fitted.bottom, kEraseButton.bottom);
    EXPECT_EQ(fitted.width(), 158);
}

TEST(Layout, EraseButtonUntouchedWhenTheTextFits) {
    EXPECT_EQ(fitted_erase_button(kEraseButton, kEraseButton.width()), kEraseButton);
    EXPECT_EQ(fitted_erase_button(kEraseButton, 0), kEraseButton);
}

TEST(Layout, RangeBoxTakesASecondLineAndTheVdoBoxFollows) {
    const RangeBoxLayout fitted = fitted_range_box(kRangeBox, kVdoBox, kRangeBox.width() - 17);
    EXPECT_EQ(fitted.range_box.left, kRangeBox.left);
    EXPECT_EQ(fitted.range_box.width(), kRangeBox.width() + 4);
    EXPECT_EQ(fitted.range_box.height(), kRangeBox.height() + 12);
    EXPECT_EQ(fitted.vdo_box.left, fitted.range_box.left);
    EXPECT_EQ(fitted.vdo_box.top, fitted.range_box.bottom + 4);
    EXPECT_EQ(fitted.vdo_box.width(), kVdoBox.width());
    EXPECT_EQ(fitted.vdo_box.height(), kVdoBox.height());
}

TEST(Layout, RangeBoxUntouchedWhenTheTextFitsBesideTheCheckMark) {
    const RangeBoxLayout fitted = fitted_range_box(kRangeBox, kVdoBox, kRangeBox.width() - 18);
    EXPECT_EQ(fitted.range_box, kRangeBox);
    EXPECT_EQ(fitted.vdo_box, kVdoBox);
}

TEST(Layout, LabelGrowsToItsTextAndTheValuesMoveRightTogether) {
    const LabelRows fitted = fitted_label_rows(rows_with(140, 164, 40));
    const LabelRow& serial = fitted[0];
    const LabelRow& version = fitted[1];
    EXPECT_EQ(version.label.left, kVersionLabel.left);
    EXPECT_EQ(version.label.width(), 164);
    EXPECT_EQ(version.label.top, kVersionLabel.top);
    EXPECT_EQ(version.label.bottom, kVersionLabel.bottom);
    EXPECT_EQ(version.value.left, version.label.right + 6);
    EXPECT_EQ(version.value.right, kVersionValue.right);
    EXPECT_EQ(version.value.top, kVersionValue.top);
    // The other row keeps its label and lines its value up.
    EXPECT_EQ(serial.label, kSerialLabel);
    EXPECT_EQ(serial.value.left, version.value.left);
    EXPECT_EQ(serial.value.right, kSerialValue.right);
}

TEST(Layout, ValuesMoveAsFarAsTheWidestLabelTextNeeds) {
    const LabelRows fitted = fitted_label_rows(rows_with(170, 164, 40));
    EXPECT_EQ(fitted[0].label.width(), 170);
    EXPECT_EQ(fitted[0].value.left, kSerialLabel.left + 170 + 6);
    EXPECT_EQ(fitted[1].value.left, fitted[0].value.left);
}

TEST(Layout, LabelRowsUntouchedWhenEveryLabelFitsOrAValueWouldNot) {
    struct Case {
        const char* name;
        int serial_label_text;
        int version_label_text;
        int value_text;
    };
    const Case cases[] = {
        {"labels fit exactly", kSerialLabel.width(), kVersionLabel.width(), 40},
        // The label's text would end just before the value: still no move.
        {"labels fit, values close", 150, kVersionLabel.width(), 40},
        {"a value would lose its last pixel", 140, 164, kSerialValue.width() - 8},
    };
    for (const Case& c : cases) {
        const LabelRows rows = rows_with(c.serial_label_text, c.version_label_text, c.value_text);
        const LabelRows fitted = fitted_label_rows(rows);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(fitted[i].label, rows[i].label) << c.name << ", row " << i;
            EXPECT_EQ(fitted[i].value, rows[i].value) << c.name << ", row " << i;
        }
    }
    // A value keeping exactly its text's width is still room.
    const LabelRows tight = fitted_label_rows(rows_with(140, 164, kSerialValue.width() - 9));
    EXPECT_EQ(tight[0].value.width(), kSerialValue.width() - 9);
}

}  // namespace
}  // namespace lanternbook
