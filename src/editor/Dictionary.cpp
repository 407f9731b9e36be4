// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/Dictionary.h"

#include "files/CappedRead.h"

#include <QDir>

namespace telvar {

namespace {

// The profile reader splits at either line end and strips blanks and tabs around names and values.
bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

QStringView stripBlanks(QStringView text) {
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

QString folded(QStringView name) {
    return stripBlanks(name).toString().toCaseFolded();
}

QStringView unquoted(QStringView value) {
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        return value.sliced(1, value.size() - 2);
    return value;
}

// Surrounding blanks go, then NULs and blanks at the end, as long as any are left.
QString trimmedValue(QStringView value) {
    QStringView text = value.first(std::min(value.size(), Dictionary::kMaxValueLength)).trimmed();
    while (!text.isEmpty() && (text.back() == u'\0' || text.back() == u' '))
        text = text.first(text.size() - 1).trimmed();
    return text.toString();
}

} // namespace

QString Dictionary::pathIn(const QString& folder) {
    return QDir(folder).filePath(QString::fromLatin1(kFileName));
}

Dictionary Dictionary::read(const QString& path, QString* error) {
    const CappedRead file = readCapped(path, kMaxFileSize);
    if (file.ok())
        return parse(file.data);
    if (error && file.status != CappedRead::Status::Missing)
        *error = file.error;
    return {};
}

Dictionary Dictionary::parse(QByteArrayView content) {
    if (content.startsWith("\xEF\xBB\xBF"))
        content = content.sliced(3);
    // The file is in the Windows code page; only ASCII can match a word or become a code, so Latin-1
    // keeps every byte without a codec.
    const QString text = QString::fromLatin1(content);
    Dictionary dictionary;
    QString section;
    bool inSection = false; // inside the first section of its name
    for (const QStringView rawLine : QStringView(text).tokenize(u'\n')) {
        for (QStringView line : rawLine.tokenize(u'\r')) {
            line = stripBlanks(line);
            if (line.isEmpty() || line.front() == u';')
                continue;
            if (line.front() == u'[') {
                const qsizetype close = line.indexOf(u']');
                section = folded(line.sliced(1, (close < 0 ? line.size() : close) - 1));
                inSection = !dictionary.m_sections.contains(section);
                if (inSection)
                    dictionary.m_sections.insert(section, {});
                continue;
            }
            const qsizetype equals = line.indexOf(u'=');
            if (!inSection || equals < 0)
                continue;
            QHash<QString, QString>& keys = dictionary.m_sections[section];
            const QString key = folded(line.first(equals));
            if (!keys.contains(key))
                keys.insert(key, unquoted(stripBlanks(line.sliced(equals + 1))).toString());
        }
    }
    return dictionary;
}

QString Dictionary::ReadDictionary(QStringView section, QStringView key, const QString& defaultText) const {
    const auto foundSection = m_sections.constFind(folded(section));
    if (foundSection == m_sections.cend())
        return defaultText;
    const auto foundKey = foundSection->constFind(folded(key));
    if (foundKey == foundSection->cend())
        return defaultText;
    return trimmedValue(*foundKey);
}

} // namespace telvar
