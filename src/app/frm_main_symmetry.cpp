// Symmetry and soft selection in the main window: Edit > Symmetry and its tolerance, Soft Selection
// and its falloff, Select > Select Mirror, their palette buttons, the status bar's count of
// selected vertices without a partner, and the options kept with the settings.

#include "app/frm_main.h"

#include "tools/frm_tools.h"
#include "tools/selection.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QStatusBar>

#include <cmath>
#include <limits>

namespace {

const QString kFalloffKey = QStringLiteral("softFalloff");
const QString kRadiusKey = QStringLiteral("softRadius");
const QString kToleranceKey = QStringLiteral("mirrorTolerance");

} // namespace

void frmMain::createAidCommands(QMenu* mnuEdit) {
    QMenu* symmetry = mnuEdit->addMenu(QStringLiteral("S&ymmetry"));
    m_tools->addSeparator();
    static const char* const axes[] = {"X", "Y", "Z"};
    for (int axis = 0; axis < 3; ++axis) {
        QAction* mirror = symmetry->addAction(QStringLiteral("Mirror %1").arg(axes[axis]));
        mirror->setCheckable(true);
        mirror->setIconText(QStringLiteral("M%1").arg(axes[axis]));
        connect(mirror, &QAction::toggled, this, [this, axis](bool on) {
            vw::AidOptions options = m_aidOptions;
            options.mirrorAxes =
                uint8_t(on ? options.mirrorAxes | 1u << axis : options.mirrorAxes & ~(1u << axis));
            setAidOptions(options);
        });
        m_tools->addAction(mirror);
        m_mirrorActions[size_t(axis)] = mirror;
    }
    QAction* tolerance = symmetry->addAction(QStringLiteral("&Tolerance..."));
    connect(tolerance, &QAction::triggered, this, [this] {
        const std::optional<double> distance = m_prompts.askDistance(
            QStringLiteral("Symmetry Tolerance"),
            QStringLiteral("How far off, in model units, a mirror partner may lie:"),
            double(m_aidOptions.mirrorTolerance));
        if (!distance)
            return;
        vw::AidOptions options = m_aidOptions;
        options.mirrorTolerance = static_cast<float>(*distance);
        setAidOptions(options);
    });
    m_softAction = mnuEdit->addAction(QStringLiteral("S&oft Selection"));
    m_softAction->setCheckable(true);
    m_softAction->setShortcut(QKeySequence(Qt::Key_O));
    m_softAction->setIconText(QStringLiteral("Soft"));
    connect(m_softAction, &QAction::toggled, this, [this](bool on) {
        vw::AidOptions options = m_aidOptions;
        options.soft = on;
        setAidOptions(options);
    });
    m_tools->addAction(m_softAction);
    QMenu* falloffs = mnuEdit->addMenu(QStringLiteral("Soft &Falloff"));
    auto* group = new QActionGroup(falloffs);
    for (size_t f = 0; f < vw::kFalloffNames.size(); ++f) {
        QAction* falloff = falloffs->addAction(QString::fromLatin1(vw::kFalloffNames[f]));
        falloff->setCheckable(true);
        group->addAction(falloff);
        connect(falloff, &QAction::triggered, this, [this, f] {
            vw::AidOptions options = m_aidOptions;
            options.falloff = vw::Falloff(f);
            setAidOptions(options);
        });
        m_falloffActions.append(falloff);
    }
    for (QAction* menu : menuBar()->actions()) {
        if (menu->text() != QLatin1String("&Select"))
            continue;
        QAction* selectMirror = menu->menu()->addAction(QStringLiteral("Select &Mirror"));
        connect(selectMirror, &QAction::triggered, this, [this] {
            if (m_panes)
                vw::selectMirrorVertices(m_panes->pane());
        });
        m_paneCommands.append(selectMirror);
    }
    m_mirrorPanel = new QLabel(this);
    statusBar()->addPermanentWidget(m_mirrorPanel);
    showAidOptions();
}

void frmMain::setAidOptions(const vw::AidOptions& options) {
    if (options == m_aidOptions)
        return;
    m_aidOptions = options;
    m_session.aids().setOptions(options);
    if (m_settings) {
        m_settings->setText(kFalloffKey, QString::number(int(options.falloff)));
        m_settings->setText(kRadiusKey, QString::number(options.softRadius, 'g', 17));
        m_settings->setText(kToleranceKey,
                            QString::number(double(options.mirrorTolerance), 'g', 9));
    }
    showAidOptions();
}

// The falloff and the radius are kept; the mirrors and soft selection start off in every run,
// so no edit reaches vertices the user did not pick without their asking for it in that run.
// Anything kept that does not read as a value leaves that option as it is.
void frmMain::restoreAidOptions() {
    if (!m_settings)
        return;
    vw::AidOptions options = m_aidOptions;
    bool ok = false;
    if (const uint falloff = m_settings->text(kFalloffKey).toUInt(&ok);
        ok && falloff < vw::kFalloffNames.size())
        options.falloff = vw::Falloff(falloff);
    if (const double radius = m_settings->text(kRadiusKey).toDouble(&ok);
        ok && radius > 0 && std::isfinite(radius))
        options.softRadius = radius;
    if (const double tolerance = m_settings->text(kToleranceKey).toDouble(&ok);
        ok && tolerance >= 0 && tolerance <= std::numeric_limits<float>::max())
        options.mirrorTolerance = static_cast<float>(tolerance);
    setAidOptions(options);
}

void frmMain::attachAids() {
    m_session.aids().setOptions(m_aidOptions);
    // The radius changes in the pane too (the wheel, PageUp and PageDown).
    m_aidSubscription = m_session.aids().subscribe([this] {
        setAidOptions(m_session.aids().options());
        showUnpartnered();
    });
    showUnpartnered();
}

void frmMain::showAidOptions() {
    for (int axis = 0; axis < 3; ++axis) {
        const QSignalBlocker quiet(m_mirrorActions[size_t(axis)]);
        m_mirrorActions[size_t(axis)]->setChecked(m_aidOptions.mirrorAxes >> axis & 1);
    }
    const QSignalBlocker quiet(m_softAction);
    m_softAction->setChecked(m_aidOptions.soft);
    m_falloffActions[int(m_aidOptions.falloff)]->setChecked(true);
    showUnpartnered();
}

void frmMain::showUnpartnered() {
    const size_t count = m_panes ? m_session.aids().unpartneredCount() : 0;
    m_mirrorPanel->setText(
        count == 0   ? QString()
        : count == 1 ? QStringLiteral("1 selected vertex has no mirror partner")
                     : QStringLiteral("%1 selected vertices have no mirror partner").arg(count));
}
