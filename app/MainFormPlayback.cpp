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
    return !Command(TCommandId::btnPlay)->isEnabled() && Command(TCommandId::btnPause)->isEnabled();
}

void TfrmMain::mnuViewPlayClick() {
    const bool frames = Document()->Frames().Count() > 0;
    if (!frames) {
        for (TCommandId id : {TCommandId::btnPlay, TCommandId::mnuViewPlay, TCommandId::btnPause, TCommandId::mnuViewPause})
            Command(id)->setEnabled(false);
        return;
    }
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
    if (!started)
        return;
    Command(TCommandId::btnPlay)->setEnabled(false);
    Command(TCommandId::mnuViewPlay)->setEnabled(false);
    Command(TCommandId::btnPause)->setEnabled(true);
    Command(TCommandId::mnuViewPause)->setEnabled(true);
}

void TfrmMain::ShowPlaybackFrame(const QImage& Picture, int Index, int Count) {
    Animation->setPixmap(QPixmap::fromImage(Picture));
    SetStatusText(1, Index < 0 ? QString() : QStringLiteral("Frame %1 of %2").arg(Index).arg(Count));
    statusBar()->repaint();
}

void TfrmMain::btnPauseClick() {
    const int count = Document()->Frames().Count();
    if (FPlayer)
        FPlayer->Stop();
    if (count == 0) {
        for (TCommandId id : {TCommandId::btnPlay, TCommandId::mnuViewPlay, TCommandId::btnPause, TCommandId::mnuViewPause})
            Command(id)->setEnabled(false);
        return;
    }
    Command(TCommandId::btnPlay)->setEnabled(true);
    Command(TCommandId::mnuViewPlay)->setEnabled(true);
    Command(TCommandId::btnPause)->setEnabled(false);
    Command(TCommandId::mnuViewPause)->setEnabled(false);
    const int index = lbFrames->currentRow();
    if (index >= 0) {
        ShowFrame(index);
        SetStatusText(1, QStringLiteral("Frame #%1 of %2").arg(index).arg(count - 1));
    }
}

void TfrmMain::PausePlayback() {
    if (FPlayer && FPlayer->Playing())
        FPlayer->Stop();
    if (Playing())
        btnPauseClick();
}
