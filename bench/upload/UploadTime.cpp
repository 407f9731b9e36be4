// SPDX-License-Identifier: GPL-3.0-or-later
// Uploads the built-in code table into the virtual device (reply latency 1 ms unless --latency says
// otherwise, real timings) and prints the wall time as a ratio to 2055 x (10 ms + latency): one round trip
// and one row pause per word, which is what the protocol itself needs. Whatever the program adds on top
// shows as the ratio's excess over 1.
//
// Usage: upload_time [--latency MS]

#include "device/DeviceLink.h"
#include "device/Prompter.h"
#include "device/Spinner.h"
#include "device/Timings.h"
#include "emulator/EmulatedLibrary.h"
#include "vocab/VocabularyLoader.h"
#include "vocab/WordListUpload.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

using namespace telvar;

namespace {

// The benchmark confirms the upload itself.
class YesPrompter : public Prompter {
public:
    QCoro::Task<bool> askYesNo(QString, QString) override { co_return true; }
    QCoro::Task<bool> askOkCancel(QString, QString) override { co_return true; }
    QCoro::Task<SaveAnswer> askSaveDiscardCancel(QString, QString) override { co_return SaveAnswer::Save; }
    QCoro::Task<> inform(QString text, QString) override {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        co_return;
    }
};

QCoro::Task<> timeUpload(DeviceLink& link, const Vocabulary& vocabulary, std::chrono::milliseconds latency) {
    YesPrompter prompter;
    Spinner spinner;
    WordListUpload upload(link, vocabulary, prompter, spinner);
    QElapsedTimer wall;
    wall.start();
    const SequenceOutcome outcome = co_await upload.run();
    const double seconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    if (!outcome.completed()) {
        std::fprintf(stderr, "upload failed: %s\n", qPrintable(outcome.message));
        QCoreApplication::exit(1);
        co_return;
    }
    const double protocol = WordListUpload::kRows * (Timings::kUploadRowPause + latency).count() / 1000.0;
    std::printf("rows                 %8d\n", WordListUpload::kRows);
    std::printf("reply latency        %8lld ms\n", static_cast<long long>(latency.count()));
    std::printf("upload wall time     %8.3f s\n", seconds);
    std::printf("protocol time        %8.3f s  (rows x (row pause + latency))\n", protocol);
    std::printf("ratio                %8.3f\n", seconds / protocol);
    QCoreApplication::quit();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::chrono::milliseconds latency{1};
    const QStringList arguments = app.arguments();
    const qsizetype at = arguments.indexOf(QStringLiteral("--latency"));
    if (at > 0) {
        bool ok = false;
        latency = std::chrono::milliseconds(at + 1 < arguments.size() ? arguments.at(at + 1).toInt(&ok) : -1);
        if (!ok || latency.count() < 0) {
            std::fprintf(stderr, "usage: upload_time [--latency MS]\n");
            return 2;
        }
    }

    EmulatedLibrary library;
    library.device().setLatency(latency);
    DeviceLink link(library);
    Vocabulary vocabulary;
    const VocabularyTables builtin = VocabularyLoader::builtinTables();
    vocabulary.assign(builtin.list1, builtin.list3, builtin.codes);

    QObject::connect(&link, &DeviceLink::plugged, &app, [&] {
        // Read notification comes with the "changed" notification right behind the arrival.
        QTimer::singleShot(0, &app, [&] { timeUpload(link, vocabulary, latency); });
    });
    link.hidattach();
    return app.exec();
}
