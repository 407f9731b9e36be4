// SPDX-License-Identifier: GPL-3.0-or-later
// What a suggestion costs against a verb that looks nothing up, in one run on this machine:
//
//   1. `telvarctl suggest WORD` and `telvarctl codes '\HE'`, each run --runs times (default 15) as a
//      child process; the wall time of each run is taken around fork and wait4, the peak memory is the
//      child's ru_maxrss from wait4. Printed: the medians of the times, the largest peak of each, and
//      suggest / codes for both. The first suggest (which builds the dictionary's index into an empty
//      cache folder) is shown on its own and left out of the medians.
//   2. The word editor's Suggest button in this process (offscreen): resident memory (VmRSS of
//      /proc/self/status) before the click and once the suggestion is shown.
//   3. telvar-vocabgen regenerating the built-in data (median of 3, warm cache), and its dictionary part
//      alone in this process: the 2048 words looked up in place against the whole file read into a hash
//      first, as every run did before the index; the rest of the generator is the same either way.
//
// Usage: lookup_ratios [--runs N] [WORD]       (needs the pronouncing dictionary, pocketsphinx-en-us)

#include "device/DeviceLink.h"
#include "../session/JournalFill.h"
#include "editor/frmPhrase.h"
#include "emulator/EmulatedLibrary.h"
#include "pronounce/PronouncingDictionary.h"
#include "pronounce/PronouncingSources.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace telvar;

namespace {

struct Run {
    double seconds = 0;
    long peakKb = 0;
};

Run runChild(const QStringList& command) {
    QList<QByteArray> arguments;
    for (const QString& argument : command)
        arguments << argument.toLocal8Bit();
    std::vector<char*> argv;
    for (QByteArray& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", qPrintable(command.join(QLatin1Char(' '))));
        std::exit(1);
    }
    return {timer.nsecsElapsed() / 1e9, usage.ru_maxrss};
}

Run medianOf(const QStringList& command, int runs) {
    std::vector<double> times;
    long peak = 0;
    for (int i = 0; i < runs; ++i) {
        const Run run = runChild(command);
        times.push_back(run.seconds);
        peak = std::max(peak, run.peakKb);
    }
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    return {times[runs / 2], peak};
}

long residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return 0;
}

// Resident memory before and after one Suggest in the word editor.
std::pair<long, long> editorSuggest(const QString& word) {
    QTemporaryDir dataFolder;
    EmulatedLibrary library;
    DeviceLink link(library);
    QWidget owner;
    bench::NoPrompter prompter; // the editor here replaces nothing, so it never asks
    frmPhrase* editor = frmPhrase::showEditor(&owner, dataFolder.path(), link, prompter);
    auto* wordBox = editor->findChild<QLineEdit*>(QStringLiteral("wordBox"));
    auto* sayData = editor->findChild<QLineEdit*>(QStringLiteral("txtSayData"));
    auto* suggest = editor->findChild<QPushButton*>(QStringLiteral("suggestButton"));
    QTest::qWait(200);
    const long before = residentKb();
    sayData->clear();
    wordBox->setText(word);
    suggest->click();
    if (!QTest::qWaitFor([&] { return suggest->isEnabled() && !sayData->text().isEmpty(); }, 60000)) {
        std::fprintf(stderr, "the editor gave no suggestion for %s\n", qPrintable(word));
        std::exit(1);
    }
    QThreadPool::globalInstance()->waitForDone();
    return {before, residentKb()};
}

QStringList dictionaryKeysOfBuiltinWords() {
    QFile file(QStringLiteral(TELVAR_VOCAB_DATA "/words.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList keys;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.trimmed().isEmpty() && !line.startsWith('#'))
            keys += QString::fromLatin1(line).toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    }
    return keys;
}

// Every line into a hash, as the dictionary was read before it had an index.
int wholeFileLookups(const QString& path, const QStringList& keys) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    QHash<QString, QStringList> entries;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split(' ');
        if (fields.size() < 2)
            continue;
        const QString key = QString::fromLatin1(fields.first()).toLower();
        if (!entries.contains(key)) {
            QStringList phones;
            for (qsizetype i = 1; i < fields.size(); ++i)
                phones << QString::fromLatin1(fields[i]);
            entries.insert(key, phones);
        }
    }
    return int(
        std::count_if(keys.begin(), keys.end(), [&](const QString& k) { return entries.contains(k); }));
}

