// SPDX-License-Identifier: GPL-3.0-or-later
// The editor dictionary as the user keeps it by hand. The input is a dictionary file up to its first NUL,
// then names separated by line feeds. Looking the names up in the file must give tidy values (no blanks
// around them, no line ends, within the profile reader's buffer) whatever the case of the name; and a
// dictionary written plainly with those names as keys must give each key the value written for it.
#include "FuzzSupport.h"

#include "editor/Dictionary.h"

#include <QSet>

#include <cstdint>

using namespace telvar;
using telvar::fuzz::require;

namespace {

const QString kMissing = QStringLiteral("<missing>");

QString swappedAsciiCase(QStringView text) {
    QString swapped = text.toString();
    for (QChar& c : swapped) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
        else if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    }
    return swapped;
}

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

void checkLookups(const Dictionary& dictionary, const QStringList& names) {
    for (const QString& section : {QString::fromUtf16(Dictionary::kWordsSection), names.value(0)}) {
        for (const QString& name : names) {
            const QString value = dictionary.ReadDictionary(section, name, kMissing);
            require(dictionary.ReadDictionary(swappedAsciiCase(section), swappedAsciiCase(name), kMissing) ==
                    value);
            if (value == kMissing)
                continue;
            require(value.size() <= Dictionary::kMaxValueLength);
            require(!value.contains(u'\r') && !value.contains(u'\n'));
            require(value.isEmpty() || (!value.front().isSpace() && !value.back().isSpace()));
        }
    }
}

// Keys the plain writer can carry: one line each, no "=", not read as a comment or a section.
bool isWritableKey(QStringView key) {
    while (!key.isEmpty() && isBlank(key.front()))
        key = key.sliced(1);
    return !key.contains(u'=') && !key.contains(u'\r') && !key.contains(u'\n') &&
           !(key.startsWith(u';') || key.startsWith(u'['));
}

void checkWrittenKeys(const QStringList& names) {
    QByteArray file = "[Words]\r\n";
    QStringList written;
    for (const QString& name : names) {
        if (!isWritableKey(name))
            continue;
        file += name.toLatin1() + " = \\V" + QByteArray::number(written.size()) + "\r\n";
        written.append(name);
    }
    const QString path = fuzz::scratchPath(Dictionary::kFileName);
    fuzz::putFile(path, file);
    const Dictionary dictionary = Dictionary::read(path);

    // The first of several keys that differ only in case or surrounding blanks is the one that counts.
    QSet<QString> seen;
    for (qsizetype i = 0; i < written.size(); ++i) {
        QStringView key = written[i];
        while (!key.isEmpty() && isBlank(key.front()))
            key = key.sliced(1);
        while (!key.isEmpty() && isBlank(key.back()))
            key.chop(1);
        const QString folded = key.toString().toCaseFolded();
        if (seen.contains(folded))
            continue;
        seen.insert(folded);
        require(dictionary.ReadDictionary(Dictionary::kWordsSection, written[i], kMissing) ==
                QStringLiteral("\\V%1").arg(i));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView input(data, qsizetype(size));
    const qsizetype split = input.indexOf('\0');
    const QByteArrayView content = split < 0 ? input : input.first(split);
    const QStringList names =
        split < 0 ? QStringList() : QString::fromLatin1(input.sliced(split + 1)).split(u'\n');

    const QString path = fuzz::scratchPath(Dictionary::kFileName);
    fuzz::putFile(path, content);
    const Dictionary fromFile = Dictionary::read(path);
    checkLookups(fromFile, names);
    // Reading the file and parsing its bytes are one thing.
    const Dictionary parsed = Dictionary::parse(content);
    for (const QString& name : names)
        require(fromFile.ReadDictionary(Dictionary::kWordsSection, name, kMissing) ==
                parsed.ReadDictionary(Dictionary::kWordsSection, name, kMissing));

    checkWrittenKeys(names);
    return 0;
}
