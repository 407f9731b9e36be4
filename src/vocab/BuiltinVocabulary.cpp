// SPDX-License-Identifier: GPL-3.0-or-later
#include "vocab/BuiltinVocabulary.h"

#include <QFile>
#include <QtGlobal>

#include <algorithm>

namespace telvar::builtin {

namespace {

constexpr qint16 kPad = 48;
const char* const kDataPath = ":/telvar/vocab/builtin-vocabulary.tsv";

struct Tables {
    QStringList words;
    std::array<qint16, kRowCount * kRowLength> rows{};
};

// The data is compiled in, so a malformed line is a build defect: stop loudly rather than run with a
// vocabulary whose rows no longer line up with the device's word memory.
[[noreturn]] void fail(int lineNumber, const char* what) {
    qFatal("built-in vocabulary, line %d: %s", lineNumber, what);
}

void parseRow(const QByteArray& line, int lineNumber, int expectedIndex, Tables& tables) {
    const QList<QByteArray> fields = line.split('\t');
    if (fields.size() != 3)
        fail(lineNumber, "expected index, word and codes separated by tabs");
    bool ok = false;
    if (fields[0].toInt(&ok) != expectedIndex || !ok)
        fail(lineNumber, "rows must be numbered from 0 without gaps");

    const QString word = QString::fromLatin1(fields[1]);
    if (expectedIndex < kWordCount)
        tables.words.append(word);
    else if (!word.isEmpty())
        fail(lineNumber, "a row past the word list cannot carry a word");

    const QList<QByteArray> codes = fields[2].split(' ');
    const bool noCodes = fields[2].isEmpty();
    if (!noCodes && codes.size() > kRowLength)
        fail(lineNumber, "more than ten codes");
    qint16* row = tables.rows.data() + expectedIndex * kRowLength;
    std::fill(row, row + kRowLength, kPad);
    if (noCodes)
        return;
    for (int i = 0; i < codes.size(); ++i) {
        const int code = codes[i].toInt(&ok);
        if (!ok || code < 0 || code > 255 || code == kPad)
            fail(lineNumber, "codes must be numbers 0..255 other than the pad 48");
        row[i] = static_cast<qint16>(code);
    }
}

Tables load() {
    QFile file(QString::fromLatin1(kDataPath));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("built-in vocabulary missing from the build (%s)", kDataPath);
    Tables tables;
    int lineNumber = 0;
    int index = 0;
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        ++lineNumber;
        if (line.endsWith('\n'))
            line.chop(1);
        if (line.startsWith('#'))
            continue;
        if (index >= kRowCount)
            fail(lineNumber, "more rows than the code table holds");
        parseRow(line, lineNumber, index, tables);
        ++index;
    }
    if (index != kRowCount)
        fail(lineNumber, "fewer rows than the code table holds");
    return tables;
}

const Tables& tables() {
    static const Tables loaded = load();
    return loaded;
}

} // namespace

const QStringList& words() {
    return tables().words;
}

const std::array<qint16, kRowCount * kRowLength>& codeRows() {
    return tables().rows;
}

} // namespace telvar::builtin
