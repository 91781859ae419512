#pragma once
// Every question and message the program puts to the user goes through this
// one interface, so tests can answer them and check each text shown.

#include <QString>
#include <QStringList>

class QWidget;

enum class TMsgType { Warning, Error, Information, Confirmation };
enum class TMsgButtons { OK, YesNo, YesNoCancel };
enum class TMsgResult { OK, Yes, No, Cancel };

class IUserPrompts {
public:
    virtual ~IUserPrompts() = default;
    virtual TMsgResult MessageBox(TMsgType Type, TMsgButtons Buttons, const QString& Caption,
                                  const QString& Text) = 0;
    // Empty result when the user cancels.
    virtual QString OpenFileName(const QString& Caption, const QString& Folder,
                                 const QString& Filter) = 0;
    virtual QString SaveFileName(const QString& Caption, const QString& Folder,
                                 const QString& Filter) = 0;
    // Several files at once; empty when the user cancels.
    virtual QStringList OpenFileNames(const QString& Caption, const QString& Folder,
                                      const QString& Filter) = 0;
    // A folder chosen, starting at Folder; empty when the user cancels.
    virtual QString FolderName(const QString& Caption, const QString& Folder) = 0;
};

// Real modal message boxes and file dialogs, owned by the given parent window.
class TQtUserPrompts : public IUserPrompts {
public:
    explicit TQtUserPrompts(QWidget* Parent = nullptr) : FParent(Parent) {}
    void SetParent(QWidget* Parent) { FParent = Parent; }

    TMsgResult MessageBox(TMsgType Type, TMsgButtons Buttons, const QString& Caption,
                          const QString& Text) override;
    QString OpenFileName(const QString& Caption, const QString& Folder,
                         const QString& Filter) override;
    QString SaveFileName(const QString& Caption, const QString& Folder,
                         const QString& Filter) override;
    QStringList OpenFileNames(const QString& Caption, const QString& Folder,
                              const QString& Filter) override;
    QString FolderName(const QString& Caption, const QString& Folder) override;

private:
    QWidget* FParent;
};
