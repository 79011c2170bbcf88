#include "app/frm_panes.h"

#include "preview/gl_support.h"
#include "preview/preview_panel.h"
#include "preview/preview_view.h"
#include "tools/cursors.h"
#include "tools/move_tool.h"
#include "tools/selection.h"
#include "tools/view_navigation.h"
#include "views/pane_surface.h"
#include "views/twips.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalBlocker>

namespace {

constexpr int kRefreshMilliseconds = 10;

QRect toPixels(const QRect& twips) {
    const int left = vw::twipToPixel(twips.x());
    const int top = vw::twipToPixel(twips.y());
    return QRect(left, top, vw::twipToPixel(twips.x() + twips.width()) - left,
                 vw::twipToPixel(twips.y() + twips.height()) - top);
}

} // namespace

frmPanes::frmPanes(vw::Model& model, QWidget* parent) : QWidget(parent), m_pane(model) {
    setUp();
}

frmPanes::frmPanes(vw::EditSession& session, QWidget* parent) : QWidget(parent), m_pane(session) {
    setUp();
}

// The Preview listens to the pane's document, which may die with m_pane, before the children.
frmPanes::~frmPanes() {
    delete preview;
}

void frmPanes::setUp() {
    tabAxes = new QTabBar(this);
    {
        const QSignalBlocker quiet(tabAxes);
        for (const char* caption : {"XY Plane", "YZ Plane", "XZ Plane", "UV Mapping", "Preview"})
            tabAxes->addTab(caption);
    }
    tabAxes->setFocusPolicy(Qt::StrongFocus);
    connect(tabAxes, &QTabBar::currentChanged, this,
            [this](int index) { tabAxes_Click(index + 1); });
    // A click on the tab already selected redraws it too.
    connect(tabAxes, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index >= 0 && index == tabAxes->currentIndex())
            tabAxes_Click(index + 1);
    });

    picMain = new PaneSurface(m_pane, this);
    picMain->installEventFilter(this);
    picMain->raise();
    connect(&m_pane, &vw::Pane::surfaceChanged, picMain, qOverload<>(&QWidget::update));
    m_pane.setInput(&m_tools);
    connect(&m_tools.feedback, &vw::ToolFeedback::pointerChanged, picMain,
            [this](vw::PointerShape shape) { picMain->setCursor(vw::cursorFor(shape)); });

    preview = new PreviewPanel(m_pane.document(), vw::canDrawPreview(), this);
    preview->setImageMap(m_pane.picMap);
    preview->hide();
    if (PreviewView* view = preview->view()) {
        m_previewTools = std::make_unique<vw::PreviewTools>(m_pane, m_tools, *view);
        view->setInput(m_previewTools.get());
        view->setHidden(&m_pane.session().hidden());
        // The edit mesh shows with the selecting and transforming tools.
        connect(&m_pane, &vw::Pane::paletteChanged, view, &PreviewView::redraw);
    }

    tmeRefresher = new QTimer(this);
    tmeRefresher->setInterval(kRefreshMilliseconds);
    connect(tmeRefresher, &QTimer::timeout, this, [this] { m_pane.tmeRefresher_Timer(); });
    tmeRefresher->start();
}

void frmPanes::Init_Ebo() {
    layOut();
    m_pane.Init_Ebo();
}

void frmPanes::setCurData() {
    m_pane.setCurData();
}

void frmPanes::RefreshEbo() {
    m_pane.RefreshEbo();
}

void frmPanes::setBackgroundFilter(std::function<bool(int32_t nodeIndex)> filter) {
    m_pane.setBackgroundFilter(std::move(filter));
}

void frmPanes::shownSegmentsChanged() {
    m_pane.invalidateBackground();
    m_pane.RefreshEbo();
    preview->shownChanged();
}

void frmPanes::setPreviewFilter(std::function<bool(int32_t nodeIndex)> filter) {
    preview->setShown(std::move(filter));
}

void frmPanes::setImageMap(const QImage& picture) {
    m_pane.setImageMap(picture);
    preview->setImageMap(picture);
}

void frmPanes::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOut();
}

// The resize rule; runs once per new window size.
void frmPanes::layOut() {
    if (m_laidOutSize == size())
        return;
    m_laidOutSize = size();
    tabAxes->setGeometry(rect());
    m_pane.resize(width() * vw::kTwipsPerPixel, height() * vw::kTwipsPerPixel);
    picMain->setGeometry(toPixels(m_pane.picMainGeometry()));
    preview->setGeometry(picMain->geometry());
}

