#include "app/start_options.h"

#include <QAction>
#include <QMenu>

namespace vw {
namespace {

const QString kSplashKey = QStringLiteral("splashAtStart");
const QString kFitKey = QStringLiteral("fitModelOnOpen");

// A kept "0" or "1"; anything else is the option's default.
bool keptSwitch(const Settings* settings, const QString& key, bool byDefault) {
    const QString text = settings ? settings->text(key) : QString();
    return text == QLatin1String("1") ? true : text == QLatin1String("0") ? false : byDefault;
}

} // namespace

bool showsSplashAtStart(const Settings* settings) {
    return keptSwitch(settings, kSplashKey, true);
}

bool fitsModelOnOpen(const Settings* settings) {
    return keptSwitch(settings, kFitKey, false);
}

void createStartOptions(QMenu* mnuOptions, std::function<Settings*()> settings) {
    const struct {
        const char* caption;
        QString key;
        bool byDefault;
    } options[] = {{"Show the &splash at start-up", kSplashKey, true},
                   {"Fit a model when it &opens", kFitKey, false}};
    for (const auto& option : options) {
        QAction* toggle = mnuOptions->addAction(QString::fromLatin1(option.caption));
        toggle->setCheckable(true);
        const QString key = option.key;
        const bool byDefault = option.byDefault;
        QObject::connect(mnuOptions, &QMenu::aboutToShow, toggle,
                         [toggle, settings, key, byDefault] {
                             toggle->setChecked(keptSwitch(settings(), key, byDefault));
                         });
        QObject::connect(toggle, &QAction::triggered, toggle, [settings, key](bool on) {
            if (Settings* kept = settings())
                kept->setText(key, on ? QStringLiteral("1") : QStringLiteral("0"));
        });
    }
}

} // namespace vw
