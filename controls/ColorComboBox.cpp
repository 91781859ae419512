#include "controls/ColorComboBox.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <utility>

namespace {
constexpr int ColorRole = Qt::UserRole;

QColor ToQColor(TColor c) { return QColor(ColorRed(c), ColorGreen(c), ColorBlue(c)); }

// Draws a list item: the background, a swatch of the item's colour from
// (left + 1, top + 1) to (left + width - 1, bottom - 1), and the name after
// it, on one line, centred vertically.
class TColorItemDelegate : public QStyledItemDelegate {
public:
    explicit TColorItemDelegate(const TColorComboBox& Box) : QStyledItemDelegate(const_cast<TColorComboBox*>(&Box)), FBox(Box) {}

    void paint(QPainter* Painter, const QStyleOptionViewItem& Option, const QModelIndex& Index) const override {
        const QRect r = Option.rect;
        const bool selected = Option.state & QStyle::State_Selected;
        const QPalette& palette = Option.palette;
        Painter->save();
        Painter->fillRect(r, selected ? palette.highlight() : palette.base());
        const int width = FBox.ColorWidth();
        const QRect swatch(QPoint(r.left() + 1, r.top() + 1), QPoint(r.left() + width - 2, r.bottom() - 1));
        const TColor color = Index.data(ColorRole).value<TColor>();
        Painter->fillRect(swatch, ToQColor(color));
        Painter->setPen(selected ? palette.highlightedText().color() : palette.text().color());
        const QRect text(r.left() + width + 4, r.top(), r.width() - width - 4, r.height());
        Painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, Index.data(Qt::DisplayRole).toString());
        Painter->restore();
    }

private:
    const TColorComboBox& FBox;
};

// The standard colours, red-green-blue.
struct TNamedColor {
    const char* Name;
    unsigned Rgb;
};
constexpr TNamedColor StandardColors[] = {
    {"Aqua", 0x00FFFF},   {"Black", 0x000000}, {"Blue", 0x0000FF},   {"Fuchsia", 0xFF00FF},
    {"Gray", 0x808080},   {"Green", 0x008000}, {"Lime", 0x00FF00},   {"Maroon", 0x800000},
    {"Navy", 0x000080},   {"Olive", 0x808000}, {"Purple", 0x800080}, {"Red", 0xFF0000},
    {"Silver", 0xC0C0C0}, {"Teal", 0x008080}, {"White", 0xFFFFFF},  {"Yellow", 0xFFFF00},
};
}  // namespace

TColorComboBox::TColorComboBox(QWidget* Parent) : QComboBox(Parent) {
    setItemDelegate(new TColorItemDelegate(*this));
}

void TColorComboBox::SetColorWidth(int Value) {
    if (Value < 5) return;
    FColorWidth = Value;
    if (view()) view()->viewport()->update();
}

bool TColorComboBox::Before(const QString& NameA, TColor ColorA, const QString& NameB, TColor ColorB) const {
    switch (FSortBy) {
    case ccsColor:
        return ColorA < ColorB;
    case ccsText:
        return NameA.toLower() < NameB.toLower();
    case ccsUnsorted:
        break;
    }
    return false;
}

void TColorComboBox::AddColor(const QString& Name, TColor Color) {
    int row = count();
    if (FSortBy != ccsUnsorted) {
        for (int i = 0; i < count(); ++i)
            if (Before(Name, Color, itemText(i), ColorAt(i))) {
                row = i;
                break;
            }
    }
    // Adding selects nothing: Qt would select the first item put into an empty box.
    const QSignalBlocker quiet(this);
    const int selected = currentIndex();
    insertItem(row, Name);
    setItemData(row, QVariant::fromValue(Color), ColorRole);
    setItemData(row, ToQColor(Color), Qt::DecorationRole);  // the swatch of the closed box
    if (selected < 0) setCurrentIndex(-1);
}

void TColorComboBox::AddStandardColors(TColor DefaultColor) {
    AddColor(QStringLiteral("Default"), DefaultColor);
    for (const TNamedColor& c : StandardColors)
        AddColor(QLatin1String(c.Name), MakeColor(static_cast<std::uint8_t>(c.Rgb >> 16),
                                                  static_cast<std::uint8_t>(c.Rgb >> 8), static_cast<std::uint8_t>(c.Rgb)));
}

TColor TColorComboBox::ColorAt(int Row) const { return itemData(Row, ColorRole).value<TColor>(); }

int TColorComboBox::SelectedColor() const {
    const int row = currentIndex();
    return row < 0 ? -1 : static_cast<int>(ColorAt(row));
}

void TColorComboBox::SetSelectedColor(TColor Color) {
    for (int i = 0; i < count(); ++i)
        if (ColorAt(i) == Color) {
            setCurrentIndex(i);
            return;
        }
}

void TColorComboBox::SetSortBy(TColorSort Value) {
    FSortBy = Value;
    if (Value == ccsUnsorted || count() < 2) return;
    const int selected = SelectedColor();
    // A bubble pass from the end towards each position: items move only past
    // greater ones, so equal ones keep their order.
    struct TItem {
        QString Name;
        TColor Color;
    };
    std::vector<TItem> items;
    for (int i = 0; i < count(); ++i) items.push_back({itemText(i), ColorAt(i)});
    for (std::size_t i = 0; i + 1 < items.size(); ++i)
        for (std::size_t j = items.size() - 1; j > i; --j)
            if (Before(items[j].Name, items[j].Color, items[j - 1].Name, items[j - 1].Color))
                std::swap(items[j], items[j - 1]);
    const QSignalBlocker quiet(this);
    clear();
    FSortBy = ccsUnsorted;  // appended in the order just made
    for (const TItem& item : items) AddColor(item.Name, item.Color);
    FSortBy = Value;
    if (selected >= 0) SetSelectedColor(static_cast<TColor>(selected));
}
