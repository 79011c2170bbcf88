#pragma once
// What the editor keeps between runs, behind one small interface that tests replace.

#include <QSettings>
#include <QString>

namespace vw {

class Settings {
public:
    virtual ~Settings() = default;
    // The text kept under key; empty when none is.
    virtual QString text(const QString& key) const = 0;
    virtual void setText(const QString& key, const QString& value) = 0;
};

// The user's settings file (on Linux ~/.config/Vertwright/Vertwright.conf).
class QtSettings : public Settings {
public:
    QtSettings();
    QString text(const QString& key) const override;
    void setText(const QString& key, const QString& value) override;

private:
    QSettings m_settings;
};

} // namespace vw
