#include "panels/property_grid.h"

#include "tools/angle_text.h"

#include <QColorDialog>
#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPixmap>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cmath>
#include <limits>

namespace vw {

namespace {

const QColor kCategoryGround(64, 64, 64);
constexpr int kColourMax = 0xFFFFFF;

// A number from a variant: numbers as they are, text in the user's format or the C format.
std::optional<double> toNumber(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UChar:
        return value.toDouble();
    case QMetaType::QString: {
        const QString text = value.toString().trimmed();
        // A group separator in a typed number is more likely a mistyped decimal point.
        QLocale user;
        user.setNumberOptions(QLocale::RejectGroupSeparator);
        bool ok = false;
        double number = user.toDouble(text, &ok);
        if (!ok)
            number = QLocale::c().toDouble(text, &ok);
        if (ok)
            return number;
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::optional<int> toWholeNumber(const QVariant& value, int lowest, int highest) {
    const std::optional<double> number = toNumber(value);
    if (!number || !std::isfinite(*number) || std::trunc(*number) != *number || *number < lowest ||
        *number > highest)
        return std::nullopt;
    return static_cast<int>(*number);
}

QString colourText(int value) {
    const QColor colour = integerToColour(value);
    return QStringLiteral("%1, %2, %3").arg(colour.red()).arg(colour.green()).arg(colour.blue());
}

QIcon colourSwatch(int value) {
    QPixmap swatch(14, 14);
    swatch.fill(integerToColour(value));
    return QIcon(swatch);
}

// Tahoma where it is installed, else the widget's own family.
QFont gridFont(QFont font) {
    static const bool hasTahoma = QFontDatabase::families().contains(QStringLiteral("Tahoma"));
    if (hasTahoma)
        font.setFamily(QStringLiteral("Tahoma"));
    return font;
}

} // namespace

std::optional<QVariant> toPropertyValue(PropertyType type, const QVariant& value) {
    switch (type) {
    case PropertyType::Float: {
        const std::optional<double> number = toNumber(value);
        if (!number || !std::isfinite(*number) ||
            std::fabs(*number) > std::numeric_limits<float>::max())
            return std::nullopt;
        return QVariant(static_cast<float>(*number));
    }
    case PropertyType::Byte:
        if (const std::optional<int> byte = toWholeNumber(value, 0, 255))
            return QVariant(*byte);
        return std::nullopt;
    case PropertyType::Colour:
        if (value.typeId() == QMetaType::QColor) {
            const QColor colour = value.value<QColor>();
            if (!colour.isValid())
                return std::nullopt;
            return QVariant(colourToInteger(colour));
        }
        if (const std::optional<int> colour = toWholeNumber(value, 0, kColourMax))
            return QVariant(*colour);
        return std::nullopt;
    }
    return std::nullopt;
}

QString rejectionMessage(const QString& name, PropertyType type, const QVariant& value) {
    const QString entered = value.toString().trimmed();
    const QString what = entered.isEmpty() ? QStringLiteral("An empty value")
                                           : QStringLiteral("\"%1\"").arg(entered);
    switch (type) {
    case PropertyType::Float:
        return QStringLiteral("%1 is not a valid value for %2.\r\n%2 takes a number.")
            .arg(what, name);
    case PropertyType::Byte:
        return QStringLiteral("%1 is not a valid value for %2.\r\n"
                              "%2 takes a whole number from 0 to 255.")
            .arg(what, name);
    case PropertyType::Colour:
        return QStringLiteral("%1 is not a valid value for %2.\r\n%2 takes a colour.")
            .arg(what, name);
    }
    return {};
}

int colourToInteger(const QColor& colour) {
    return colour.red() + 256 * colour.green() + 65536 * colour.blue();
}

QColor integerToColour(int value) {
    return QColor(value & 255, (value >> 8) & 255, (value >> 16) & 255);
}

PropertyGrid::PropertyGrid(QWidget* parent) : QWidget(parent), m_tree(new QTreeWidget(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tree);
    setFont(gridFont(font()));
    m_tree->setColumnCount(2);
    m_tree->setHeaderHidden(true);
    m_tree->setSelectionMode(QAbstractItemView::NoSelection);
    m_tree->setFocusPolicy(Qt::NoFocus);
    m_tree->setIndentation(10);
    m_tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_tree->header()->setStretchLastSection(true);
    m_chooseColour = [this](const QColor& initial) -> std::optional<QColor> {
        const QColor chosen = QColorDialog::getColor(initial, this);
        if (!chosen.isValid())
            return std::nullopt;
        return chosen;
    };
}

PropertyGrid::~PropertyGrid() {
    // An editor losing the focus while the widgets go must not enter its text any more.
    for (const Item& item : m_items)
        QObject::disconnect(item.editor, nullptr, this, nullptr);
}

int PropertyGrid::addCategory(const QString& caption) {
    auto* row = new QTreeWidgetItem(m_tree, QStringList{caption});
    row->setFlags(Qt::ItemIsEnabled);
    row->setFirstColumnSpanned(true);
    row->setBackground(0, kCategoryGround);
    row->setForeground(0, Qt::white);
    QFont captionFont = gridFont(font());
    captionFont.setBold(true);
    row->setFont(0, captionFont);
    row->setExpanded(true);
    m_categories.push_back(row);
    return static_cast<int>(m_categories.size()) - 1;
}

void PropertyGrid::addItem(int category, const QString& name, PropertyType type,
                           const QVariant& value) {
    auto* row = new QTreeWidgetItem(m_categories.at(category), QStringList{name});
    row->setFlags(Qt::ItemIsEnabled);
    Item item{name, type, toPropertyValue(type, value).value_or(QVariant(0)), row, nullptr};
    item.editor = makeEditor(item);
    m_tree->setItemWidget(row, 1, item.editor);
    m_items.push_back(item);
    showValue(item);
    m_categories.at(category)->setExpanded(true);
}

QWidget* PropertyGrid::makeEditor(const Item& item) {
    const QString name = item.name;
    if (item.type == PropertyType::Colour) {
        auto* button = new QToolButton;
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setAutoRaise(true);
        button->setToolTip(QStringLiteral("Choose a colour"));
        connect(button, &QToolButton::clicked, this, [this, name] { chooseColour(name); });
        return button;
    }
    auto* edit = new QLineEdit;
    edit->setFrame(false);
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::returnPressed, this, [this, name] { lineEditFinished(name, true); });
    connect(edit, &QLineEdit::editingFinished, this,
            [this, name] { lineEditFinished(name, false); });
    return edit;
}

PropertyGrid::Item* PropertyGrid::find(const QString& name) {
    for (Item& item : m_items)
        if (item.name == name)
            return &item;
    return nullptr;
}

const PropertyGrid::Item* PropertyGrid::find(const QString& name) const {
    return const_cast<PropertyGrid*>(this)->find(name);
}

QVariant PropertyGrid::value(const QString& name) const {
    const Item* item = find(name);
    return item ? item->value : QVariant();
}

std::optional<PropertyType> PropertyGrid::type(const QString& name) const {
    const Item* item = find(name);
    if (!item)
        return std::nullopt;
    return item->type;
}

QString PropertyGrid::valueText(const QString& name) const {
    const Item* item = find(name);
    if (!item || item->blank)
        return {};
    switch (item->type) {
    case PropertyType::Float:
        return vw::floatText(item->value.toFloat());
    case PropertyType::Byte:
        return QString::number(item->value.toInt());
    case PropertyType::Colour:
        return colourText(item->value.toInt());
    }
    return {};
}

void PropertyGrid::showHeldValue(const QString& name, const std::optional<QVariant>& value) {
    Item* item = find(name);
    if (!item)
        return;
    std::optional<QVariant> converted;
    if (value)
        converted = toPropertyValue(item->type, *value);
    item->blank = !converted;
    if (converted)
        item->value = *converted;
    showValue(*item);
}

void PropertyGrid::showValue(const Item& item) {
    const QString text = valueText(item.name);
    if (auto* edit = qobject_cast<QLineEdit*>(item.editor)) {
        edit->setText(text);
        edit->setCursorPosition(0);
    } else if (auto* button = qobject_cast<QToolButton*>(item.editor)) {
        button->setText(text);
        button->setIcon(item.blank ? QIcon() : colourSwatch(item.value.toInt()));
    }
}

bool PropertyGrid::enterValue(const QString& name, const QVariant& entered) {
    Item* item = find(name);
    if (!item)
        return false;
    const PropertyType type = item->type;
    const std::optional<QVariant> converted = toPropertyValue(type, entered);
    if (!converted) {
        // Restore the shown value before telling the user, so the message box taking the
        // focus does not enter the refused text a second time.
        showValue(*item);
        emit inputRejected(name, rejectionMessage(name, type, entered));
        return false;
    }
    item->value = *converted;
    item->blank = false;
    showValue(*item);
    emit itemChanged(name, *converted);
    return true;
}

void PropertyGrid::lineEditFinished(const QString& name, bool always) {
    const QLineEdit* edit = lineEdit(name);
    // Return always applies the value, so the same value can go to another selection; losing
    // the focus applies only a value that was edited.
    if (m_entering || !edit || (!always && edit->text() == valueText(name)))
        return;
    m_entering = true;
    // A value applied as shown, not retyped, keeps its bits (a -0 shown as "0" stays -0).
    const Item* item = find(name);
    const bool asShown =
        item && !item->blank && !edit->isModified() && edit->text() == valueText(name);
    enterValue(name, asShown ? item->value : QVariant(edit->text()));
    m_entering = false;
}

void PropertyGrid::chooseColour(const QString& name) {
    const Item* item = find(name);
    if (!item || !m_chooseColour)
        return;
    if (const std::optional<QColor> chosen = m_chooseColour(integerToColour(item->value.toInt())))
        enterValue(name, *chosen);
}

bool PropertyGrid::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        for (const Item& item : m_items) {
            if (item.editor == watched) {
                showValue(item);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void PropertyGrid::setReadOnly(const QString& name, bool readOnly, const QString& why) {
    Item* item = find(name);
    if (!item)
        return;
    item->editor->setEnabled(!readOnly);
    item->row->setDisabled(readOnly);
    const QString tip = readOnly ? why : QString();
    item->row->setToolTip(0, tip);
    item->row->setToolTip(1, tip);
    item->editor->setToolTip(readOnly ? why
                             : item->type == PropertyType::Colour
                                 ? QStringLiteral("Choose a colour")
                                 : QString());
}

bool PropertyGrid::isReadOnly(const QString& name) const {
    const Item* item = find(name);
    return item && !item->editor->isEnabled();
}

QLineEdit* PropertyGrid::lineEdit(const QString& name) const {
    const Item* item = find(name);
    return item ? qobject_cast<QLineEdit*>(item->editor) : nullptr;
}

QAbstractButton* PropertyGrid::colourButton(const QString& name) const {
    const Item* item = find(name);
    return item ? qobject_cast<QAbstractButton*>(item->editor) : nullptr;
}

} // namespace vw
