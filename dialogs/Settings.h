#pragma once
// One form, several uses chosen by DialogType before it is shown:
// 0 Program Options, 1 Frame Size Difference, 2 About, 3 Organize Favorites,
// 4 Palette Options. The about page is built here; the others come with the
// program options.

#include "app/WebLinks.h"

#include <QDialog>

class IUserPrompts;
class QPushButton;
class QWidget;

class TfrmSettings : public QDialog {
    Q_OBJECT
public:
    enum : int { dtOptions = 0, dtFrameSize = 1, dtAbout = 2, dtFavorites = 3, dtPalette = 4 };

    TfrmSettings(int DialogType, IUserPrompts& Prompts, TUrlOpener Opener,
                 const QImage& Logo = QImage(), QWidget* Parent = nullptr);

    int DialogType() const { return FDialogType; }
    bool FavoritesChanged = false;

    QWidget* pnlAbout = nullptr;
    QPushButton* btnPellmark = nullptr;
    QPushButton* btnEmail = nullptr;
    QPushButton* btnOK = nullptr;

private:
    void BuildAboutPanel(const QImage& Logo);
    void btnPellmarkClick();
    void btnEmailClick();

    int FDialogType;
    IUserPrompts& FPrompts;
    TUrlOpener FOpener;
};
