// Program Options: filled from the store and the window, stored and applied on OK.
#include "app/MainForm.h"

#include "session/EditSession.h"
#include "app/Routines.h"
#include "app/ThumbnailPane.h"
#include "controls/RXListBox.h"
#include "dialogs/Settings.h"
#include "services/SettingsStore.h"

#include <memory>

TProgramOptions TfrmMain::CurrentOptions() const {
    TProgramOptions o;
    o.FrameColor = lbFrames->FrameColor;
    o.WindowColor = lbFrames->WindowColor();
    o.HighlightColor = lbFrames->HighlightColor;
    o.SelTextColor = lbFrames->SelTextColor;
    o.AnimationColor = FAnimationColor;
    o.NormalStyle = !FToolBarsFlat;
    o.ThumbSize = FThumbnails->TileSize();
    o.DefaultDelay = FSettings.Read(Setting::DefaultDelay);
    o.DefaultLoop = FSettings.Read(Setting::DefaultLoop);
    return o;
}

void TfrmMain::ShowProgramOptions() {
    PausePlayback();
    std::unique_ptr<TfrmSettings> dialog;
    const TProgramOptions current = CurrentOptions();
    {
        TWaitCursor wait;
        dialog = std::make_unique<TfrmSettings>(TfrmSettings::dtOptions, FPrompts, FUrlOpener, QImage(), this);
        TProgramOptions shown = TProgramOptions::Read(FSettings, current);
        // The size combo shows the window's own thumbnail size.
        shown.ThumbSize = 0;
        for (int size : ThumbnailSizes)
            if (size == FThumbnails->TileSize())
                shown.ThumbSize = size;
        dialog->SetOptions(shown);
        dialog->SetFavorites(FThumbnails->Favorites(), FThumbnails->TreeFolder());
    }
    if (RunDialog(*dialog) != QDialog::Accepted)
        return;
    const TProgramOptions chosen = dialog->Options();
    bool thumbSizeChanged = false;
    {
        TWaitCursor wait;
        chosen.Write(FSettings, current);
        ApplyOptions(chosen);
        thumbSizeChanged = chosen.ThumbSize != 0 && chosen.ThumbSize != current.ThumbSize;
        if (dialog->FavoritesChanged) {
            FThumbnails->SetFavorites(dialog->Favorites());
            SaveFavorites(FSettings, FThumbnails->Favorites());
        }
        FSettings.Save();
    }
    dialog.reset();
    if (thumbSizeChanged && !FThumbnails->ScannedFolder().isEmpty())
        FThumbnails->Refresh();
}

void TfrmMain::ApplyOptions(const TProgramOptions& Options) {
    FSettings.WriteIfChanged(Setting::DefaultDelay, Options.DefaultDelay);
    FSettings.WriteIfChanged(Setting::DefaultLoop, Options.DefaultLoop);
    lbFrames->FrameColor = Options.FrameColor;
    lbFrames->SetWindowColor(Options.WindowColor);
    lbFrames->HighlightColor = Options.HighlightColor;
    lbFrames->SelTextColor = Options.SelTextColor;
    FAnimationColor = Options.AnimationColor;
    ApplyColors();
    if (Options.NormalStyle == FToolBarsFlat)
        SetToolBarsFlat(!Options.NormalStyle);
    if (Options.ThumbSize != 0)
        FThumbnails->SetTileSize(Options.ThumbSize);
    FSession->UsePaletteSettings();
    lbFrames->viewport()->update();
    if (pb)
        pb->update();
}
