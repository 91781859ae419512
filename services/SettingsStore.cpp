#include "services/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

namespace {

// Value names may hold any character, so everything that has a meaning in the
// file's syntax is escaped with a backslash. Values only need line breaks and
// the escape character itself escaped.
QString EscapeName(const QString& s) {
    QString out;
    out.reserve(s.size() + 8);
    for (QChar c : s) {
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case '=': out += QLatin1String("\\="); break;
        case '[': out += QLatin1String("\\["); break;
        case ';': out += QLatin1String("\\;"); break;
        case '#': out += QLatin1String("\\#"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case 0: out += QLatin1String("\\0"); break;
        default: out += c;
        }
    }
    return out;
}

QString EscapeValue(const QString& s) {
    QString out;
    out.reserve(s.size() + 8);
    for (QChar c : s) {
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case 0: out += QLatin1String("\\0"); break;
        default: out += c;
        }
    }
    return out;
}

QChar Unescaped(QChar c) {
    switch (c.unicode()) {
    case 'n': return QChar('\n');
    case 'r': return QChar('\r');
    case '0': return QChar(0);
    default: return c;
    }
}

// Splits "name=value" at the first '=' that is not escaped; returns false when
// the line holds no such '='.
bool SplitEntry(const QString& line, QString& name, QString& value) {
    name.clear();
    qsizetype i = 0;
    for (; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == '\\' && i + 1 < line.size()) {
            name += Unescaped(line[++i]);
        } else if (c == '=') {
            break;
        } else {
            name += c;
        }
    }
    if (i >= line.size())
        return false;
    value.clear();
    for (++i; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == '\\' && i + 1 < line.size())
            value += Unescaped(line[++i]);
        else
            value += c;
    }
    return true;
}

} // namespace

TSettingsStore::TSettingsStore(QString FileName) : FFileName(std::move(FileName)) {
    QFile file(FFileName);
    if (file.open(QIODevice::ReadOnly))
        FromText(QString::fromUtf8(file.readAll()));
}

QString TSettingsStore::DefaultFileName() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    // A relative XDG path is invalid by the base-directory rules and is ignored.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/Pellmark Software/Reelix 2.0/Reelix 2.0.ini");
}

QString TSettingsStore::NormalSection(const QString& Section) {
    QString s = Section;
    while (s.endsWith('\\'))
        s.chop(1);
    // A line break would end the section header early; it has no place in a path.
    s.replace('\n', ' ');
    s.replace('\r', ' ');
    return s;
}

const TSettingsStore::TSection* TSettingsStore::Find(const QString& Section) const {
    const QString name = NormalSection(Section);
    auto it = std::find_if(FSections.begin(), FSections.end(),
                           [&](const TSection& s) { return s.Name == name; });
    return it == FSections.end() ? nullptr : &*it;
}

TSettingsStore::TSection& TSettingsStore::FindOrAdd(const QString& Section) {
    if (const TSection* s = Find(Section))
        return const_cast<TSection&>(*s);
    FSections.push_back(TSection{NormalSection(Section), {}});
    return FSections.back();
}

bool TSettingsStore::SectionExists(const QString& Section) const {
    return Find(Section) != nullptr;
}

bool TSettingsStore::ValueExists(const QString& Section, const QString& Name) const {
    const TSection* s = Find(Section);
    if (!s)
        return false;
    return std::any_of(s->Values.begin(), s->Values.end(),
                       [&](const auto& v) { return v.first == Name; });
}

QStringList TSettingsStore::ReadSection(const QString& Section) const {
    QStringList names;
    if (const TSection* s = Find(Section))
        for (const auto& v : s->Values)
            names << v.first;
    return names;
}

QString TSettingsStore::ReadString(const QString& Section, const QString& Name,
                                   const QString& Default) const {
    if (const TSection* s = Find(Section))
        for (const auto& v : s->Values)
            if (v.first == Name)
                return v.second;
    return Default;
}

int TSettingsStore::ReadInteger(const QString& Section, const QString& Name, int Default) const {
    if (!ValueExists(Section, Name))
        return Default;
    bool ok = false;
    const int value = ReadString(Section, Name, QString()).trimmed().toInt(&ok, 10);
    return ok ? value : Default;
}

bool TSettingsStore::ReadBool(const QString& Section, const QString& Name, bool Default) const {
    return ReadInteger(Section, Name, Default ? 1 : 0) != 0;
}

void TSettingsStore::WriteString(const QString& Section, const QString& Name, const QString& Value) {
    TSection& s = FindOrAdd(Section);
    for (auto& v : s.Values) {
        if (v.first == Name) {
            v.second = Value;
            return;
        }
    }
    s.Values.emplace_back(Name, Value);
}

void TSettingsStore::WriteInteger(const QString& Section, const QString& Name, int Value) {
    WriteString(Section, Name, QString::number(Value));
}

void TSettingsStore::WriteBool(const QString& Section, const QString& Name, bool Value) {
    WriteString(Section, Name, Value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TSettingsStore::DeleteValue(const QString& Section, const QString& Name) {
    if (const TSection* found = Find(Section)) {
        auto& values = const_cast<TSection*>(found)->Values;
        values.erase(std::remove_if(values.begin(), values.end(),
                                    [&](const auto& v) { return v.first == Name; }),
                     values.end());
    }
}

void TSettingsStore::EraseSection(const QString& Section) {
    const QString name = NormalSection(Section);
    FSections.erase(std::remove_if(FSections.begin(), FSections.end(),
                                   [&](const TSection& s) { return s.Name == name; }),
                    FSections.end());
}

QString TSettingsStore::ToText() const {
    QString text;
    for (const TSection& s : FSections) {
        text += '[' + s.Name + QStringLiteral("]\n");
        for (const auto& v : s.Values)
            text += EscapeName(v.first) + '=' + EscapeValue(v.second) + '\n';
        text += '\n';
    }
    return text;
}

void TSettingsStore::FromText(const QString& Text) {
    FSections.clear();
    TSection* current = nullptr;
    const QStringList lines = Text.split('\n');
    for (QString line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            const qsizetype close = line.lastIndexOf(']');
            if (close > 0) {
                current = &FindOrAdd(line.mid(1, close - 1));
                continue;
            }
        }
        QString name, value;
        // Entries before any section, and lines without '=', are not ours: skip them.
        if (current && SplitEntry(line, name, value))
            WriteString(current->Name, name, value);
    }
}

bool TSettingsStore::Save() const {
    if (!QDir().mkpath(QFileInfo(FFileName).absolutePath()))
        return false;
    QSaveFile file(FFileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray data = ToText().toUtf8();
    if (file.write(data) != data.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
