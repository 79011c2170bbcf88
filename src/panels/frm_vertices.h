#pragma once
// The vertex sheet: a property grid whose entries, once confirmed, are written into every
// selected vertex of the working data and from there into the model.

#include "model/editing/history/document.h"
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
    frmVertices(vw::Document& document, vw::Prompts& prompts, QWidget* parent = nullptr);
    ~frmVertices() override;

    // The pane whose selection count an edit records; none before the first model is shown.
    // The owner clears it before the pane goes.
    void setPane(vw::Pane* pane);

    // Builds the categories and items, each at 0.
    void fillSheet();
    // Asks for confirmation, then writes the value into the selected working vertices by the
    // item's name and commits the working data, as one undoable edit. A value that does not fit
    // the item's type is refused with a message and changes nothing; one the model's file could
    // not keep is refused at once, the status bar saying why. An answer of No, or a refusal,
    // leaves the items showing the selection's values.
    void applySheetChange(const QString& item, const QVariant& newValue);

    // Items for fields the model's file has no place for are read-only, saying why.
    void showStorableItems();
    // Each vertex item shows the value all selected working vertices share, a blank where they
    // differ, and 0 with nothing selected.
    void showSelection();

    vw::PropertyGrid* propSheet;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void setUp();
    void showRejection(const QString& message);
    int32_t selectionCount() const;

    vw::DocumentRef m_document;
    vw::Model& m_model;
    vw::Subscription m_subscription;
    vw::Prompts& m_prompts;
    vw::Pane* m_pane = nullptr;
    uint64_t m_selectionShown = 0; // how often the items took the selection's values
};
