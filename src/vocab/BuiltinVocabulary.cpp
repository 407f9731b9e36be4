// SPDX-License-Identifier: GPL-3.0-or-later
#include "vocab/BuiltinVocabulary.h"

#include <QByteArrayView>
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

// A decimal number, or -1. (The table is read in place, as views: it is parsed before the window shows,
// and splitting its 2,000 lines into lists took longer than everything else the virtual device does then.)
int number(QByteArrayView text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? value : -1;
}

void parseRow(QByteArrayView line, int lineNumber, int expectedIndex, Tables& tables) {
    const qsizetype firstTab = line.indexOf('\t');
    const qsizetype secondTab = firstTab < 0 ? -1 : line.indexOf('\t', firstTab + 1);
    if (secondTab < 0 || line.indexOf('\t', secondTab + 1) >= 0)
        fail(lineNumber, "expected index, word and codes separated by tabs");
    if (number(line.first(firstTab)) != expectedIndex)
        fail(lineNumber, "rows must be numbered from 0 without gaps");

    const QByteArrayView word = line.sliced(firstTab + 1, secondTab - firstTab - 1);
    if (expectedIndex < kWordCount)
        tables.words.append(QString::fromLatin1(word));
    else if (!word.isEmpty())
        fail(lineNumber, "a row past the word list cannot carry a word");

    QByteArrayView codes = line.sliced(secondTab + 1);
    qint16* row = tables.rows.data() + expectedIndex * kRowLength;
    std::fill(row, row + kRowLength, kPad);
    for (int i = 0; !codes.isEmpty(); ++i) {
        if (i == kRowLength)
            fail(lineNumber, "more than ten codes");
        const qsizetype blank = codes.indexOf(' ');
        const int code = number(blank < 0 ? codes : codes.first(blank));
        if (code < 0 || code > 255 || code == kPad)
            fail(lineNumber, "codes must be numbers 0..255 other than the pad 48");
        row[i] = static_cast<qint16>(code);
        codes = blank < 0 ? QByteArrayView() : codes.sliced(blank + 1);
        if (blank >= 0 && codes.isEmpty())
            fail(lineNumber, "codes must be numbers 0..255 other than the pad 48");
    }
}

Tables load() {
    QFile file(QString::fromLatin1(kDataPath));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("built-in vocabulary missing from the build (%s)", kDataPath);
    Tables tables;
    int lineNumber = 0;
    int index = 0;
    const QByteArray bytes = file.readAll();
    const QByteArrayView data(bytes);
    for (qsizetype at = 0; at < data.size();) {
        const qsizetype end = data.indexOf('\n', at);
        const QByteArrayView line = data.sliced(at, (end < 0 ? data.size() : end) - at);
        at = end < 0 ? data.size() : end + 1;
        ++lineNumber;
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
