#pragma once
// A main window over a settings store read from the test's file, with scripted
// prompts. The tip of the day, the folder scan and the optimisation offered
// before saving are off so nothing modal appears unasked; the start-up
// animation is on only when a test asks for it.

#include "app/MainForm.h"
#include "app/AnimationCommands.h"
#include "app/DocumentCommands.h"
#include "app/FrameCommands.h"
#include "session/EditSession.h"
#include "app/ScriptedPrompts.h"
#include "services/SettingsStore.h"

#include "gif/GIFImage.h"
#include "gif/Stream.h"

#include <QAction>
#include <QByteArray>
#include <QMenu>
#include <QUndoStack>
#include <QString>
#include <memory>

// What the document would save, for comparing states of it ("empty" without
// frames). Saved from a copy: the document itself is the session's.
inline QByteArray Snapshot(const TGIFImage& doc) {
    if (doc.Frames().Count() == 0)
        return QByteArray("empty");
    TGIFImage copy;
    copy.Assign(&doc);
    TMemoryStream s;
    copy.SaveToStream(s);
    return QByteArray(reinterpret_cast<const char*>(s.Data()), static_cast<qsizetype>(s.Size()));
}

Q_DECLARE_METATYPE(TCommandId)

struct TMainFormRig {
    TSettingsStore Store;
    TScriptedPrompts Prompts;
    std::unique_ptr<TfrmMain> Form;

    TMainFormRig(const QString& path, const QString& folder, bool displayAnimation) : Store(path) {
        Store.WriteBool(QStringLiteral("Settings\\"), QStringLiteral("TipDay"), false);
        Store.WriteBool(QStringLiteral("Settings\\"), QStringLiteral("AutoLoadStartUp"), false);
        Store.WriteBool(QStringLiteral("Settings\\"), QStringLiteral("DisplayAnimation"), displayAnimation);
        // Saving would otherwise open Optimize Animation first; tests that
        // want it turn it back on.
        Store.WriteBool(QStringLiteral("Settings\\"), QStringLiteral("OptimizePrompt"), false);
        Form = std::make_unique<TfrmMain>(Store, Prompts, folder);
        CheckDocument();
    }
    QAction* Cmd(TCommandId id) const { return Form->Command(id); }
    // Every session in the tests checks that nothing but an operation
    // changes the document.
    void CheckDocument() const { Form->Session().SetChecking(true); }
    // Lets the menu update its items as it would before dropping down.
    void DropDown(const char* menu) const {
        auto* m = Form->findChild<QMenu*>(QLatin1String(menu));
        if (!m)
            qFatal("no menu %s", menu);
        emit m->aboutToShow();
    }
};
