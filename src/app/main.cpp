// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DeviceMenu.h"
#include "app/MainWindowPlacement.h"
#include "app/Mainform.h"
#include "app/ProgramOptions.h"
#include "app/ProgramStyle.h"
#include "app/SingleInstance.h"
#include "app/VirtualDeviceControls.h"
#include "device/HidapiLibrary.h"
#include "editor/Dictionary.h"
#include "emulator/DeviceCandidates.h"
#include "emulator/EmulatedLibrary.h"
#include "journal/JournalStore.h"
#include "session/ProgramFiles.h"
#include "vocab/DataFolder.h"

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>

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

// The window moves to another device by starting the program again for it, so every lock, file and
// control is set up for that device as at any start; this window then closes. A window that holds the
// device already comes forward instead.
QString moveToDevice(QWidget& window, bool simulate, const telvar::DeviceCandidate& device) {
    const QString key = telvar::DeviceMenu::keyOf(device);
    if (telvar::SingleInstance::raiseHolder(simulate, telvar::DeviceMenu::windowKeyOf(device)))
        return QStringLiteral("%1 has a window of its own, brought to the front").arg(key);
    const QStringList arguments =
        telvar::ProgramOptions::withDevice(QCoreApplication::arguments().mid(1), key);
    if (!QProcess::startDetached(QCoreApplication::applicationFilePath(), arguments))
        return QStringLiteral("Could not start the program for %1").arg(key);
    QTimer::singleShot(0, &window, &QWidget::close);
    return {};
}

} // namespace

