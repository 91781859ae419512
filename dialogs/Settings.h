#pragma once
// One form, several uses chosen by DialogType before it is shown:
// 0 Program Options, 1 Frame Size Difference, 2 About, 3 Organize Favorites,
// 4 Palette Options. Program Options holds the frame-size question, the
// palette page and the favourites on its tabs (SettingsOptions.cpp,
// SettingsFavorites.cpp).

#include "services/WebLinks.h"
#include "dialogs/SettingsChoices.h"

#include <QDialog>

class IUserPrompts;
class QCheckBox;
class QComboBox;
class QListWidget;
class QMenu;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class TColorComboBox;
class TNumericEdit;
class TUpDown;
class QFrame;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QWidget;
class QPainter;

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
    // Program Options: the values shown, and after OK the ones chosen (values
    // left unchosen, such as a thumbnail size none of the entries matches,
    // come back as they were shown).
    void SetOptions(const TProgramOptions& Options);
    TProgramOptions Options() const;
    // Favourites: the folders shown; Start is where Add browses from when
    // nothing is selected.
    void SetFavorites(const QStringList& Folders, const QString& Start);
    QStringList Favorites() const;

    // Program Options.
    QTabWidget* tabOptions = nullptr;
    QWidget* pnlMisc = nullptr;
    QWidget* pnlGeneral = nullptr;
    QWidget* pnlThumbnails = nullptr;
    TColorComboBox* cbBrushColor = nullptr;
    TColorComboBox* cbWindowColor = nullptr;
    TColorComboBox* cbHighlightColor = nullptr;
    TColorComboBox* cbSelTextColor = nullptr;
    TColorComboBox* cbAniBGColor = nullptr;
    QListWidget* lbSample = nullptr;
    QPushButton* btnReset = nullptr;
    QCheckBox* chkBackUps = nullptr;
    QCheckBox* chkFlatTB = nullptr;
    QCheckBox* chkAnimation = nullptr;
    TNumericEdit* txtDelay = nullptr;
    TUpDown* udDelay = nullptr;
    TNumericEdit* txtLoop = nullptr;
    TUpDown* udLoop = nullptr;
    QCheckBox* chkAutoLoad = nullptr;
    QComboBox* cbThumbSize = nullptr;
    // Favourites.
    QWidget* pnlFavorites = nullptr;
    QTreeWidget* lvFavorites = nullptr;
    QToolButton* btnUp = nullptr;
    QToolButton* btnDown = nullptr;
    QToolButton* btnAdd = nullptr;
    QToolButton* btnRemove = nullptr;
    QMenu* popFavorites = nullptr;
    // The sample tiles' colours, as the frames list would draw them.
    QColor SampleFrameColor() const;

    QWidget* pnlAbout = nullptr;
    QWidget* pnlFrameDiff = nullptr;
    QRadioButton* optClip = nullptr;
    QRadioButton* optFit = nullptr;
    QRadioButton* optChange = nullptr;
    QCheckBox* chkDefault = nullptr;
    QWidget* pnlPalettes = nullptr;
    QRadioButton* optNearest = nullptr;
    QRadioButton* optFloyd = nullptr;
    QRadioButton* optPalOptimzed = nullptr;
    QRadioButton* optPalNetcape = nullptr;
    QRadioButton* optPalLocal = nullptr;
    QRadioButton* optPalFitted = nullptr;
    QComboBox* cbMaxColors = nullptr;
    QComboBox* cbMaxDither = nullptr;
    QCheckBox* chkDefaultPal = nullptr;
    QFrame* bevBot = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnPellmark = nullptr;
    QPushButton* btnEmail = nullptr;
    QPushButton* btnOK = nullptr;

private:
    bool FFitKeepsClip = true;  // the trim-or-grow answer a fit leaves stored
    void BuildAboutPanel(const QImage& Logo);
    void BuildFrameSizePanel();
    void BuildPalettePanel();
    void BuildOptionsPages();
    QWidget* BuildProgramPage();
    QWidget* BuildAnimationPage();
    QWidget* BuildThumbnailsPage();
    void BuildFavoritesPanel();
    void NumberLeft(TNumericEdit* Field, TUpDown* UpDown);
    void ColorChosen();
    void btnResetClick();
    void DrawSample(QPainter& Painter, const QRect& Rect, int Row, bool Selected) const;
    void FavoriteAdd();
    void FavoriteRemove();
    void FavoriteMove(int Delta);
    void UpdateFavoriteButtons();
    void AddOkCancel(QWidget* Panel);
    void btnPellmarkClick();
    void btnEmailClick();

    int FDialogType;
    TProgramOptions FShown;
    QString FBrowseStart;
    QImage FSamplePicture;
    IUserPrompts& FPrompts;
    TUrlOpener FOpener;
};
