#pragma once
// How numbers read in the sheet and the status bar: a float in the shortest text that reads back
// as the same float, and the Rotate tool's angle.

#include <QLocale>
#include <QString>

namespace vw {

// The shortest text that reads back as the same float ("10.45"), or, when significant is given,
// at most that many significant digits with no trailing zeros. The separator is the locale's;
// the digits and the minus sign are always "0" to "9" and "-". Zero never shows a sign.
QString floatText(float value, const QLocale& locale = QLocale(), int significant = 0);

// The angle in radians with at most seven significant digits ("3.14159"; "3,14159" in a German
// locale).
QString angleText(float radians, const QLocale& locale = QLocale());

} // namespace vw
