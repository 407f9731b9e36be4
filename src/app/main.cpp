#include "app/HelpPages.h"
#include "app/Mainform.h"
#include "app/ProgramOptions.h"
#include "app/VirtualDeviceControls.h"
#include "device/HidapiLibrary.h"
#include "emulator/EmulatedLibrary.h"
#include "vocab/DataFolder.h"

#include <QApplication>
#include <QDir>
#include <QLockFile>
#include <QMessageBox>

#include <cstdio>
#include <memory>

namespace {

void print(FILE* stream, const QString& text) {
    std::fputs(qPrintable(text), stream);
}

QStringList commandLine(int argc, char** argv) {
    QStringList words;
    for (int i = 1; i < argc; ++i)
        words << QString::fromLocal8Bit(argv[i]);
    return words;
}

int answerHelpOrVersion(const telvar::ProgramOptions& options) {
    if (options.help)
        print(stdout, telvar::ProgramOptions::usage());
    else
        print(stdout, QStringLiteral("telvar %1\n").arg(QStringLiteral(TELVAR_VERSION)));
    return 0;
}

// A second copy would fight the first over the device and the word-list files.
bool alreadyRunning(QLockFile& lock) {
    // Only a lock whose process has died counts as stale, however long the first copy runs.
    lock.setStaleLockTime(0);
    return !lock.tryLock(0);
}

} // namespace

int main(int argc, char** argv) {
    telvar::ProgramOptions options;
    QString error = options.parse(commandLine(argc, argv));
    // --help and --version answer before the window system starts, so they need no display.
    if (error.isEmpty() && (options.help || options.version))
        return answerHelpOrVersion(options);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("telvar"));
    QApplication::setApplicationVersion(QStringLiteral(TELVAR_VERSION));
    if (!error.isEmpty()) {
        // Perhaps only the window system's own options were in the way; QApplication has taken them out.
        options = telvar::ProgramOptions();
        error = options.parse(commandLine(argc, argv));
    }
    if (!error.isEmpty()) {
        print(stderr, QStringLiteral("telvar: %1\n").arg(error));
        return 2;
    }
    if (options.help || options.version)
        return answerHelpOrVersion(options);

    QLockFile lock(QDir::temp().filePath(QStringLiteral("telvar.lock")));
    if (alreadyRunning(lock)) {
        const QString text = QStringLiteral("The Telvar X program is already running.");
        print(stderr, QStringLiteral("telvar: %1\n").arg(text));
        QMessageBox::information(nullptr, QStringLiteral("Telvar X"), text);
        return 1;
    }

    std::unique_ptr<telvar::HidLibrary> library;
    telvar::EmulatedLibrary* emulated = nullptr;
    if (options.emulator.simulate) {
        QString error;
        auto virtualLibrary = telvar::EmulatedLibrary::create(options.emulator, &error);
        if (!virtualLibrary) {
            print(stderr, QStringLiteral("telvar: %1\n").arg(error));
            return 1;
        }
        emulated = virtualLibrary.get();
        library = std::move(virtualLibrary);
    } else {
        library = std::make_unique<telvar::HidapiLibrary>();
    }

    telvar::Mainform::Options windowOptions;
    windowOptions.dataDir = telvar::DataFolder::resolve(options.dataDir);
    windowOptions.helpFolder = telvar::HelpPages::folder(QApplication::applicationDirPath());
    windowOptions.replyLimit = options.timeout;
    telvar::Mainform window(*library, windowOptions);
    if (emulated)
        new telvar::VirtualDeviceControls(*emulated, window, options.emulator.speakAloud);
    if (auto* hidapi = qobject_cast<telvar::HidapiLibrary*>(library.get())) {
        QObject::connect(hidapi, &telvar::HidapiLibrary::openFailed, &window,
                         [&window](const QString& message) { window.prompter().inform(message); });
    }
    window.show();
    return app.exec();
}
