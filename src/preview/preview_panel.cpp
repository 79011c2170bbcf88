#include "preview/preview_panel.h"

#include "preview/preview_view.h"

#include <QAction>
#include <QLabel>
#include <QToolBar>
#include <QVBoxLayout>

PreviewPanel::PreviewPanel(vw::Document& document, bool withOpenGL, QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    viewOptions = new QToolBar(QStringLiteral("View"), this);
    viewOptions->setToolButtonStyle(Qt::ToolButtonTextOnly);
    viewOptions->setFocusPolicy(Qt::NoFocus);
    const auto option = [this](const QString& text, const QString& tip) {
        QAction* action = viewOptions->addAction(text);
        action->setCheckable(true);
        action->setToolTip(tip);
        connect(action, &QAction::toggled, this, &PreviewPanel::optionsChanged);
        return action;
    };
    mnuImageMap = option(QStringLiteral("Image Map"),
                         QStringLiteral("Show the image map by u and v instead of vertex colours"));
    mnuWireframe = option(QStringLiteral("Wireframe"), QStringLiteral("Draw the triangles' edges"));
    mnuOrthographic = option(QStringLiteral("Orthographic"),
                             QStringLiteral("Parallel projection instead of perspective"));
    mnuXray = option(QStringLiteral("X-ray"),
                     QStringLiteral("Select through the surface, drawn see-through (Alt+Z)"));
    mnuXray->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Z));
    mnuXray->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    // Reached from the view, which is the panel's child, not the strip's.
    addAction(mnuXray);
    mnuDimHidden = option(QStringLiteral("Dim Hidden Vertices"),
                          QStringLiteral("Draw the vertices behind the surface dimmed instead of "
                                         "leaving them out (X-ray always dims them)"));
    viewOptions->addSeparator();
    mnuFitAll = viewOptions->addAction(QStringLiteral("Fit All"));
    mnuFitAll->setToolTip(QStringLiteral("Frame the shown model (Home)"));
    mnuFitSelection = viewOptions->addAction(QStringLiteral("Fit Selection"));
    mnuFitSelection->setToolTip(
        QStringLiteral("Frame the selected vertices, or the working data when none is (F)"));
    layout->addWidget(viewOptions);
    m_notice = new QLabel(this);
    m_notice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(m_notice, 1);

    if (withOpenGL) {
        m_notice->hide();
        m_view = new PreviewView(document, this);
        layout->addWidget(m_view, 1);
        connect(mnuFitAll, &QAction::triggered, m_view, &PreviewView::fitAll);
        connect(mnuFitSelection, &QAction::triggered, m_view, &PreviewView::fitSelection);
        connect(m_view, &PreviewView::orthographicToggled, mnuOrthographic, &QAction::setChecked);
        // Queued: the view reports from inside its own GL set-up, where it must not be hidden.
        connect(m_view, &PreviewView::failed, this, &PreviewPanel::showFailure,
                Qt::QueuedConnection);
        return;
    }
    showNotice(
        QStringLiteral("OpenGL 3.3 is not available here, so the 3D preview cannot be shown."));
}

void PreviewPanel::showFailure(const QString& reason) {
    m_view->hide();
    showNotice(QStringLiteral("The 3D preview cannot be shown: %1").arg(reason));
}

void PreviewPanel::showNotice(const QString& text) {
    m_notice->setText(text);
    m_notice->show();
    viewOptions->setEnabled(false);
}

void PreviewPanel::optionsChanged() {
    if (!m_view)
        return;
    vw::PreviewOptions options;
    options.imageMap = mnuImageMap->isChecked();
    options.wireframe = mnuWireframe->isChecked();
    options.dimHidden = mnuDimHidden->isChecked();
    m_view->setOptions(options);
    m_view->setOrthographic(mnuOrthographic->isChecked());
    m_view->setXray(mnuXray->isChecked());
}

void PreviewPanel::setImageMap(const QImage& picture) {
    if (m_view)
        m_view->setImageMap(picture);
}

void PreviewPanel::setShown(vw::ShownFilter shown) {
    if (m_view)
        m_view->setShown(std::move(shown));
}

void PreviewPanel::shownChanged() {
    if (m_view)
        m_view->shownChanged();
}

void PreviewPanel::fitAll() {
    if (m_view)
        m_view->fitAll();
}

void PreviewPanel::fitSelection() {
    if (m_view)
        m_view->fitSelection();
}

void PreviewPanel::takeFocus() {
    if (m_view)
        m_view->setFocus(Qt::OtherFocusReason);
}
