#include "app/Routines.h"

#include "raster/GIFException.h"

#include <QGuiApplication>
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

QString DialogFilter(const QString& Filter) {
    const QStringList parts = Filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        // "Jpeg Images (*.jpg, *.jpeg)": the dialog shows its own pattern list.
        const qsizetype paren = description.lastIndexOf(QLatin1String(" ("));
        if (paren > 0 && description.endsWith(QLatin1Char(')')))
            description.truncate(paren);
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns)
            if (p == QLatin1String("*.*"))
                p = QStringLiteral("*");
        entries << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
    }
    return entries.join(QStringLiteral(";;"));
}

QString FilePart(const QString& Path) {
    const qsizetype slash = std::max(Path.lastIndexOf(QLatin1Char('/')), Path.lastIndexOf(QLatin1Char('\\')));
    return slash < 0 ? Path : Path.mid(slash + 1);
}

TWaitCursor::TWaitCursor() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

TWaitCursor::~TWaitCursor() {
    QGuiApplication::restoreOverrideCursor();
}

QString ExceptionText(const std::exception& Error) {
    QString text = QString::fromUtf8(Error.what());
    if (const auto* gif = dynamic_cast<const GIFException*>(&Error); gif && !gif->Detail().empty())
        text += QLatin1Char('\n') + QString::fromUtf8(gif->Detail().c_str());
    return text;
}

QString WarningsText(const QString& FileName, const std::vector<std::string>& Warnings) {
    QStringList distinct;
    for (const std::string& w : Warnings) {
        const QString text = QString::fromUtf8(w.c_str());
        if (!distinct.contains(text))
            distinct << text;
    }
    if (distinct.isEmpty())
        return QString();
    return QStringLiteral("%1 is damaged or bends the GIF format; it was opened as far as it could be read.\n\n"
                          "What was repaired or skipped:\n%2")
        .arg(FilePart(FileName), QStringLiteral("- ") + distinct.join(QStringLiteral("\n- ")));
}
