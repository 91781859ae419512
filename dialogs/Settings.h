#pragma once
// One form, several uses chosen by DialogType before it is shown:
// 0 Program Options, 1 Frame Size Difference, 2 About, 3 Organize Favorites,
// 4 Palette Options. The about box, the frame-size question and the palette
// page are built here; the other pages come with the program options.

#include "platform/services/WebLinks.h"
#include "dialogs/SettingsChoices.h"

#include <QDialog>

class IUserPrompts;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QWidget;

class TfrmSettings : public QDialog {
    Q_OBJECT
public:
    enum : int { dtOptions = 0, dtFrameSize = 1, dtAbout = 2, dtFavorites = 3, dtPalette = 4 };

    TfrmSettings(int DialogType, IUserPrompts& Prompts, TUrlOpener Opener,
                 const QImage& Logo = QImage(), QWidget* Parent = nullptr);

    int DialogType() const { return FDialogType; }
    bool FavoritesChanged = false;

    // Frame Size Difference: the choice shown and, after OK, the one made.
    void SetFrameSizeChoice(const TFrameSizeChoice& Choice);
    TFrameSizeChoice FrameSizeChoice() const;
    // Palette Options: likewise.
    void SetPaletteChoice(const TPaletteChoice& Choice);
    TPaletteChoice PaletteChoice() const;

    QWidget* pnlAbout = nullptr;
    QWidget* pnlFrameDiff = nullptr;
    QRadioButton* optClip = nullptr;
    QRadioButton* optChange = nullptr;
    QCheckBox* chkDefault = nullptr;
    QWidget* pnlPalettes = nullptr;
    QRadioButton* optNearest = nullptr;
    QRadioButton* optFloyd = nullptr;
    QRadioButton* optPalOptimzed = nullptr;
    QRadioButton* optPalNetcape = nullptr;
    QRadioButton* optPalLocal = nullptr;
    QComboBox* cbMaxColors = nullptr;
    QComboBox* cbMaxDither = nullptr;
    QCheckBox* chkDefaultPal = nullptr;
    QFrame* bevBot = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnPellmark = nullptr;
    QPushButton* btnEmail = nullptr;
    QPushButton* btnOK = nullptr;

private:
    void BuildAboutPanel(const QImage& Logo);
    void BuildFrameSizePanel();
    void BuildPalettePanel();
    void AddOkCancel(QWidget* Panel);
    void btnPellmarkClick();
    void btnEmailClick();

    int FDialogType;
    IUserPrompts& FPrompts;
    TUrlOpener FOpener;
};
