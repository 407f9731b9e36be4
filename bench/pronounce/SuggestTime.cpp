// SPDX-License-Identifier: GPL-3.0-or-later
// Suggests codes for each of the 2048 built-in words, as `telvarctl suggest` does (with the data
// folder's respellings, cut to the ten codes of a row), and prints the time per word and the share of
// words whose suggestion equals their row in a vocabulary file: the committed one unless --against
// names another, such as a data file from before a change of the rules.
//
// Usage: suggest_time [--against FILE]

#include "pronounce/Pronouncer.h"
#include "pronounce/PronouncingSources.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>

#include <cstdio>

using namespace telvar::pronounce;

namespace {

constexpr int kWords = 2048;
constexpr int kRowLength = 10;

QList<QByteArray> meaningfulLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        std::exit(1);
    }
    QList<QByteArray> lines;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.trimmed().isEmpty() && !line.startsWith('#'))
            lines << line;
    }
    return lines;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString data = QStringLiteral(TELVAR_VOCAB_DATA);
    QString against = data + QStringLiteral("/builtin-vocabulary.tsv");
    const QStringList arguments = app.arguments();
    const qsizetype a = arguments.indexOf(QStringLiteral("--against"));
    if (a > 0 && a + 1 < arguments.size())
        against = arguments.at(a + 1);

    const PronouncingSources sources = PronouncingSources::fromEnvironment();
    if (!sources.hasDictionary() || !sources.hasFallback()) {
        std::fprintf(stderr, "%s\n", qPrintable(sources.missingHint()));
        return 1;
    }
    QHash<QString, QString> respellings;
    for (const QByteArray& line : meaningfulLines(data + QStringLiteral("/respellings.txt"))) {
        const QList<QByteArray> fields = line.split('\t');
        respellings.insert(QString::fromLatin1(fields.value(0)), QString::fromLatin1(fields.value(1)));
    }
    const QList<QByteArray> words = meaningfulLines(data + QStringLiteral("/words.txt"));
    QHash<QString, QByteArray> reference; // "index" -> codes
    for (const QByteArray& line : meaningfulLines(against)) {
        const QList<QByteArray> fields = line.split('\t');
        reference.insert(QString::fromLatin1(fields.value(0)), fields.value(2));
    }

    QElapsedTimer timer;
    timer.start();
    const Pronouncer pronouncer(sources, respellings);
    const double loadSeconds = timer.nsecsElapsed() / 1e9;

    int equal = 0;
    int unknown = 0;
    timer.restart();
    for (int i = 0; i < kWords && i < words.size(); ++i) {
        const auto codes = pronouncer.codes(QString::fromLatin1(words.at(i)));
        if (!codes) {
            ++unknown;
            continue;
        }
        QStringList numbers;
        for (int code : codes->mid(0, kRowLength))
            numbers << QString::number(code);
        if (numbers.join(QLatin1Char(' ')).toLatin1() == reference.value(QString::number(i)))
            ++equal;
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("dictionary load: %.3f s\n", loadSeconds);
    std::printf("suggest: %d words in %.3f s, %.3f ms per word\n", kWords, seconds, seconds * 1000 / kWords);
    std::printf("rows equal to %s: %d of %d (%.1f%%), %d words unknown\n", qPrintable(against), equal, kWords,
                100.0 * equal / kWords, unknown);
    return 0;
}
