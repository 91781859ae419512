#pragma once
// The frames list: one tall cell per frame (picture, index and size caption).
// For now it carries the cell metrics and colours the main window sets; the
// cell drawing and frame commands are built on top of it.

#include <QColor>
#include <QListWidget>

class TRXListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TRXListBox(QWidget* Parent = nullptr);

    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int Value);
    int ItemWidth() const { return FItemWidth; }
    void SetItemWidth(int Value);

    // Colours of the cells (the window colour is the list's background).
    QColor WindowColor() const;
    void SetWindowColor(const QColor& Value);
    QColor FrameColor;
    QColor HighlightColor;
    QColor SelTextColor;

private:
    int FItemHeight = 160 + 65;
    int FItemWidth = 160 + 26;
};
