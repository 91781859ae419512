// Preview playback: a painter plays a copy of the document in the preview and
// reports each frame to the status bar.
#include "app/MainForm.h"

#include "controls/RXListBox.h"
#include "gif/GIFImage.h"
#include "services/QtAnimationPlayer.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QStatusBar>

bool TfrmMain::Playing() const {
    return FPlaying;
}

void TfrmMain::Play() {
    if (Document()->Frames().Count() == 0)
        return;
    if (FStartupAnimation) {
        FStartupAnimation->Stop();
        FStartupAnimation.reset();
    }
    if (!FPlayer)
        FPlayer = std::make_unique<TQtAnimationPlayer>();
    FPlayer->LoadCopy(*Document());
    Animation->clear();
    Animation->setGeometry(0, 0, pnlAnimation->width(), pnlAnimation->height());
    pb->hide();
    Animation->show();
    Animation->raise();
    const bool started = FPlayer->Play(FAnimationColor, [this](const QImage& picture, int index, int count) {
        ShowPlaybackFrame(picture, index, count);
    });
    FPlaying = started;
    UpdateCommandStates();
}

void TfrmMain::ShowPlaybackFrame(const QImage& Picture, int Index, int Count) {
    Animation->setPixmap(QPixmap::fromImage(Picture));
    SetStatusText(1, Index < 0 ? QString() : QStringLiteral("Frame %1 of %2").arg(Index).arg(Count));
    statusBar()->repaint();
}

void TfrmMain::PausePlayback() {
    if (FPlayer)
        FPlayer->Stop();
    if (!FPlaying)
        return;
    FPlaying = false;
    UpdateCommandStates();
    const int count = Document()->Frames().Count();
    const int index = lbFrames->currentRow();
    if (index >= 0) {
        ShowFrame(index);
        SetStatusText(1, QStringLiteral("Frame #%1 of %2").arg(index).arg(count - 1));
    }
}

