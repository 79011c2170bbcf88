#pragma once
// The vertex sheet: a property grid whose entries, once confirmed, are written into every
// selected vertex of the working data and from there into the model.

#include "model/model.h"
#include "panels/property_grid.h"

#include <QVariant>
#include <QWidget>

namespace vw {
class Pane;
class Prompts;
} // namespace vw

class frmVertices : public QWidget {
    Q_OBJECT
public:
    frmVertices(vw::Model& model, vw::Prompts& prompts, QWidget* parent = nullptr);

    // The pane redrawn after every answered change; none before the first model is shown. The
    // owner clears it before the pane goes.
    void setPane(vw::Pane* pane);

    // Builds the categories and items, each at 0.
    void fillSheet();
    // Asks for confirmation, then writes the value into the selected working vertices by the
    // item's name, commits the working data and redraws the pane. A value that does not fit
    // the item's type is refused with a message and changes nothing.
    void applySheetChange(const QString& item, const QVariant& newValue);

    vw::PropertyGrid* propSheet;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showRejection(const QString& message);

    vw::Model& m_model;
    vw::Prompts& m_prompts;
    vw::Pane* m_pane = nullptr;
};
