#pragma once
// Answers the program's questions from a script and records every text shown,
// so tests run without a person and can check each message.

#include "services/UserPrompts.h"

#include <QList>
#include <QStringList>

struct TScriptedPrompts : IUserPrompts {
    struct TShown {
        TMsgType Type;
        TMsgButtons Buttons;
        QString Text;
    };
    QList<TShown> Shown;
    QList<TMsgResult> Answers; // taken in order; OK/Cancel when they run out
    QStringList FileNames;     // answers to file dialogs; empty = cancelled; several files joined by '\n'

    TMsgResult MessageBox(TMsgType Type, TMsgButtons Buttons, const QString&,
                          const QString& Text) override {
        Shown.append({Type, Buttons, Text});
        if (!Answers.isEmpty())
            return Answers.takeFirst();
        return Buttons == TMsgButtons::OK ? TMsgResult::OK : TMsgResult::Cancel;
    }
    QString OpenFileName(const QString&, const QString&, const QString&) override {
        return FileNames.isEmpty() ? QString() : FileNames.takeFirst();
    }
    QString SaveFileName(const QString&, const QString&, const QString&) override {
        return FileNames.isEmpty() ? QString() : FileNames.takeFirst();
    }
    QStringList FolderCaptions; // captions of the folder dialogs shown
    QString FolderName(const QString& Caption, const QString&) override {
        FolderCaptions << Caption;
        return FileNames.isEmpty() ? QString() : FileNames.takeFirst();
    }
    QStringList OpenFileNames(const QString&, const QString&, const QString&) override {
        if (FileNames.isEmpty())
            return {};
        const QString first = FileNames.takeFirst();
        return first.isEmpty() ? QStringList() : first.split(QLatin1Char('\n'));
    }
    QStringList Texts() const {
        QStringList t;
        for (const auto& s : Shown)
            t << s.Text;
        return t;
    }
};