void frmPanes::closeEvent(QCloseEvent* event) {
    if (closeGuard && !closeGuard()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
    if (event->isAccepted())
        emit unloaded();
}

void frmPanes::keyPressEvent(QKeyEvent* event) {
    const int step = event->modifiers() & Qt::ShiftModifier ? 10 : 1;
    switch (event->key()) {
    case Qt::Key_Left:
        nudge(-step, 0);
        return;
    case Qt::Key_Right:
        nudge(step, 0);
        return;
    case Qt::Key_Up:
        nudge(0, -step);
        return;
    case Qt::Key_Down:
        nudge(0, step);
        return;
    case Qt::Key_PageUp:
        m_tools.changeSoftRadius(1);
        return;
    case Qt::Key_PageDown:
        m_tools.changeSoftRadius(-1);
        return;
    default:
        break;
    }
    if (!isToolDragging() && runViewKey(*event)) {
        event->accept();
        return;
    }
    if (event->text().isEmpty()) {
        QWidget::keyPressEvent(event);
        return;
    }
    // Esc ends a drag under way, putting back what it changed; otherwise it selects nothing.
    if (event->key() == Qt::Key_Escape && m_tools.isDragging()) {
        m_tools.cancelDrag();
        event->accept();
        return;
    }
    m_pane.Form_KeyPress(event->text().at(0).unicode());
    if (event->key() == Qt::Key_Escape)
        vw::selectNone(m_pane);
    // Taken here: the main window would otherwise hand a tool letter to the pane again.
    event->accept();
}

void frmPanes::setKeyMap(vw::KeyMap map) {
    m_pane.keyMap = map;
    if (PreviewView* view = preview ? preview->view() : nullptr)
        view->setKeyMap(map);
}

bool frmPanes::isToolDragging() const {
    return m_tools.isDragging() || (m_previewTools && m_previewTools->isDragging());
}

bool frmPanes::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && isToolDragging()) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

bool frmPanes::runViewKey(const QKeyEvent& event) {
    const bool overPreview = m_pane.selectedTab() == vw::kTabPreview;
    const std::optional<vw::KeyCommand> command =
        vw::viewCommandFor(m_pane.keyMap, event.keyCombination(), overPreview);
    if (!command)
        return false;
    switch (*command) {
    case vw::KeyCommand::ModalMove:
        return beginModal(vw::TransformKind::Move);
    case vw::KeyCommand::ModalScale:
        return beginModal(vw::TransformKind::Scale);
    case vw::KeyCommand::ModalRotate:
        return beginModal(vw::TransformKind::Rotate);
    case vw::KeyCommand::PivotMenu:
        emit pivotMenuAsked();
        return true;
    case vw::KeyCommand::CircleSelect:
        if (overPreview && m_previewTools)
            m_previewTools->beginCircle();
        else if (!overPreview)
            m_tools.beginCircle();
        return true;
    default:
        return false;
    }
}

// Taken even when it cannot begin (nothing selected): the key is the command's either way.
bool frmPanes::beginModal(vw::TransformKind kind) {
    if (m_pane.selectedTab() != vw::kTabPreview)
        (void)m_tools.beginModal(kind);
    else if (m_previewTools)
        (void)m_previewTools->beginModal(kind);
    return true;
}

void frmPanes::nudge(int dx, int dy) {
    if (m_pane.selectedTab() != vw::kTabPreview) {
        vw::nudgeSelection(m_pane.session(), vw::planeScreenAxes(m_pane), dx, dy);
        return;
    }
    PreviewView* view = preview->view();
    if (!view)
        return;
    if (const auto axes = vw::cameraScreenAxes(m_pane.session(), view->scene().camera()))
        vw::nudgeSelection(m_pane.session(), *axes, dx, dy);
}

bool frmPanes::eventFilter(QObject* watched, QEvent* event) {
    if (watched == picMain && event->type() == QEvent::Leave)
        m_pane.pointerLeft();
    if (watched == picMain && event->type() == QEvent::MouseMove &&
        m_pane.selectedTab() <= vw::kTabUV) {
        const QPointF at = static_cast<QMouseEvent*>(event)->position() * vw::kTwipsPerPixel;
        const vw::ViewParams& view = m_pane.currentView();
        emit pointerMoved(view.axisH, m_pane.toModelX(float(at.x())), view.axisV,
                          m_pane.toModelY(float(at.y())));
    }
    return QWidget::eventFilter(watched, event);
}

void frmPanes::fitModel() {
    if (m_pane.selectedTab() == vw::kTabPreview)
        preview->fitAll();
    else
        vw::fitModel(m_pane);
}

void frmPanes::fitPlaneViews() {
    const int shown = m_pane.selectedTab();
    for (int tab = vw::kTabXY; tab <= vw::kTabXZ; ++tab) {
        m_pane.selectTab(tab);
        vw::fitModel(m_pane);
    }
    m_pane.selectTab(shown);
    m_pane.markChanged();
}

void frmPanes::fitSelection() {
    if (m_pane.selectedTab() == vw::kTabPreview)
        preview->fitSelection();
    else
        vw::fitSelection(m_pane);
}

void frmPanes::tabAxes_Click(int index) {
    m_tools.abandonDrag();
    if (m_previewTools)
        m_previewTools->abandon();
    m_pane.tabAxes_Click(index);
    showSurfaceOrPreview();
}

void frmPanes::showSurfaceOrPreview() {
    const bool previewing = m_pane.selectedTab() == vw::kTabPreview;
    preview->setVisible(previewing);
    picMain->setVisible(!previewing);
    if (previewing) {
        preview->raise();
        preview->takeFocus();
    }
}
