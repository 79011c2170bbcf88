#include "app/settings.h"

namespace vw {

// Named outright: the application's organisation name stays empty, as the working copy's
// fallback folder is derived from it.
QtSettings::QtSettings()
    : m_settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Vertwright"),
                 QStringLiteral("Vertwright")) {}

QString QtSettings::text(const QString& key) const {
    return m_settings.value(key).toString();
}

void QtSettings::setText(const QString& key, const QString& value) {
    m_settings.setValue(key, value);
    m_settings.sync();
}

} // namespace vw