int main(int argc, char** argv) {
    telvar::ProgramOptions options;
    QString error = options.parse(commandLine(argc, argv));
    // --help and --version answer before the window system starts, so they need no display.
    if (error.isEmpty() && (options.help || options.version))
        return answerHelpOrVersion(options);

    QApplication app(argc, argv);
    telvar::ProgramStyle::install();
    QApplication::setApplicationName(QStringLiteral("telvar"));
    QApplication::setApplicationVersion(QStringLiteral(TELVAR_VERSION));
    // Lets the desktop match the window to its installed entry, and so to its icon and name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.telvar.Telvar"));
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

    // The device is chosen before anything holds one: the state file of a virtual device, the node of a
    // real one. With several attached, --device names the one this window is for, else the last one used
    // (the first when it is not there), and each device has a window of its own.
    const QList<telvar::DeviceCandidate> there = telvar::candidateDevices(options.emulator);
    const bool several = there.size() > 1;
    std::optional<telvar::DeviceCandidate> chosen;
    QString running;
    if (options.device.isEmpty()) {
        // Whichever window runs comes forward, as with one device; with several it may keep its own.
        telvar::SingleInstance probe(options.emulator.simulate, options.emulator.stateFile);
        if (several)
            probe.acceptAnyStateFile();
        const telvar::SingleInstance::Outcome outcome = probe.raiseAnyRunning(&running);
        if (outcome != telvar::SingleInstance::Outcome::First) {
            print(stderr, QStringLiteral("telvar: %1\n").arg(running));
            return outcome == telvar::SingleInstance::Outcome::Raised ? 0 : 1;
        }
        chosen = telvar::DeviceMenu::preferred(there);
    } else {
        const telvar::DeviceChoice choice = telvar::chooseDevices(there, {options.device}, false, false);
        if (!choice.error.isEmpty()) {
            print(stderr, QStringLiteral("telvar: %1\n").arg(choice.error));
            QMessageBox::warning(nullptr, QStringLiteral("Telvar X"), choice.error);
            return choice.usage ? 2 : 1;
        }
        chosen = choice.devices.constFirst();
    }
    if (chosen && options.emulator.stateFiles.contains(chosen->path))
        options.emulator.stateFile = chosen->path;
    const QString deviceKey = several ? telvar::DeviceMenu::windowKeyOf(*chosen) : QString();

    telvar::SingleInstance instance(options.emulator.simulate, options.emulator.stateFile, deviceKey);
    switch (instance.start(&running)) {
    case telvar::SingleInstance::Outcome::First:
        break;
    case telvar::SingleInstance::Outcome::Raised:
        print(stderr, QStringLiteral("telvar: %1\n").arg(running));
        return 0;
    case telvar::SingleInstance::Outcome::Mismatch:
        print(stderr, QStringLiteral("telvar: %1\n").arg(running));
        return 1;
    case telvar::SingleInstance::Outcome::NoAnswer:
        // The copy that holds the lock cannot be brought forward: the user must find it.
        print(stderr, QStringLiteral("telvar: %1\n").arg(running));
        QMessageBox::information(nullptr, QStringLiteral("Telvar X"), running);
        return 1;
    case telvar::SingleInstance::Outcome::Refused:
        print(stderr, QStringLiteral("telvar: %1\n").arg(running));
        QMessageBox::warning(nullptr, QStringLiteral("Telvar X"), running);
        return 1;
    }

    std::unique_ptr<telvar::HidLibrary> library;
    telvar::EmulatedLibrary* emulated = nullptr;
    if (options.emulator.simulate) {
        QString error;
        auto virtualLibrary = telvar::EmulatedLibrary::create(options.emulator, &error);
        if (!virtualLibrary) {
            // Started from a menu there is no terminal to read stderr on.
            print(stderr, QStringLiteral("telvar: %1\n").arg(error));
            QMessageBox::warning(nullptr, QStringLiteral("Telvar X"), error);
            return 1;
        }
        emulated = virtualLibrary.get();
        library = std::move(virtualLibrary);
    } else {
        auto hidapi = std::make_unique<telvar::HidapiLibrary>();
        // The window keeps to the device it starts on, named or not: another one plugged in later is
        // another window's. It is found again by its serial number when it comes back at another node.
        // Started with none, the window keeps to the first one that comes.
        if (chosen)
            hidapi->chooseDevice(telvar::DeviceMenu::keyOf(*chosen));
        library = std::move(hidapi);
    }

    telvar::Mainform::Options windowOptions;
    windowOptions.dataDir = telvar::DataFolder::resolve(options.dataDir);
    windowOptions.replyLimit = options.timeout;
    windowOptions.journalPath =
        options.journal.isEmpty() ? telvar::JournalStore::defaultPath() : options.journal;
    windowOptions.teamJournal = options.teamJournal;
    windowOptions.lateStart = true;
    telvar::guardProgramFiles({windowOptions.journalPath, options.emulator.stateFiles, windowOptions.dataDir,
                               telvar::Dictionary::pathIn(windowOptions.dataDir)});
    telvar::Mainform window(*library, windowOptions);
    if (emulated)
        new telvar::VirtualDeviceControls(*emulated, window, options.emulator.speakAloud);
    if (auto* hidapi = qobject_cast<telvar::HidapiLibrary*>(library.get())) {
        QObject::connect(hidapi, &telvar::HidapiLibrary::openFailed, &window,
                         [&window](const QString& message) { window.prompter().inform(message); });
        // No box for this one: the device comes on its own once the other program lets go.
        QObject::connect(hidapi, &telvar::HidapiLibrary::inUse, &window, &telvar::Mainform::showDeviceInUse);
    }
    const auto addDeviceMenu = [&window, options](const telvar::DeviceCandidate& device) {
        telvar::DeviceMenu::remember(device);
        new telvar::DeviceMenu(
            window, device, [emulator = options.emulator] { return telvar::candidateDevices(emulator); },
            [&window, simulate = options.emulator.simulate](const telvar::DeviceCandidate& other) {
                return moveToDevice(window, simulate, other);
            });
    };
    if (chosen) {
        // A virtual device whose state file is new has its serial only now.
        if (emulated && chosen->serial.isEmpty())
            chosen->serial = emulated->device().serialNumber();
        // Nothing the first screen shows: made once the window is there.
        window.afterStartUp([addDeviceMenu, device = *chosen] { addDeviceMenu(device); });
        if (several)
            window.setDeviceName(telvar::DeviceMenu::keyOf(*chosen));
    } else {
        // Started with none, the window keeps to the first Telvar X that comes: the menu names it from then
        // on, and lists the others as they come.
        auto arrival = std::make_shared<QMetaObject::Connection>();
        *arrival = QObject::connect(
            &window.link(), &telvar::DeviceLink::plugged, &window, [&window, addDeviceMenu, arrival] {
                QObject::disconnect(*arrival);
                const telvar::DeviceLink& link = window.link();
                window.afterStartUp(
                    [addDeviceMenu, device = telvar::DeviceCandidate{link.devicePath(), link.serialNumber(),
                                                                     false}] { addDeviceMenu(device); });
            });
    }
    QObject::connect(&instance, &telvar::SingleInstance::raiseRequested, &window,
                     &telvar::Mainform::bringForward);
    // The windows of several devices start from the same kept place: each one after the first steps
    // aside, so that none hides another.
    if (several)
        window.placement().setCascade(instance.otherWindows());
    window.show();
    return app.exec();
}
