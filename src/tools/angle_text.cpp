#include "tools/angle_text.h"

namespace vw {

QString angleText(float radians, const QLocale& locale) {
    QLocale numbers = locale;
    numbers.setNumberOptions(QLocale::OmitGroupSeparator);
    const double value = radians == 0 ? 0.0 : double(radians);
    return numbers.toString(value, 'g', 7);
}

} // namespace vw
