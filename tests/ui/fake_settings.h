#pragma once
// Settings kept in memory, so tests neither read nor change the user's settings file.

#include "app/settings.h"

#include <QHash>

namespace vw::test {

class MemorySettings : public Settings {
public:
    QString text(const QString& key) const override { return values.value(key); }
    void setText(const QString& key, const QString& value) override { values[key] = value; }

    QHash<QString, QString> values;
};

} // namespace vw::test
