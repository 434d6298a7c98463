#include <gtest/gtest.h>

#include "dialog/layout.h"

namespace lanternbook {
namespace {

const ControlRect kEraseButton{332, 93, 446, 125};
const ControlRect kRangeBox{120, 370, 440, 386};
const ControlRect kVdoBox{120, 391, 411, 407};

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

}  // namespace
}  // namespace lanternbook
