#include "tools/angle_text.h"

namespace vw {

QString angleText(float radians, const QLocale& locale) {
    const double value = radians == 0 ? 0.0 : double(radians);
    // Only the separator is the user's: digits, minus sign and exponent stay as written here.
    QString text = QLocale::c().toString(value, 'g', 7);
    return text.replace(QLatin1Char('.'), locale.decimalPoint());
}

} // namespace vw
