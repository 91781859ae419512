#pragma once
// The resource library "VELMOR.DLL": a Qt binary resource file beside the
// executable that holds the program's artwork (the splash picture "SPLASH" and
// the start-up animation "ANIMATED"). It is loaded at run time so a missing or
// damaged file costs only those pictures.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <functional>
#include <memory>

class TResourceLibrary {
public:
    static constexpr const char* DefaultName = "VELMOR.DLL";

    // Opens the library; on failure calls Report with
    // "Could not load <name> library file." and returns nullptr.
    static std::unique_ptr<TResourceLibrary> Load(const QString& FileName,
                                                  const std::function<void(const QString&)>& Report);

    ~TResourceLibrary();
    TResourceLibrary(const TResourceLibrary&) = delete;
    TResourceLibrary& operator=(const TResourceLibrary&) = delete;

    // The raw bytes of a named resource, empty when the library lacks it.
    QByteArray Data(const QString& Name) const;
    // A named picture, null when missing or undecodable.
    QImage Picture(const QString& Name) const;

    // The text shown when a library cannot be loaded.
    static QString LoadFailedMessage(const QString& FileName);

private:
    TResourceLibrary(QString FileName, QString Root);
    QString FFileName;
    QString FRoot;
};
