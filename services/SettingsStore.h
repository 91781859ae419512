#pragma once
// The program's persistent settings: one ini-style text file under the user's
// config folder, holding sections of named text values. Value names may be
// arbitrary text (recent files and favourite folders are stored as names), so
// the file uses its own escaping instead of QSettings, which rewrites slashes,
// spaces and non-ASCII characters in keys.

#include "services/SettingsSchema.h"

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

class TSettingsStore {
public:
    // Opens the store kept in FileName; a missing or unreadable file is an empty store.
    explicit TSettingsStore(QString FileName);

    // "$XDG_CONFIG_HOME" (or "~/.config") + "/Pellmark Software/Reelix 2.0/Reelix 2.0.ini".
    static QString DefaultFileName();

    const QString& FileName() const { return FFileName; }

    // Section names are paths such as "FormPos\Main" or "Settings\"; a trailing
    // backslash names the same section as the path without it.
    bool SectionExists(const QString& Section) const;
    bool ValueExists(const QString& Section, const QString& Name) const;
    // Value names of a section in the order they were first written.
    QStringList ReadSection(const QString& Section) const;

    QString ReadString(const QString& Section, const QString& Name, const QString& Default) const;
    // Defaults also apply when the stored text is not a whole decimal integer.
    int ReadInteger(const QString& Section, const QString& Name, int Default) const;
    bool ReadBool(const QString& Section, const QString& Name, bool Default) const;

    void WriteString(const QString& Section, const QString& Name, const QString& Value);
    void WriteInteger(const QString& Section, const QString& Name, int Value);
    void WriteBool(const QString& Section, const QString& Name, bool Value);

    // Through the schema: the value, or its one default.
    bool Read(const TSetting<bool>& Key) const { return ReadBool(Key.SectionName(), Key.ValueName(), Key.Default); }
    int Read(const TSetting<int>& Key) const { return ReadInteger(Key.SectionName(), Key.ValueName(), Key.Default); }
    QString Read(const TSetting<QString>& Key) const { return ReadString(Key.SectionName(), Key.ValueName(), Key.Default); }
    // For values whose default is a state of the moment (the window's, the
    // desktop's): Fallback stands for the schema's default.
    template <class T>
    T Read(const TSetting<T>& Key, T Fallback) const {
        return Read(TSetting<T>{Key.Section, Key.Name, Fallback});
    }
    void Write(const TSetting<bool>& Key, bool Value) { WriteBool(Key.SectionName(), Key.ValueName(), Value); }
    void Write(const TSetting<QString>& Key, const QString& Value) { WriteString(Key.SectionName(), Key.ValueName(), Value); }
    void Write(const TSetting<int>& Key, int Value) { WriteInteger(Key.SectionName(), Key.ValueName(), Value); }
    // Stores Value only when it differs from what reading gives now.
    template <class T>
    void WriteIfChanged(const TSetting<T>& Key, T Value) {
        if (Read(Key) != Value)
            Write(Key, Value);
    }

    void DeleteValue(const QString& Section, const QString& Name);
    // Removes the section with all its values (sub-sections are separate and stay).
    void EraseSection(const QString& Section);

    // Writes the whole store to its file through a temporary file and a rename,
    // so a crash never leaves a half-written file. Returns false on failure.
    bool Save() const;

    // The text form, exposed for tests of the escaping.
    QString ToText() const;
    void FromText(const QString& Text);

private:
    struct TSection {
        QString Name;
        std::vector<std::pair<QString, QString>> Values;
    };

    static QString NormalSection(const QString& Section);
    const TSection* Find(const QString& Section) const;
    TSection& FindOrAdd(const QString& Section);

    QString FFileName;
    std::vector<TSection> FSections;
};
