#include "app/CommandIcons.h"

#include <QPainter>
#include <QPixmap>
#include <QStyle>

// Tool-bar pictures: the style's icons where it has one, else a drawn glyph.
QIcon CommandIcon(TCommandId id, QStyle* style) {
    using C = TCommandId;
    static const struct { C id; QStyle::StandardPixmap pixmap; } standard[] = {
        {C::New, QStyle::SP_FileIcon},          {C::Open, QStyle::SP_DialogOpenButton},
        {C::Save, QStyle::SP_DialogSaveButton}, {C::HelpContents, QStyle::SP_DialogHelpButton},
        {C::Play, QStyle::SP_MediaPlay},        {C::Pause, QStyle::SP_MediaPause},
        {C::MoveUp, QStyle::SP_ArrowUp},        {C::MoveDown, QStyle::SP_ArrowDown},
        {C::MoveToStart, QStyle::SP_MediaSkipBackward},
        {C::MoveToEnd, QStyle::SP_MediaSkipForward},
        {C::DeleteFrame, QStyle::SP_TrashIcon}, {C::AnimationInformation, QStyle::SP_MessageBoxInformation},
        {C::FrameProperties, QStyle::SP_FileDialogDetailedView},
        {C::GlobalProperties, QStyle::SP_FileDialogListView},
    };
    for (const auto& s : standard)
        if (id == s.id)
            return style->standardIcon(s.pixmap);
    // Our own small pictograms for the rest.
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(30, 30, 90);
    p.setPen(QPen(ink, 1.2));
    if (id == C::Cut) {
        p.drawLine(QPointF(5, 1), QPointF(10.5, 10));
        p.drawLine(QPointF(11, 1), QPointF(5.5, 10));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(4.5, 12.5), 2.5, 2.5);
        p.drawEllipse(QPointF(11.5, 12.5), 2.5, 2.5);
    } else if (id == C::Copy) {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 1.5, 8, 10));
        p.drawRect(QRectF(6.5, 4.5, 8, 10));
    } else if (id == C::Paste) {
        p.setBrush(QColor(200, 160, 90));
        p.drawRect(QRectF(2.5, 2.5, 10, 12));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6.5, 6.5, 8, 8.5));
        p.setBrush(QColor(150, 150, 150));
        p.drawRect(QRectF(5, 1, 5, 3));
    } else if (id == C::AddFrame) {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 3.5, 10, 10));
        p.setPen(QPen(QColor(0, 140, 0), 2.2));
        p.drawLine(QPointF(12, 1), QPointF(12, 9));
        p.drawLine(QPointF(8, 5), QPointF(16, 5));
    } else if (id == C::AddComment) {
        p.setBrush(QColor(255, 255, 200));
        p.drawRoundedRect(QRectF(1.5, 2.5, 13, 9), 2, 2);
        p.drawLine(QPointF(4, 11.5), QPointF(3, 15));
        p.drawLine(QPointF(4, 5.5), QPointF(12, 5.5));
        p.drawLine(QPointF(4, 8.5), QPointF(10, 8.5));
    } else {
        p.drawRect(QRectF(2.5, 2.5, 11, 11));
    }
    p.end();
    return QIcon(pixmap);
}
