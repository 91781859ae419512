#include "dialogs/Crop.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "controls/PictureViews.h"
#include "dialogs/DialogButtons.h"

TfrmCrop::TfrmCrop(const QImage& Picture, QWidget* Parent) : QDialog(Parent) {
    setObjectName(QStringLiteral("frmCrop"));
    setWindowTitle(QStringLiteral("Crop"));
    auto* root = new QVBoxLayout(this);
    auto* hint = new QLabel(QStringLiteral("Drag on the picture to choose what to keep, or type it. "
                                           "Every frame is cut to the rectangle."), this);
    hint->setWordWrap(true);
    root->addWidget(hint);
    View = new TCropView(this);
    View->setObjectName(QStringLiteral("vwCrop"));
    View->SetPicture(Picture);
    root->addWidget(View, 1);

    auto* fields = new QGridLayout;
    auto spin = [this](const char* name, int maximum) {
        auto* box = new QSpinBox(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setRange(name[3] == 'W' || name[3] == 'H' ? 1 : 0, std::max(1, maximum));
        connect(box, &QSpinBox::valueChanged, this, &TfrmCrop::AreaTyped);
        return box;
    };
    spnLeft = spin("spnLeft", Picture.width() - 1);
    spnTop = spin("spnTop", Picture.height() - 1);
    spnWidth = spin("spnWidth", Picture.width());
    spnHeight = spin("spnHeight", Picture.height());
    fields->addWidget(BuddyLabel(QStringLiteral("&Left:"), spnLeft, this), 0, 0);
    fields->addWidget(spnLeft, 0, 1);
    fields->addWidget(BuddyLabel(QStringLiteral("&Top:"), spnTop, this), 0, 2);
    fields->addWidget(spnTop, 0, 3);
    fields->addWidget(BuddyLabel(QStringLiteral("&Width:"), spnWidth, this), 1, 0);
    fields->addWidget(spnWidth, 1, 1);
    fields->addWidget(BuddyLabel(QStringLiteral("&Height:"), spnHeight, this), 1, 2);
    fields->addWidget(spnHeight, 1, 3);
    root->addLayout(fields);
    lblReadout = new QLabel(this);
    lblReadout->setObjectName(QStringLiteral("lblReadout"));
    root->addWidget(lblReadout);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Crop"));
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    root->addWidget(buttons);

    connect(View, &TCropView::AreaChanged, this, &TfrmCrop::ShowArea);
    View->SetArea(Picture.rect());
    ShowArea(View->Area());
    spnLeft->setFocus();
}

QRect TfrmCrop::Area() const {
    return View->Area();
}

void TfrmCrop::ShowArea(const QRect& Area) {
    FShowing = true;
    spnLeft->setValue(Area.left());
    spnTop->setValue(Area.top());
    spnWidth->setValue(Area.width());
    spnHeight->setValue(Area.height());
    FShowing = false;
    const QSize whole = View->Picture().size();
    lblReadout->setText(QStringLiteral("Keeps %1 x %2 of %3 x %4 pixels, from %5, %6.")
                            .arg(Area.width()).arg(Area.height()).arg(whole.width()).arg(whole.height())
                            .arg(Area.left()).arg(Area.top()));
}

void TfrmCrop::AreaTyped() {
    if (FShowing)
        return;
    View->SetArea(QRect(spnLeft->value(), spnTop->value(), spnWidth->value(), spnHeight->value()));
    ShowArea(View->Area());
}
