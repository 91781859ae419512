#pragma once
// Answers for a benchmark's main window: no question stops it, no dialog opens.

#include "services/UserPrompts.h"

struct TQuietPrompts : IUserPrompts {
    TMsgResult MessageBox(TMsgType, TMsgButtons b, const QString&, const QString&) override {
        return b == TMsgButtons::OK ? TMsgResult::OK : TMsgResult::No;
    }
    QString OpenFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString SaveFileName(const QString&, const QString&, const QString&) override { return {}; }
    QStringList OpenFileNames(const QString&, const QString&, const QString&) override { return {}; }
    QString FolderName(const QString&, const QString&) override { return {}; }
};
