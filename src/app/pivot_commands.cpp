#include "app/pivot_commands.h"

#include "model/editing/edit_session.h"
#include "tools/frm_tools.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace vw {
namespace {

struct PivotChoice {
    Pivot pivot;
    const char* caption;
    const char* iconText; // the palette's short caption
};

constexpr PivotChoice kChoices[] = {
    {Pivot::BoundingBoxCentre, "&Bounding Box Centre", "Box"},
    {Pivot::SelectionCentre, "&Selection Centre", "Mean"},
    {Pivot::ActiveVertex, "&Active Vertex", "Active"},
    {Pivot::Cursor, "3D &Cursor", "Cursor"},
};

} // namespace

QMenu* createPivotCommands(QMenu* mnuEdit, frmTools* palette, EditSession& session) {
    QMenu* pivots = mnuEdit->addMenu(QStringLiteral("&Pivot"));
    auto* group = new QActionGroup(pivots);
    palette->addSeparator();
    for (const PivotChoice& choice : kChoices) {
        QAction* action = pivots->addAction(QString::fromLatin1(choice.caption));
        action->setCheckable(true);
        action->setChecked(choice.pivot == session.pivot());
        action->setIconText(QString::fromLatin1(choice.iconText));
        action->setToolTip(action->text().remove(QLatin1Char('&')));
        group->addAction(action);
        palette->addAction(action);
        const Pivot pivot = choice.pivot;
        QObject::connect(action, &QAction::triggered, pivots,
                         [&session, pivot] { session.setPivot(pivot); });
    }
    return pivots;
}

} // namespace vw
