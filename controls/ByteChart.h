#pragma once
// Bytes per frame as bars, one per frame in order, scaled to the largest;
// a second series (after optimising, say) is drawn as a narrower bar in
// front. The frame under the mouse is named in the tool tip; a click
// chooses a frame.

#include <QWidget>
#include <cstdint>
#include <vector>

class TByteChart : public QWidget {
    Q_OBJECT
public:
    explicit TByteChart(QWidget* Parent = nullptr);

    void SetBytes(std::vector<std::uint64_t> Bytes);
    void SetAfter(std::vector<std::uint64_t> After);  // empty: none
    const std::vector<std::uint64_t>& Bytes() const { return FBytes; }
    // The frame drawn at x, or -1.
    int FrameAt(int X) const;

    QSize sizeHint() const override { return {360, 90}; }

signals:
    void FrameClicked(int Frame);

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    bool event(QEvent* Event) override;

private:
    std::vector<std::uint64_t> FBytes, FAfter;
};
