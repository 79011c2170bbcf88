#pragma once
// Edit > Transform...: a move by exact amounts, a scale, or a rotation by a typed angle, about
// the pivot chosen for Scale and Rotate (Edit > Pivot) or the origin. Amounts are in the values the
// vertex sheet shows.

#include "model/editing/exact_transform.h"

#include <QDialog>

#include <array>

class QComboBox;
class QDoubleSpinBox;
class QLabel;

namespace vw {

class TransformDialog : public QDialog {
    Q_OBJECT
public:
    // Opens showing start: the last transform chosen, or none at all.
    explicit TransformDialog(const ExactTransform& start = {}, QWidget* parent = nullptr);

    // What the fields say now.
    ExactTransform transform() const;

    QComboBox* kind = nullptr;  // "Move", "Scale", "Rotate"
    QComboBox* axis = nullptr;  // "X", "Y", "Z": the rotation's axis
    QComboBox* about = nullptr; // "Pivot", "Origin"
    std::array<QDoubleSpinBox*, 3> amounts{};
    QDoubleSpinBox* degrees = nullptr;

private:
    void showFieldsOfKind();
    void showTransform(const ExactTransform& shown);

    std::array<QLabel*, 3> m_amountLabels{};
};

} // namespace vw
