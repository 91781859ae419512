#include "dialogs/Palette.h"

#include "services/UserPrompts.h"
#include "controls/NumericEdit.h"
#include "controls/UpDown.h"
#include "dialogs/DialogButtons.h"
#include "gif/GIFImage.h"
#include "services/QtRasterBridge.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <qdrawutil.h>

namespace {
constexpr int CellSize = 15;
constexpr int GridSize = 242;

TColor FromRgb(int r, int g, int b) {
    return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
}

// Our own eyedropper: a pipette drawn at an angle, the hot spot at its tip.
QCursor MakeEyedropper() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(2, 29), QPointF(16, 15));
    p.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(2, 29), QPointF(16, 15));
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(20, 11), 5, 5);
    p.end();
    return QCursor(pixmap, 1, 30);
}
} // namespace

TfrmPalette::TfrmPalette(int Tag, IUserPrompts& Prompts, QWidget* Parent)
    : QDialog(Parent), FTag(Tag), FPrompts(Prompts), FHolder(std::make_unique<TGIFImage>()) {
    setObjectName(QStringLiteral("frmPalette"));
    setWindowTitle(QStringLiteral("Palette"));
    FEyedropper = new QCursor(MakeEyedropper());

    pbPalette = new QWidget(this);
    pbPalette->setObjectName(QStringLiteral("pbPalette"));
    pbPalette->setFixedSize(GridSize, GridSize);
    pbPalette->setMouseTracking(true);
    pbPalette->installEventFilter(this);
    shpPicker = new QFrame(pbPalette);
    shpPicker->setObjectName(QStringLiteral("shpPicker"));
    shpPicker->setFixedSize(CellSize, CellSize);
    shpPicker->setStyleSheet(QStringLiteral("QFrame#shpPicker { border: 2px solid black; background: transparent; }"));
    shpPicker->setAttribute(Qt::WA_TransparentForMouseEvents);

    lblCaption = new QLabel(QStringLiteral("Select a color to edit the color palette."), this);
    lblCaption->setObjectName(QStringLiteral("lblCaption"));
    lblCaption->setWordWrap(true);
    shpPreview = new QFrame(this);
    shpPreview->setObjectName(QStringLiteral("shpPreview"));
    shpPreview->setFixedSize(40, 40);
    shpPreview->setFrameStyle(QFrame::Box | QFrame::Plain);
    shpPreview->setAutoFillBackground(true);
    lblIndex = new QLabel(this);
    lblIndex->setObjectName(QStringLiteral("lblIndex"));

    auto* values = new QGridLayout;
    const struct { const char* caption; const char* edit; const char* ud; } rows[] = {
        {"&Red", "txtRed", "udRed"}, {"&Green", "txtGreen", "udGreen"}, {"&Blue", "txtBlue", "udBlue"}};
    TNumericEdit** edits[] = {&txtRed, &txtGreen, &txtBlue};
    TUpDown** uds[] = {&udRed, &udGreen, &udBlue};
    for (int i = 0; i < 3; ++i) {
        auto* edit = new TNumericEdit(this);
        edit->setObjectName(QLatin1String(rows[i].edit));
        edit->setMaxLength(3);
        edit->setFixedWidth(40);
        auto* ud = new TUpDown(this);
        ud->setObjectName(QLatin1String(rows[i].ud));
        ud->Min = 0;
        ud->Max = 255;
        auto* label = new QLabel(QLatin1String(rows[i].caption), this);
        label->setBuddy(edit);
        values->addWidget(label, i, 0);
        values->addWidget(edit, i, 1);
        values->addWidget(ud, i, 2);
        *edits[i] = edit;
        *uds[i] = ud;
        connect(edit, &TNumericEdit::Left, this, [this, edit, ud] { FieldLeft(edit, ud); });
        connect(ud, &TUpDown::Clicked, this, [this, edit](int position) {
            edit->setText(QString::number(position));
            ApplyColor();
        });
    }
    auto* indexRow = new QHBoxLayout;
    indexRow->addWidget(new QLabel(QStringLiteral("Selected Index:"), this));
    indexRow->addWidget(lblIndex, 1);

    sbPreview = new QScrollArea(this);
    sbPreview->setObjectName(QStringLiteral("sbPreview"));
    sbPreview->setWidgetResizable(false);
    pbImage = new QWidget;
    pbImage->setObjectName(QStringLiteral("pbImage"));
    pbImage->setCursor(*FEyedropper);
    pbImage->installEventFilter(this);
    sbPreview->setWidget(pbImage);
    sbPreview->setAlignment(Qt::AlignCenter);

    const TOkCancel buttons = MakeOkCancel(this, this);
    btnOK = buttons.OK;
    btnCancel = buttons.Cancel;

    auto* left = new QVBoxLayout;
    left->addWidget(lblCaption);
    left->addWidget(pbPalette);
    auto* swatchRow = new QHBoxLayout;
    swatchRow->addWidget(shpPreview);
    swatchRow->addLayout(values);
    left->addLayout(swatchRow);
    left->addLayout(indexRow);
    left->addLayout(buttons.Row);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addWidget(sbPreview, 1);

    const bool editing = FTag == pmEdit;
    for (TNumericEdit* e : {txtRed, txtGreen, txtBlue})
        e->setReadOnly(!editing);
    for (TUpDown* u : {udRed, udGreen, udBlue})
        u->setEnabled(editing);
    sbPreview->setVisible(FTag == pmPickWithPicture);
    if (FTag == pmPickWithPicture) {
        lblCaption->setText(QStringLiteral("Select a transparent color from the color palette or click on the image."));
        resize(546, 448);
    } else {
        if (FTag == pmPick)
            lblCaption->setText(QStringLiteral("Select a transparent color from the color palette"));
        resize(266, 448);
    }
}

