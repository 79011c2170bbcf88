#include "dialogs/transform_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>

#include <limits>

namespace vw {
namespace {

QDoubleSpinBox* numberField(double value) {
    auto* field = new QDoubleSpinBox;
    field->setRange(-1e9, 1e9);
    field->setDecimals(6);
    field->setValue(value);
    return field;
}

} // namespace

TransformDialog::TransformDialog(const ExactTransform& start, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Transform"));
    auto* form = new QFormLayout(this);
    // The file holds y the other way round; what is typed here runs as the sheet and the status
    // bar show it.
    form->addRow(new QLabel(QStringLiteral("X, Y and Z as the Vertices sheet shows them.")));
    kind = new QComboBox;
    kind->addItems({QStringLiteral("Move"), QStringLiteral("Scale"), QStringLiteral("Rotate")});
    form->addRow(QStringLiteral("&Transform:"), kind);
    for (size_t i = 0; i < amounts.size(); ++i) {
        amounts[i] = numberField(0);
        m_amountLabels[i] = new QLabel;
        form->addRow(m_amountLabels[i], amounts[i]);
    }
    degrees = numberField(0);
    degrees->setRange(-360000, 360000);
    form->addRow(QStringLiteral("&Angle (degrees, counter-clockwise, y up):"), degrees);
    axis = new QComboBox;
    axis->addItems({QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("Z")});
    axis->setCurrentIndex(2);
    form->addRow(QStringLiteral("A&xis:"), axis);
    about = new QComboBox;
    about->addItems({QStringLiteral("Pivot"), QStringLiteral("Origin")});
    form->addRow(QStringLiteral("A&bout:"), about);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
    connect(kind, &QComboBox::currentIndexChanged, this, &TransformDialog::showFieldsOfKind);
    showFieldsOfKind();
    showTransform(start);
}

void TransformDialog::showTransform(const ExactTransform& shown) {
    kind->setCurrentIndex(int(shown.kind));
    for (size_t i = 0; i < amounts.size(); ++i)
        amounts[i]->setValue(shown.amount[i]);
    degrees->setValue(shown.degrees);
    axis->setCurrentIndex(shown.axis);
    about->setCurrentIndex(shown.aboutOrigin ? 1 : 0);
}

void TransformDialog::showFieldsOfKind() {
    const bool rotate = kind->currentIndex() == 2;
    const bool scale = kind->currentIndex() == 1;
    static const char* const names[] = {"X", "Y", "Z"};
    for (size_t i = 0; i < amounts.size(); ++i) {
        m_amountLabels[i]->setText(
            QStringLiteral("%1 %2:").arg(scale ? "Scale" : "Move", names[i]));
        m_amountLabels[i]->setVisible(!rotate);
        amounts[i]->setVisible(!rotate);
        // A scale starts at 1, a move at 0: either way the dialog opens as "no change".
        amounts[i]->setValue(scale ? 1 : 0);
    }
    degrees->setEnabled(rotate);
    axis->setEnabled(rotate);
    about->setEnabled(!(kind->currentIndex() == 0));
}

ExactTransform TransformDialog::transform() const {
    ExactTransform result;
    result.kind = static_cast<ExactTransform::Kind>(kind->currentIndex());
    for (size_t i = 0; i < amounts.size(); ++i)
        result.amount[i] = amounts[i]->value();
    result.degrees = degrees->value();
    result.axis = axis->currentIndex();
    result.aboutOrigin = about->currentIndex() == 1;
    return result;
}

} // namespace vw
