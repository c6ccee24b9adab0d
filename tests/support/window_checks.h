// Checks any window against the house rules for windows: every input has a
// name (its accessibleName, its text, or a label whose buddy it is), every
// input can be reached with the Tab key, and the window fits a screen of
// 1280x800.
#pragma once

#include <gtest/gtest.h>

class QWidget;

namespace vq::test {

// Shows the window when it is hidden, then checks it; the failure lists every
// fault with the control's objectName.
testing::AssertionResult isAccessible(QWidget &window);

} // namespace vq::test
