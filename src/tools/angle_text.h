#pragma once
// How the Rotate tool shows its angle in the status bar.

#include <QLocale>
#include <QString>

namespace vw {

// The angle in radians with at most seven significant digits, no trailing zeros, and the
// locale's decimal separator ("3.14159"; "3,14159" in a German locale); the digits and the
// minus sign are always "0" to "9" and "-". Zero never shows a sign.
QString angleText(float radians, const QLocale& locale = QLocale());

} // namespace vw
