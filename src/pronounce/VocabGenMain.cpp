// SPDX-License-Identifier: GPL-3.0-or-later
// telvar-vocabgen: writes src/vocab/data/builtin-vocabulary.tsv from the files beside it.
//
//   telvar-vocabgen DATA_DIR            rewrites DATA_DIR/builtin-vocabulary.tsv
//   telvar-vocabgen DATA_DIR -o FILE    writes FILE instead
//   telvar-vocabgen DATA_DIR --check    exit status 1 if the committed file is out of date
//
// Without the pronouncing dictionary or espeak-ng it exits with status 77, which CTest reads as a skip.

#include "files/ReplaceFile.h"
#include "pronounce/PronouncingSources.h"
#include "pronounce/VocabularyGenerator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>

using namespace telvar::pronounce;

namespace {

constexpr int kSkip = 77;

int fail(const QString& message) {
    std::fprintf(stderr, "telvar-vocabgen: %s\n", qPrintable(message));
    return 1;
}

// The first line where the two differ, counted from 1.
int firstDifference(const QByteArray& a, const QByteArray& b) {
    const QList<QByteArray> left = a.split('\n');
    const QList<QByteArray> right = b.split('\n');
    int line = 0;
    while (line < left.size() && line < right.size() && left[line] == right[line])
        ++line;
    return line + 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    const bool check = arguments.removeAll(QStringLiteral("--check")) > 0;
    QString output;
    const qsizetype o = arguments.indexOf(QStringLiteral("-o"));
    if (o >= 0 && o + 1 < arguments.size()) {
        output = arguments.at(o + 1);
        arguments.remove(o, 2);
    }
    if (arguments.size() != 1) {
        fail(QStringLiteral("usage: telvar-vocabgen DATA_DIR [-o FILE | --check]"));
        return 2;
    }
    const QString dataFolder = arguments.first();
    if (output.isEmpty())
        output = QDir(dataFolder).filePath(QStringLiteral("builtin-vocabulary.tsv"));

    const PronouncingSources sources = PronouncingSources::fromEnvironment();
    if (!sources.hasDictionary() || !sources.hasFallback()) {
        std::fprintf(stderr, "telvar-vocabgen: skipped: %s\n", qPrintable(sources.missingHint()));
        return kSkip;
    }
    QString error;
    const QByteArray data = VocabularyGenerator(dataFolder, sources).generate(&error);
    if (data.isEmpty())
        return fail(error);

    if (check) {
        QFile committed(output);
        const QByteArray current = committed.open(QIODevice::ReadOnly) ? committed.readAll() : QByteArray();
        if (current == data)
            return 0;
        return fail(QStringLiteral("%1 differs from what the pronunciation rules make, first at line %2; run "
                                   "telvar-vocabgen %3 to rewrite it")
                        .arg(output)
                        .arg(firstDifference(current, data))
                        .arg(dataFolder));
    }
    if (!telvar::replaceFile(output, data, &error))
        return fail(error);
    return 0;
}
