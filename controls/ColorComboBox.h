#pragma once
// A drop-down list of named colours, each item drawn as a swatch of its colour
// followed by its name; the lists can be kept in the order added, by colour
// value or by name.

#include <QComboBox>
#include <QString>

#include "gif/GIFTypes.h"  // TColor

class TColorComboBox : public QComboBox {
    Q_OBJECT
public:
    enum TColorSort { ccsUnsorted, ccsColor, ccsText };

    explicit TColorComboBox(QWidget* Parent = nullptr);

    // Width of the swatch in pixels (18 at first); values below 5 are ignored.
    int ColorWidth() const { return FColorWidth; }
    void SetColorWidth(int Value);
    // Changing to a sorted order sorts the items and keeps the selected colour.
    TColorSort SortBy() const { return FSortBy; }
    void SetSortBy(TColorSort Value);
    // Fixed; setting it does nothing.
    QString Version() const { return QStringLiteral("1.00.00"); }
    void SetVersion(const QString&) {}

    // Adds an item where the sort order puts it: at the end unsorted, before
    // the first greater colour value by colour, before the first name that
    // compares greater (ignoring case) by text, so equal ones keep their order.
    void AddColor(const QString& Name, TColor Color);
    // "Default" with the given colour, then the sixteen standard colours.
    void AddStandardColors(TColor DefaultColor);

    // The colour of the selected item, or -1 when none is selected.
    int SelectedColor() const;
    // Selects the first item of that colour; nothing changes when none has it.
    void SetSelectedColor(TColor Color);

    TColor ColorAt(int Row) const;

private:
    bool Before(const QString& NameA, TColor ColorA, const QString& NameB, TColor ColorB) const;

    int FColorWidth = 18;
    TColorSort FSortBy = ccsUnsorted;
};
