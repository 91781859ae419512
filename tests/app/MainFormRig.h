#pragma once
// A main window over a settings store read from the test's file, with scripted
// prompts. The tip of the day, the folder scan and the optimisation offered
// before saving are off so nothing modal appears unasked; the start-up
// animation is on only when a test asks for it.

#include "app/MainForm.h"
#include "app/ScriptedPrompts.h"
#include "services/SettingsStore.h"

#include <QAction>
#include <QMenu>
#include <QString>
#include <memory>

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
    }
    QAction* Cmd(const char* name) const {
        QAction* a = Form->Command(QLatin1String(name));
        if (!a)
            qFatal("no command %s", name);
        return a;
    }
    // Lets the menu update its items as it would before dropping down.
    void DropDown(const char* menu) const {
        auto* m = Form->findChild<QMenu*>(QLatin1String(menu));
        if (!m)
            qFatal("no menu %s", menu);
        emit m->aboutToShow();
    }
};
