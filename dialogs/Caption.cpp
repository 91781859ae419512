#include "dialogs/Caption.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "controls/PictureViews.h"
#include "dialogs/DialogButtons.h"

namespace {

QImage ToQImage(const TRGBAPicture& Picture) {
    if (Picture.Empty())
        return {};
    QImage image(Picture.Width, Picture.Height, QImage::Format_RGBA8888);
    for (int y = 0; y < Picture.Height; ++y)
        std::copy_n(Picture.Pixel(0, y), std::size_t(Picture.Width) * 4, image.scanLine(y));
    return image;
}

constexpr const char* kPlaces[] = {"Top left", "Top", "Top right", "Left", "Centre", "Right",
                                   "Bottom left", "Bottom", "Bottom right"};

} // namespace

TfrmCaption::TfrmCaption(const QImage& Picture, int Selected, const TCaptionRequest& Last, QWidget* Parent)
    : QDialog(Parent), FColor(Last.Style.Color), FOutline(Last.Style.OutlineColor), FAt(Last.At) {
    setObjectName(QStringLiteral("frmCaption"));
    setWindowTitle(QStringLiteral("Add Text"));
    PickColor = [this](const QColor& Current, const QString& Title) -> std::optional<QColor> {
        const QColor chosen = QColorDialog::getColor(Current, this, Title);
        return chosen.isValid() ? std::optional<QColor>(chosen) : std::nullopt;
    };
    auto* root = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    txtText = new QLineEdit(QString::fromStdString(Last.Style.Text), this);
    txtText->setObjectName(QStringLiteral("txtText"));
    txtText->setPlaceholderText(QStringLiteral("The caption; \\n starts a new line"));
    grid->addWidget(BuddyLabel(QStringLiteral("&Text:"), txtText, this), 0, 0);
    grid->addWidget(txtText, 0, 1, 1, 3);
    cmbFont = new QFontComboBox(this);
    cmbFont->setObjectName(QStringLiteral("cmbFont"));
    cmbFont->setCurrentFont(QFont(QString::fromStdString(Last.Style.Font)));
    spnSize = new QSpinBox(this);
    spnSize->setObjectName(QStringLiteral("spnSize"));
    spnSize->setRange(4, 1000);
    spnSize->setSuffix(QStringLiteral(" px"));
    spnSize->setValue(Last.Style.PixelSize);
    grid->addWidget(BuddyLabel(QStringLiteral("&Font:"), cmbFont, this), 1, 0);
    grid->addWidget(cmbFont, 1, 1);
    grid->addWidget(BuddyLabel(QStringLiteral("Si&ze:"), spnSize, this), 1, 2);
    grid->addWidget(spnSize, 1, 3);
    btnColor = new QPushButton(QStringLiteral("&Colour..."), this);
    btnColor->setObjectName(QStringLiteral("btnColor"));
    btnOutline = new QPushButton(QStringLiteral("O&utline..."), this);
    btnOutline->setObjectName(QStringLiteral("btnOutline"));
    spnOutline = new QSpinBox(this);
    spnOutline->setObjectName(QStringLiteral("spnOutline"));
    spnOutline->setRange(0, 50);
    spnOutline->setSuffix(QStringLiteral(" px"));
    spnOutline->setValue(Last.Style.OutlineWidth);
    grid->addWidget(btnColor, 2, 1);
    grid->addWidget(btnOutline, 2, 2);
    grid->addWidget(spnOutline, 2, 3);
    cmbPlace = new QComboBox(this);
    cmbPlace->setObjectName(QStringLiteral("cmbPlace"));
    for (int i = 0; i < 9; ++i)
        cmbPlace->addItem(QString::fromLatin1(kPlaces[i]), i);
    cmbPlace->addItem(QStringLiteral("Where dragged"), -1);
    cmbPlace->setCurrentIndex(Last.Place ? int(*Last.Place) : 9);
    grid->addWidget(BuddyLabel(QStringLiteral("&Place:"), cmbPlace, this), 3, 0);
    grid->addWidget(cmbPlace, 3, 1);
    chkAllFrames = new QCheckBox(QStringLiteral("On &all frames"), this);
    chkAllFrames->setObjectName(QStringLiteral("chkAllFrames"));
    chkAllFrames->setChecked(Selected < 2 || Last.AllFrames);
    chkAllFrames->setEnabled(Selected >= 2);
    if (Selected >= 2)
        chkAllFrames->setText(QStringLiteral("On &all frames (else on the %1 selected)").arg(Selected));
    grid->addWidget(chkAllFrames, 3, 2, 1, 2);
    root->addLayout(grid);
    View = new TOverlayView(this);
    View->setObjectName(QStringLiteral("vwCaption"));
    View->SetPicture(Picture);
    root->addWidget(View, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("A&dd Text"));
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    root->addWidget(buttons);

    connect(txtText, &QLineEdit::textChanged, this, &TfrmCaption::Refresh);
    connect(cmbFont, &QFontComboBox::currentFontChanged, this, &TfrmCaption::Refresh);
    connect(spnSize, &QSpinBox::valueChanged, this, &TfrmCaption::Refresh);
    connect(spnOutline, &QSpinBox::valueChanged, this, &TfrmCaption::Refresh);
    connect(cmbPlace, &QComboBox::currentIndexChanged, this, &TfrmCaption::Refresh);
    connect(btnColor, &QPushButton::clicked, this, [this] { Pick(btnColor, FColor, QStringLiteral("Text Colour")); });
    connect(btnOutline, &QPushButton::clicked, this, [this] { Pick(btnOutline, FOutline, QStringLiteral("Outline Colour")); });
    connect(View, &TOverlayView::Moved, this, [this](const QPoint& At) {
        FAt = At;
        const QSignalBlocker quiet(cmbPlace);
        cmbPlace->setCurrentIndex(9);
    });
    ShowColor(btnColor, FColor);
    ShowColor(btnOutline, FOutline);
    Refresh();
    txtText->setFocus();
    txtText->selectAll();
}