int inPlaceLookups(const QString& path, const QString& cache, const QStringList& keys) {
    const pronounce::PronouncingDictionary dictionary(path, cache);
    return int(std::count_if(keys.begin(), keys.end(),
                             [&](const QString& k) { return bool(dictionary.lookup(k)); }));
}

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Everything this bench caches goes to a folder of its own, empty at the start.
    QTemporaryDir cacheHome;
    qputenv("XDG_CACHE_HOME", cacheHome.path().toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("telvar"));
    QStringList arguments = app.arguments().mid(1);
    int runs = 15;
    const qsizetype r = arguments.indexOf(QStringLiteral("--runs"));
    if (r >= 0 && r + 1 < arguments.size()) {
        runs = std::max(1, arguments.at(r + 1).toInt());
        arguments.remove(r, 2);
    }
    const QString word = arguments.value(0, QStringLiteral("hello"));
    const pronounce::PronouncingSources sources = pronounce::PronouncingSources::fromEnvironment();
    if (!sources.hasDictionary()) {
        std::fprintf(stderr, "%s\n", qPrintable(sources.missingHint()));
        return 1;
    }
    const QString telvarctl = QStringLiteral(TELVAR_BINARY_DIR "/telvarctl");
    const QString vocabgen = QStringLiteral(TELVAR_BINARY_DIR "/src/pronounce/telvar-vocabgen");

    const Run cold = runChild({telvarctl, QStringLiteral("suggest"), word});
    const Run suggest = medianOf({telvarctl, QStringLiteral("suggest"), word}, runs);
    const Run codes = medianOf({telvarctl, QStringLiteral("codes"), QStringLiteral("\\HE")}, runs);
    std::printf("telvarctl, median of %d runs (wall time around fork/wait4), peak = largest ru_maxrss:\n",
                runs);
    std::printf("  suggest %s: %.1f ms, %ld KB (first run, building the index: %.1f ms, %ld KB)\n",
                qPrintable(word), suggest.seconds * 1000, suggest.peakKb, cold.seconds * 1000, cold.peakKb);
    std::printf("  codes '\\HE': %.1f ms, %ld KB\n", codes.seconds * 1000, codes.peakKb);
    std::printf("  ratio suggest/codes: time %.2f (goal <= 3), peak memory %.2f (goal <= 1.5)\n",
                suggest.seconds / codes.seconds, double(suggest.peakKb) / double(codes.peakKb));

    const auto [before, after] = editorSuggest(word);
    std::printf("word editor Suggest (VmRSS before the click and once the suggestion shows): %ld KB -> %ld "
                "KB, grows by %.1f MB (goal <= 5)\n",
                before, after, (after - before) / 1024.0);

    QTemporaryDir out;
    const Run generate = medianOf(
        {vocabgen, QStringLiteral(TELVAR_VOCAB_DATA), QStringLiteral("-o"), out.filePath("v.tsv")}, 3);
    const QStringList keys = dictionaryKeysOfBuiltinWords();
    const QString cache = QDir(cacheHome.path()).filePath(QStringLiteral("telvar"));
    QElapsedTimer timer;
    timer.start();
    const int foundWhole = wholeFileLookups(sources.dictionaryPath, keys);
    const double whole = timer.nsecsElapsed() / 1e9;
    timer.restart();
    const int foundInPlace = inPlaceLookups(sources.dictionaryPath, cache, keys);
    const double inPlace = timer.nsecsElapsed() / 1e9;
    std::printf("telvar-vocabgen, median of 3 runs: %.2f s, %ld KB\n", generate.seconds, generate.peakKb);
    std::printf("  its dictionary part, %lld keys: in place %.1f ms (%d found), whole file read %.1f ms (%d "
                "found), ratio %.3f (goal <= 1)\n",
                static_cast<long long>(keys.size()), inPlace * 1000, foundInPlace, whole * 1000, foundWhole,
                inPlace / whole);
    return 0;
}