TfrmPalette::~TfrmPalette() {
    delete FEyedropper;
}

void TfrmPalette::SetColorMap(const TGIFColorMap& Map) {
    FHolder->GlobalColors().Assign(&Map);
    SetSelectedIndex(FSelected);
    pbPalette->update();
}

const TGIFColorMap& TfrmPalette::ColorMap() const {
    return FHolder->GlobalColors();
}

int TfrmPalette::ColorCount() const {
    return FHolder->GlobalColors().Count();
}

void TfrmPalette::SetSelectedIndex(int Index) {
    FSelected = std::clamp(Index, 0, 255);
    shpPicker->move(CellRect(FSelected).topLeft());
    ShowEntry(FSelected);
}

void TfrmPalette::SetPicture(const QImage& Picture) {
    FPicture = Picture.convertToFormat(QImage::Format_RGB32);
    pbImage->resize(FPicture.size());
    pbImage->update();
}

void TfrmPalette::SetTransparentColor(TColor Color) {
    FPicked = Color;
    FColorPicked = true;
    pbImage->update();
}

int TfrmPalette::HitTest(int X, int Y, int Count) {
    if (X < 3 || X > 243 || Y < 3 || Y > 243)
        return -1;
    const int index = (X - 3) / CellSize + ((Y - 3) / CellSize) * 16;
    return index < Count ? index : -1;
}

QRect TfrmPalette::CellRect(int Index) {
    return QRect((Index % 16) * CellSize + 1, (Index / 16) * CellSize + 1, CellSize, CellSize);
}

bool TfrmPalette::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == pbPalette) {
        switch (Event->type()) {
        case QEvent::Paint:
            PaintGrid(static_cast<QPaintEvent*>(Event));
            return true;
        case QEvent::MouseMove: {
            const QPoint at = static_cast<QMouseEvent*>(Event)->position().toPoint();
            if (HitTest(at.x(), at.y(), ColorCount()) >= 0)
                pbPalette->setCursor(*FEyedropper);
            else
                pbPalette->unsetCursor();
            return false;
        }
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(Event);
            if (mouse->button() == Qt::LeftButton) {
                const int index = HitTest(mouse->position().toPoint().x(), mouse->position().toPoint().y(), ColorCount());
                if (index >= 0)
                    SelectCell(index);
            }
            return true;
        }
        default:
            break;
        }
    } else if (Watched == pbImage) {
        if (Event->type() == QEvent::Paint) {
            PaintPicture();
            return true;
        }
        if (Event->type() == QEvent::MouseButtonPress && FTag == pmPickWithPicture) {
            auto* mouse = static_cast<QMouseEvent*>(Event);
            if (mouse->button() == Qt::LeftButton)
                PickFromPicture(mouse->position().toPoint());
            return true;
        }
    }
    return QDialog::eventFilter(Watched, Event);
}