TCaptionRequest TfrmCaption::Request() const {
    TCaptionRequest request;
    request.Style.Text = txtText->text().replace(QStringLiteral("\\n"), QStringLiteral("\n")).toStdString();
    request.Style.Font = cmbFont->currentFont().family().toStdString();
    request.Style.PixelSize = spnSize->value();
    request.Style.Color = FColor;
    request.Style.OutlineColor = FOutline;
    request.Style.OutlineWidth = spnOutline->value();
    const int place = cmbPlace->currentData().toInt();
    request.Place = place >= 0 ? std::optional<TCaptionPlace>(TCaptionPlace(place)) : std::nullopt;
    request.At = FAt;
    request.AllFrames = chkAllFrames->isChecked();
    return request;
}

void TfrmCaption::Refresh() {
    const TCaptionRequest request = Request();
    FCaption = ToQImage(RenderCaption(request.Style));
    const QSize screen = View->Picture().size();
    if (request.Place) {
        const TPoint at = CaptionOrigin(screen.width(), screen.height(), FCaption.width(), FCaption.height(),
                                        *request.Place, CaptionMargin(screen.height()));
        FAt = QPoint(at.x, at.y);
    }
    View->SetOverlay(FCaption, FAt);
}

void TfrmCaption::Pick(QPushButton* Button, std::uint32_t& Color, const QString& Title) {
    const QColor current(int(Color >> 16) & 0xFF, int(Color >> 8) & 0xFF, int(Color) & 0xFF);
    if (const std::optional<QColor> chosen = PickColor(current, Title)) {
        Color = (std::uint32_t(chosen->red()) << 16) | (std::uint32_t(chosen->green()) << 8) | std::uint32_t(chosen->blue());
        ShowColor(Button, Color);
        Refresh();
    }
}

void TfrmCaption::ShowColor(QPushButton* Button, std::uint32_t Color) {
    QPixmap swatch(16, 16);
    swatch.fill(QColor(int(Color >> 16) & 0xFF, int(Color >> 8) & 0xFF, int(Color) & 0xFF));
    Button->setIcon(QIcon(swatch));
}
