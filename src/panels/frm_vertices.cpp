#include "panels/frm_vertices.h"

#include "dialogs/prompts.h"
#include "tools/move_tool.h"
#include "views/pane.h"
#include "views/twips.h"

#include <QResizeEvent>

#include <algorithm>
#include <array>
#include <optional>

namespace {

constexpr int kSheetBottomGap = 120 / vw::kTwipsPerPixel; // 120 twips below the grid

const QString kTitle = QStringLiteral("Vertwright");
const QString kConfirmation = QStringLiteral("The changes will be applied to all selected "
                                             "vertices.\r\nDo you wish to continue?");

// The vertex coordinate an item writes: 0 x, 1 y, 2 z, 3 u, 4 v; none for other items.
std::optional<int> coordinateOf(const QString& item) {
    static const std::array<QString, 5> names{"X", "Y", "Z", "U", "V"};
    const auto found = std::find(names.begin(), names.end(), item);
    if (found == names.end())
        return std::nullopt;
    return static_cast<int>(found - names.begin());
}

template <typename Write> void forSelected(std::vector<vw::Segment>& segments, Write write) {
    for (vw::Segment& segment : segments)
        for (vw::Vertex& vertex : segment.verts)
            if (vertex.selected != 0)
                write(vertex);
}

} // namespace

frmVertices::frmVertices(vw::Model& model, vw::Prompts& prompts, QWidget* parent)
    : QWidget(parent), propSheet(new vw::PropertyGrid(this)), m_model(model), m_prompts(prompts) {
    setWindowTitle(QStringLiteral("Vertices"));
    fillSheet();
    connect(propSheet, &vw::PropertyGrid::itemChanged, this, &frmVertices::applySheetChange);
    connect(propSheet, &vw::PropertyGrid::inputRejected, this,
            [this](const QString&, const QString& message) { showRejection(message); });
}

void frmVertices::setPane(vw::Pane* pane) {
    m_pane = pane;
}

void frmVertices::fillSheet() {
    using vw::PropertyType;
    const int vertex = propSheet->addCategory(QStringLiteral("Vertex"));
    propSheet->addItem(vertex, QStringLiteral("X"), PropertyType::Float, 0);
    propSheet->addItem(vertex, QStringLiteral("Y"), PropertyType::Float, 0);
    propSheet->addItem(vertex, QStringLiteral("Z"), PropertyType::Float, 0);
    const int mapping = propSheet->addCategory(QStringLiteral("Mapping"));
    propSheet->addItem(mapping, QStringLiteral("U"), PropertyType::Float, 0);
    propSheet->addItem(mapping, QStringLiteral("V"), PropertyType::Float, 0);
    const int colour = propSheet->addCategory(QStringLiteral("Color Data"));
    propSheet->addItem(colour, QStringLiteral("Alpha"), PropertyType::Byte, 0);
    propSheet->addItem(colour, QStringLiteral("Color"), PropertyType::Colour, 0);
    const int other = propSheet->addCategory(QStringLiteral("Other"));
    propSheet->addItem(other, QStringLiteral("A"), PropertyType::Float, 0);
    propSheet->addItem(other, QStringLiteral("B"), PropertyType::Float, 0);
    propSheet->addItem(other, QStringLiteral("C"), PropertyType::Float, 0);
}

void frmVertices::applySheetChange(const QString& item, const QVariant& newValue) {
    QVariant value = newValue;
    if (const std::optional<vw::PropertyType> type = propSheet->type(item)) {
        const std::optional<QVariant> converted = vw::toPropertyValue(*type, newValue);
        if (!converted) {
            showRejection(vw::rejectionMessage(item, *type, newValue));
            return;
        }
        value = *converted;
    }

    const vw::PromptAnswer answer = m_prompts.message(
        kConfirmation, kTitle, vw::PromptIcon::Question, vw::PromptButtons::YesNo);
    if (answer == vw::PromptAnswer::Yes) {
        std::vector<vw::Segment> working = m_model.curData;
        if (const std::optional<int> axis = coordinateOf(item)) {
            const float coordinate = value.toFloat();
            forSelected(working, [&](vw::Vertex& v) { v.coord(*axis) = coordinate; });
        } else if (item == QLatin1String("Color")) {
            const QColor colour = vw::integerToColour(value.toInt());
            const auto red = static_cast<uint8_t>(colour.red());
            const auto green = static_cast<uint8_t>(colour.green());
            const auto blue = static_cast<uint8_t>(colour.blue());
            forSelected(working, [&](vw::Vertex& v) {
                v.red = red;
                v.green = green;
                v.blue = blue;
            });
        } else if (item == QLatin1String("Alpha")) {
            const auto alpha = static_cast<uint8_t>(value.toInt());
            forSelected(working, [&](vw::Vertex& v) { v.alpha = alpha; });
        }
        m_model.curData = std::move(working);
        vw::commitCurData(m_model);
    }
    if (m_pane)
        m_pane->RefreshEbo();
}

void frmVertices::showRejection(const QString& message) {
    m_prompts.message(message, kTitle, vw::PromptIcon::Warning, vw::PromptButtons::Ok);
}

void frmVertices::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    propSheet->setGeometry(0, 0, width(), std::max(0, height() - kSheetBottomGap));
}
