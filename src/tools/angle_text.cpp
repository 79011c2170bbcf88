#include "tools/angle_text.h"

#include "model/interchange/float_text.h"

namespace vw {

QString floatText(float value, const QLocale& locale, int significant) {
    if (value == 0)
        value = 0; // -0 reads as 0
    // Only the separator is the user's: digits, minus sign and exponent stay as written here.
    QString text = significant > 0 ? QLocale::c().toString(double(value), 'g', significant)
                                   : QString::fromStdString(shortestFloat(value));
    return text.replace(QLatin1Char('.'), locale.decimalPoint());
}

QString angleText(float radians, const QLocale& locale) {
    return floatText(radians, locale, 7);
}

} // namespace vw
