#pragma once
// The pane window: the tab strip, the drawing surface and the refresh timer around a Pane.

#include "model/model.h"
#include "tools/preview_tools.h"
#include "tools/tool_frame.h"
#include "views/pane.h"

#include <QTabBar>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

class PaneSurface;
class PreviewPanel;

class frmPanes : public QWidget {
    Q_OBJECT
public:
    explicit frmPanes(vw::Model& model, QWidget* parent = nullptr);
    explicit frmPanes(vw::EditSession& session, QWidget* parent = nullptr);
    ~frmPanes() override;

    // Asked before the window closes; false keeps it open (unsaved changes kept).
    std::function<bool()> closeGuard;

    void Init_Ebo();
    void setCurData();
    void RefreshEbo();
    // Which segments the background draws: the parts tree answers "checked and not the tree's
    // selected node" for a segment's nodeIndex. Unset = every segment.
    void setBackgroundFilter(std::function<bool(int32_t nodeIndex)> filter);
    // The tree's check boxes changed: the background and the Preview show it at once.
    void shownSegmentsChanged();
    // Which segments the Preview shows: the parts tree answers "checked". Unset = every one.
    void setPreviewFilter(std::function<bool(int32_t nodeIndex)> filter);
    // Replaces picMap; shows at the next full redraw, and in the Preview at once.
    void setImageMap(const QImage& picture);
    // View > Fit Model and Fit Selection: the current plane or UV view, or the Preview's camera.
    void fitModel();
    // Fits each of the three plane views to the model, as Fit Model does the one shown.
    void fitPlaneViews();
    void fitSelection();

    vw::Pane& pane() { return m_pane; }
    // Options > Keys: the map the pane and the Preview read their keys from.
    void setKeyMap(vw::KeyMap map);
    // The tools' event frame: every pointer event and key of the pane goes through it.
    vw::ToolFrame& tools() { return m_tools; }

    QTabBar* tabAxes = nullptr;
    PaneSurface* picMain = nullptr;
    // Takes picMain's place while the Preview tab is selected.
    PreviewPanel* preview = nullptr;
    QTimer* tmeRefresher = nullptr;

signals:
    void unloaded(); // the pane window is closing
    // The key map's key for the pivot's menu was typed over a view.
    void pivotMenuAsked();
    // The pointer is over the surface at this model point of the current tab's two axes.
    void pointerMoved(int axisH, float h, int axisV, float v);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Keys typed on the surface and on the tab strip come here too, as their controls pass
    // them on.
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // During a drag every key is the drag's: no menu shortcut fires under it.
    bool event(QEvent* event) override;

private:
    void setUp();
    void layOut();
    void tabAxes_Click(int index);
    void showSurfaceOrPreview();
    // An arrow key: the selection moves along the screen's axes of the view shown.
    void nudge(int dx, int dy);
    // A view command of the key map (a modal transform, circle select, the Preview's camera);
    // false for any other key.
    bool runViewKey(const QKeyEvent& event);
    bool beginModal(vw::TransformKind kind);
    bool isToolDragging() const;

    vw::Pane m_pane;
    vw::ToolFrame m_tools{m_pane};
    // The tools' side of the Preview; none where OpenGL is not available.
    std::unique_ptr<vw::PreviewTools> m_previewTools;
    QSize m_laidOutSize{-1, -1};
};
