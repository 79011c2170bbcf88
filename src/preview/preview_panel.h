#pragma once
// The Preview tab's contents: a strip of View options over the 3D view, or, where OpenGL cannot
// be had or its shaders cannot be built, one line saying so.

#include "model/editing/history/document.h"
#include "preview/fitting.h"

#include <QImage>
#include <QWidget>

class QAction;
class QLabel;
class QToolBar;
class PreviewView;

class PreviewPanel : public QWidget {
    Q_OBJECT
public:
    // The 3D view is made only when withOpenGL holds (canDrawPreview() in the editor).
    PreviewPanel(vw::Document& document, bool withOpenGL, QWidget* parent = nullptr);

    // Null where OpenGL is not available.
    PreviewView* view() const { return m_view; }
    // The one line shown instead of the view; hidden while the view draws.
    QLabel* notice() const { return m_notice; }

    void setImageMap(const QImage& picture);
    void setShown(vw::ShownFilter shown);
    // The tree's check boxes changed.
    void shownChanged();
    // Gives the keyboard to the view, so Home, F and the tool letters work at once.
    void takeFocus();
    // Frame the shown model, or the selection (the working data when none is selected).
    void fitAll();
    void fitSelection();

    QToolBar* viewOptions = nullptr;
    QAction* mnuImageMap = nullptr;
    QAction* mnuWireframe = nullptr;
    QAction* mnuOrthographic = nullptr;
    // Picks through the surface and draws it see-through; Alt+Z.
    QAction* mnuXray = nullptr;
    // Vertex marks behind the surface dimmed with X-ray off too, instead of left out.
    QAction* mnuDimHidden = nullptr;
    QAction* mnuFitAll = nullptr;
    QAction* mnuFitSelection = nullptr;

private:
    void optionsChanged();
    void showFailure(const QString& reason);
    void showNotice(const QString& text);

    PreviewView* m_view = nullptr;
    QLabel* m_notice = nullptr;
};
