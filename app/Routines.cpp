#include "app/Routines.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QWidget>
#include <algorithm>

int CenteredOffset(int ClientExtent, int ControlExtent, int Margin) {
    if (ClientExtent < ControlExtent)
        return Margin;
    return (ClientExtent - ControlExtent) / 2; // both non-negative: rounds towards zero
}

void CenterInScrollBox(QScrollArea* Box, QWidget* Control) {
    QWidget* canvas = Box->widget();
    if (!canvas || !Control)
        return;
    Box->horizontalScrollBar()->setValue(0);
    Box->verticalScrollBar()->setValue(0);
    const QSize client = Box->viewport()->size();
    const int x = CenteredOffset(client.width(), Control->width(), ScrollBoxMarginX);
    const int y = CenteredOffset(client.height(), Control->height(), ScrollBoxMarginY);
    // The canvas grows to hold an oversized control plus its margins, which
    // gives the box its scroll range.
    canvas->resize(std::max(client.width(), Control->width() + 2 * ScrollBoxMarginX),
                   std::max(client.height(), Control->height() + 2 * ScrollBoxMarginY));
    Control->move(x, y);
}

QString ShortHint(const QString& Hint) {
    const qsizetype bar = Hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? Hint : Hint.left(bar);
}

QString LongHint(const QString& Hint) {
    const qsizetype bar = Hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? Hint : Hint.mid(bar + 1);
}