void TfrmPalette::PaintGrid(QPaintEvent* Event) {
    QPainter p(pbPalette);
    const QPalette& pal = pbPalette->palette();
    const int count = ColorCount();
    for (int i = 0; i < 256; ++i) {
        const QRect cell = CellRect(i);
        if (!cell.intersects(Event->rect()))
            continue;
        if (i < count) {
            p.fillRect(cell, ColorOf(FHolder->GlobalColors().GetColor(i)));
            qDrawShadePanel(&p, cell, pal, true, 1);
        } else {
            p.fillRect(cell, pal.color(QPalette::Window));
        }
    }
    qDrawShadePanel(&p, pbPalette->rect(), pal, true, 1);
}

void TfrmPalette::PaintPicture() {
    QPainter p(pbImage);
    if (FPicture.isNull())
        return;
    if (!FColorPicked) {
        p.drawImage(0, 0, FPicture);
    } else {
        // Where the picked colour lies shows the background instead.
        p.drawImage(0, 0, WithColorReplaced(FPicture, ColorOf(FPicked).rgb(), palette().color(QPalette::Window).rgb()));
    }
    p.setPen(QPen(Qt::black, 1, Qt::DotLine));
    p.drawRect(0, 0, pbImage->width() - 1, pbImage->height() - 1);
}

void TfrmPalette::ShowEntry(int Index) {
    const int count = ColorCount();
    if (Index >= count) {
        lblIndex->setText(QStringLiteral("%1 of %2").arg(Index + 1).arg(count));
        return;
    }
    const TColor c = FHolder->GlobalColors().GetColor(Index);
    QPalette swatch = shpPreview->palette();
    swatch.setColor(QPalette::Window, ColorOf(c));
    shpPreview->setPalette(swatch);
    const int parts[3] = {int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)};
    TNumericEdit* edits[3] = {txtRed, txtGreen, txtBlue};
    TUpDown* uds[3] = {udRed, udGreen, udBlue};
    for (int i = 0; i < 3; ++i) {
        edits[i]->setText(QString::number(parts[i]));
        // A field keeping the focus while another cell is chosen goes back to
        // this cell's value, not the one it had when entered.
        edits[i]->Remembered = edits[i]->text();
        uds[i]->SetPosition(parts[i]);
    }
    lblIndex->setText(QStringLiteral("%1 of %2").arg(Index + 1).arg(count));
}

void TfrmPalette::SelectCell(int Index) {
    FSelected = Index;
    shpPicker->move(CellRect(Index).topLeft());
    ShowEntry(Index);
    FSelectionChanged = true;
    if (FTag == pmPickWithPicture) {
        FPicked = FHolder->GlobalColors().GetColor(Index);
        FColorPicked = true;
        pbImage->update();
    }
}

void TfrmPalette::PickFromPicture(const QPoint& At) {
    if (FPicture.isNull() || !FPicture.rect().contains(At))
        return;
    const QRgb rgb = FPicture.pixel(At);
    FPicked = FromRgb(qRed(rgb), qGreen(rgb), qBlue(rgb));
    FColorPicked = true;
    const int index = FHolder->GlobalColors().FindColor(FPicked);
    if (index >= 0) {
        FSelected = index;
        shpPicker->move(CellRect(index).topLeft());
        ShowEntry(index);
        FSelectionChanged = true;
    }
    pbImage->update();
}

void TfrmPalette::FieldLeft(TNumericEdit* Field, TUpDown* UpDown) {
    if (Field->isReadOnly())
        return;
    int value = 0;
    QString error;
    if (!TNumericEdit::ParseValue(Field->text(), value))
        error = QStringLiteral("'%1' is not a valid integer value.").arg(Field->text());
    else if (value > 255)
        error = QStringLiteral("'%1' is not within the 0-255 range.").arg(Field->text());
    if (!error.isEmpty()) {
        FPrompts.MessageBox(TMsgType::Error, TMsgButtons::OK, QString(), error);
        Field->setText(Field->Remembered);
        Field->setFocus();
        return;
    }
    UpDown->SetPosition(value);
    ApplyColor();
}

void TfrmPalette::ApplyColor() {
    if (FTag != pmEdit || FSelected >= ColorCount())
        return;
    const TColor color = FromRgb(udRed->Position(), udGreen->Position(), udBlue->Position());
    if (FHolder->GlobalColors().GetColor(FSelected) != color)
        FHolder->GlobalColors().SetColor(FSelected, color);
    pbPalette->update(CellRect(FSelected));
    QPalette swatch = shpPreview->palette();
    swatch.setColor(QPalette::Window, ColorOf(color));
    shpPreview->setPalette(swatch);
}

void TfrmPalette::done(int Result) {
    if (Result == QDialog::Accepted)
        ApplyColor();
    QDialog::done(Result);
}
