#include "services/UserPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

TMsgResult TQtUserPrompts::MessageBox(TMsgType Type, TMsgButtons Buttons, const QString& Caption,
                                      const QString& Text) {
    QMessageBox::Icon icon = QMessageBox::Information;
    switch (Type) {
    case TMsgType::Warning: icon = QMessageBox::Warning; break;
    case TMsgType::Error: icon = QMessageBox::Critical; break;
    case TMsgType::Information: icon = QMessageBox::Information; break;
    case TMsgType::Confirmation: icon = QMessageBox::Question; break;
    }
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    if (Buttons == TMsgButtons::YesNo)
        buttons = QMessageBox::Yes | QMessageBox::No;
    else if (Buttons == TMsgButtons::YesNoCancel)
        buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    const QString caption = Caption.isEmpty() ? QStringLiteral("Pellmark Reelix 2.0") : Caption;
    QMessageBox box(icon, caption, Text, buttons, FParent);
    switch (box.exec()) {
    case QMessageBox::Yes: return TMsgResult::Yes;
    case QMessageBox::No: return TMsgResult::No;
    case QMessageBox::Ok: return TMsgResult::OK;
    default: return TMsgResult::Cancel;
    }
}

QString TQtUserPrompts::OpenFileName(const QString& Caption, const QString& Folder,
                                     const QString& Filter) {
    return QFileDialog::getOpenFileName(FParent, Caption, Folder, Filter);
}

QString TQtUserPrompts::SaveFileName(const QString& Caption, const QString& Folder,
                                     const QString& Filter) {
    return QFileDialog::getSaveFileName(FParent, Caption, Folder, Filter);
}

QStringList TQtUserPrompts::OpenFileNames(const QString& Caption, const QString& Folder,
                                          const QString& Filter) {
    return QFileDialog::getOpenFileNames(FParent, Caption, Folder, Filter);
}

QString TQtUserPrompts::FolderName(const QString& Caption, const QString& Folder) {
    return QFileDialog::getExistingDirectory(FParent, Caption, Folder);
}
