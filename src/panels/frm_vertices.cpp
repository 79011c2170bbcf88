#include "panels/frm_vertices.h"

#include "dialogs/prompts.h"
#include "model/editing/limits/edit_limits.h"
#include "model/vertex_fields.h"
#include "views/pane.h"
#include "views/twips.h"

#include <QResizeEvent>

#include <algorithm>
#include <array>
#include <bit>
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

struct SheetField {
    const char* item;
    uint16_t fields;
};

constexpr SheetField kSheetFields[] = {
    {"X", vw::kFieldX},           {"Y", vw::kFieldY}, {"Z", vw::kFieldZ},
    {"U", vw::kFieldU},           {"V", vw::kFieldV}, {"Alpha", vw::kFieldAlpha},
    {"Color", vw::kColourFields},
};

// The vertex fields an item writes; none for "A", "B" and "C".
uint16_t fieldsOf(const QString& item) {
    for (const SheetField& entry : kSheetFields)
        if (item == QLatin1String(entry.item))
            return entry.fields;
    return 0;
}

template <typename Write> void forSelected(std::vector<vw::Segment>& segments, Write write) {
    for (vw::Segment& segment : segments)
        for (vw::Vertex& vertex : segment.verts)
            if (vertex.selected != 0)
                write(vertex);
}

} // namespace

frmVertices::frmVertices(vw::Model& model, vw::Prompts& prompts, QWidget* parent)
    : QWidget(parent), propSheet(new vw::PropertyGrid(this)), m_document(model), m_model(model),
      m_prompts(prompts) {
    setUp();
}

frmVertices::frmVertices(vw::Document& document, vw::Prompts& prompts, QWidget* parent)
    : QWidget(parent), propSheet(new vw::PropertyGrid(this)), m_document(document),
      m_model(document.model()), m_prompts(prompts) {
    setUp();
}

frmVertices::~frmVertices() = default;

void frmVertices::setUp() {
    m_subscription = m_document.get().subscribe([this](const vw::DocumentChange& change) {
        if (change.model) {
            showStorableItems();
            propSheet->setEnabled(m_document.get().hasModel());
        }
        if (change.model || change.workingData || change.selection || !change.vertices.empty())
            showSelection();
    });
    setWindowTitle(QStringLiteral("Vertices"));
    fillSheet();
    propSheet->setEnabled(m_document.get().hasModel());
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

    const uint16_t fields = fieldsOf(item);
    if (const vw::Result editable = vw::checkEditable(m_model, fields); !editable) {
        m_document.get().refuse(editable.reason());
        showSelection();
        return;
    }

    const vw::PromptAnswer answer = m_prompts.message(
        kConfirmation, kTitle, vw::PromptIcon::Question, vw::PromptButtons::YesNo);
    if (answer != vw::PromptAnswer::Yes) {
        showSelection();
        return;
    }
    const auto write = [&](std::vector<vw::Segment>& working) {
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
    };
    const uint64_t shownBefore = m_selectionShown;
    // A refusal is announced as a notice by the document. The pane's mirror, when on, also
    // sets the partners.
    const std::string label = QStringLiteral("Set %1 of %n").arg(item).toStdString();
    const vw::Result done =
        m_pane ? m_pane->session().edit(label, fields, write, vw::AidUse::MirrorOnly)
               : m_document.get().edit(label, fields, selectionCount(), write);
    if (!done)
        m_document.get().refuse(done.reason());
    // After a Yes that changed nothing, the typed value must not stand for the model's.
    if (m_selectionShown == shownBefore)
        showSelection();
}

int32_t frmVertices::selectionCount() const {
    if (m_pane)
        return m_pane->SelCount();
    int32_t count = 0;
    for (const vw::Segment& segment : m_model.curData)
        for (const vw::Vertex& vertex : segment.verts)
            count += vertex.selected != 0;
    return count;
}

void frmVertices::showSelection() {
    ++m_selectionShown;
    const vw::SelectionSummary& summary = m_document.get().selectionSummary();
    auto held = [&](int field) { return summary.shared[size_t(field)]; };
    static const char* const coordinates[] = {"X", "Y", "Z", "U", "V"};
    for (int f = 0; f < 5; ++f) {
        const std::optional<uint32_t> bits = held(f);
        propSheet->showHeldValue(coordinates[f],
                                 bits ? std::optional<QVariant>(std::bit_cast<float>(*bits))
                                      : std::nullopt);
    }
    const std::optional<uint32_t> alpha = held(8);
    propSheet->showHeldValue("Alpha", alpha ? std::optional<QVariant>(int(*alpha)) : std::nullopt);
    const std::optional<uint32_t> red = held(5), green = held(6), blue = held(7);
    propSheet->showHeldValue("Color",
                             red && green && blue
                                 ? std::optional<QVariant>(int(*red + 256 * *green + 65536 * *blue))
                                 : std::nullopt);
}

void frmVertices::showStorableItems() {
    for (const SheetField& entry : kSheetFields) {
        const vw::Result storable = vw::checkStorableFields(m_model, entry.fields);
        propSheet->setReadOnly(QLatin1String(entry.item), !storable,
                               QString::fromStdString(storable.reason()));
    }
}

void frmVertices::showRejection(const QString& message) {
    m_prompts.message(message, kTitle, vw::PromptIcon::Warning, vw::PromptButtons::Ok);
}

void frmVertices::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    propSheet->setGeometry(0, 0, width(), std::max(0, height() - kSheetBottomGap));
}
