#pragma once
// A small property grid: captioned categories of named, typed items. The user types a number
// or picks a colour; a value that fits its item's type is kept and announced, any other is
// refused with a message and the item keeps the value it had.

#include <QColor>
#include <QString>
#include <QVariant>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QAbstractButton;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace vw {

enum class PropertyType {
    Float,  // a finite single-precision number
    Byte,   // a whole number from 0 to 255
    Colour, // a colour as the integer 0x00BBGGRR (red in the lowest byte)
};

// The value as its item type holds it (float for Float, int for Byte and Colour); empty when it
// does not fit. Text is read in the user's number format or in the C format.
std::optional<QVariant> toPropertyValue(PropertyType type, const QVariant& value);

// What a user is told when an entry for the item does not fit its type.
QString rejectionMessage(const QString& name, PropertyType type, const QVariant& value);

// The colour integer 0x00BBGGRR of a colour, and back.
int colourToInteger(const QColor& colour);
QColor integerToColour(int value);

class PropertyGrid : public QWidget {
    Q_OBJECT
public:
    // Asks the user for a colour, starting at initial; empty when cancelled.
    using ColourChooser = std::function<std::optional<QColor>(const QColor& initial)>;

    explicit PropertyGrid(QWidget* parent = nullptr);
    ~PropertyGrid() override;

    // Adds a category below the last one and returns its index.
    int addCategory(const QString& caption);
    // Adds an item at the end of the category; the initial value must fit the type.
    void addItem(int category, const QString& name, PropertyType type, const QVariant& value);

    // The item's current value and type; an invalid value for an unknown name.
    QVariant value(const QString& name) const;
    std::optional<PropertyType> type(const QString& name) const;
    // The text the item shows.
    QString valueText(const QString& name) const;
    // Shows a value held elsewhere (announcing nothing), or a blank for values that differ.
    void showHeldValue(const QString& name, const std::optional<QVariant>& value);

    // The user entered a value for the item (typed text, a number or a chosen colour). When it
    // fits, the item keeps it and itemChanged follows; else inputRejected, nothing changes.
    // Returns whether the value was taken.
    bool enterValue(const QString& name, const QVariant& entered);

    // A read-only item is greyed and takes no entry; the tooltip says why.
    void setReadOnly(const QString& name, bool readOnly, const QString& why);
    bool isReadOnly(const QString& name) const;

    void setColourChooser(ColourChooser chooser) { m_chooseColour = std::move(chooser); }

    // The item's editing control: a line edit for numbers, a button for colours; for tests.
    QLineEdit* lineEdit(const QString& name) const;
    QAbstractButton* colourButton(const QString& name) const;
    QTreeWidget* tree() const { return m_tree; }

protected:
    // Esc in an item's field puts the shown value back; nothing is entered.
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    void itemChanged(const QString& name, const QVariant& value);
    void inputRejected(const QString& name, const QString& message);

private:
    struct Item {
        QString name;
        PropertyType type;
        QVariant value;
        QTreeWidgetItem* row;
        QWidget* editor;
        bool blank = false; // the values it stands for differ
    };

    Item* find(const QString& name);
    const Item* find(const QString& name) const;
    QWidget* makeEditor(const Item& item);
    void showValue(const Item& item);
    void chooseColour(const QString& name);
    void lineEditFinished(const QString& name, bool always);

    QTreeWidget* m_tree;
    std::vector<QTreeWidgetItem*> m_categories;
    std::vector<Item> m_items;
    ColourChooser m_chooseColour;
    bool m_entering = false;
};

} // namespace vw
