// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliContext.h"

#include "cli/InterruptSignals.h"
#include "cli/TerminalPrompter.h"
#include "cli/Verb.h"
#include "device/DeviceLink.h"
#include "device/HidapiLibrary.h"
#include "editor/Dictionary.h"
#include "emulator/EmulatedLibrary.h"
#include "emulator/EmulatorOptions.h"
#include "files/FolderLock.h"
#include "journal/JournalStore.h"
#include "pronounce/SpeechAloud.h"
#include "session/ProgramFiles.h"
#include "vocab/DataFolder.h"
#include "vocab/Vocabulary.h"
#include "vocab/VocabularyLoader.h"

#include <QCoreApplication>
#include <QCoro/QCoroSignal>
#include <QCoro/QCoroTimer>
#include <QTimer>

#include <utility>

namespace telvar::cli {

CliContext::CliContext(GlobalOptions options, QTextStream& out, QTextStream& err)
    : m_options(std::move(options)), m_out(out), m_err(err),
      m_prompter(std::make_unique<TerminalPrompter>(m_options.yes, err)) {
    // Located, not made: a verb that needs no data folder does not get one.
    const QString dataFolder = DataFolder::locate(m_options.dataDir);
    guardProgramFiles(
        {journalPath(), m_options.emulator.stateFiles, dataFolder,
         m_options.dictionary.isEmpty() ? Dictionary::pathIn(dataFolder) : m_options.dictionary});
}

CliContext::~CliContext() {
    // A verb given up on after an interrupt still has a sequence suspended on the link: it ends here.
    if (m_link)
        m_link->closeDown();
    // The link detaches before the library it talks to goes.
    m_speech.reset();
    m_link.reset();
    m_library.reset();
}

std::optional<QList<DeviceCandidate>> CliContext::chooseDevices(bool several) {
    const DeviceChoice choice = telvar::chooseDevices(candidateDevices(m_options.emulator), m_options.devices,
                                                      m_options.allDevices, several);
    if (choice.error.isEmpty())
        return choice.devices;
    m_usageRefused = choice.usage;
    fail(choice.error);
    return std::nullopt;
}

bool CliContext::chooseOne() {
    if (m_choiceMade)
        return *m_choiceMade;
    // With none there, none is chosen: the library then waits for the first that comes, and keeps to it.
    DeviceChoice choice = telvar::chooseDevices(candidateDevices(m_options.emulator), m_options.devices,
                                                m_options.allDevices, true);
    if (choice.devices.size() > 1)
        choice = {{}, QStringLiteral("this works on one Telvar X at a time; choose one with --device"), true};
    if (!choice.error.isEmpty()) {
        m_usageRefused = choice.usage;
        m_setupError = choice.error;
    } else if (!choice.devices.isEmpty())
        m_chosen = choice.devices.constFirst();
    m_choiceMade = choice.error.isEmpty();
    return *m_choiceMade;
}

HidLibrary& CliContext::library() {
    if (m_library)
        return *m_library;
    const bool chosen = chooseOne();
    if (m_options.emulator.simulate) {
        QString error;
        EmulatorOptions emulatorOptions = m_options.emulator;
        if (m_chosen && m_chosen->path != emulatorOptions.stateFile &&
            emulatorOptions.stateFiles.contains(m_chosen->path))
            emulatorOptions.stateFile = m_chosen->path;
        // A device that cannot be chosen is not set up: its state file stays as it is.
        auto emulator = chosen ? EmulatedLibrary::create(emulatorOptions, &error) : nullptr;
        if (!emulator) {
            // A damaged state file: connectDevice refuses, so nothing overwrites it.
            if (chosen)
                m_setupError = error;
            emulator = std::make_unique<EmulatedLibrary>();
        }
        m_emulator = emulator.get();
        m_library = std::move(emulator);
        if (m_options.emulator.speakAloud)
            speakAloud();
    } else {
        auto hidapi = std::make_unique<HidapiLibrary>();
        // The verb keeps to the device it starts on, named or not, and finds it again by its serial
        // number when it is unplugged and plugged in again; another one plugged in meanwhile is left
        // alone. With none there, the first one that comes is kept.
        if (m_chosen)
            hidapi->chooseDevice(m_chosen->serial.isEmpty() ? m_chosen->path : m_chosen->serial);
        m_library = std::move(hidapi);
    }
    return *m_library;
}

void CliContext::speakAloud() {
    m_speech = std::make_unique<SpeechAloud>();
    m_speech->setEnabled(true);
    m_speech->setAmplifier(m_emulator->device().amplifierOn());
    QObject::connect(m_speech.get(), &SpeechAloud::notice, m_speech.get(),
                     [this](const QString& text) { m_err << "telvarctl: " << text << Qt::endl; });
    QObject::connect(
        &m_emulator->device(), &VirtualDevice::spoke, m_speech.get(),
        [speech = m_speech.get()](const Utterance& utterance) {
            switch (utterance.kind) {
            case Utterance::Kind::Word:
                speech->hearPhrase(utterance.codes);
                break;
            case Utterance::Kind::Code:
                speech->hearCode(utterance.codes.front());
                break;
            case Utterance::Kind::Value:
                speech->hearValue(utterance.codes.front());
                break;
            case Utterance::Kind::Amplifier:
                speech->setAmplifier(utterance.address != 0);
                break;
            case Utterance::Kind::VoiceTest:
                break;
            }
        },
        Qt::QueuedConnection);
}

QCoro::Task<> CliContext::finishSpeaking() {
    if (!m_speech)
        co_return;
    // What the device said last is still on its way through the event queue.
    co_await QCoro::sleepFor(std::chrono::milliseconds(0));
    m_speech->endPhrase();
    if (!m_speech->isIdle())
        co_await waitUnlessInterrupted(m_speech.get(), &SpeechAloud::idle, kSpeechWait);
}

DeviceLink& CliContext::link() {
    if (!m_link) {
        m_link = std::make_unique<DeviceLink>(library());
        if (m_options.timeout)
            m_link->setDefaultReplyLimit(*m_options.timeout);
    }
    return *m_link;
}

QCoro::Task<bool> CliContext::connectDevice() {
    DeviceLink& deviceLink = link();
    if (!m_setupError.isEmpty()) {
        fail(m_setupError);
        co_return false;
    }
    // A library that could not start announces nothing: no use waiting for it. A device that another
    // program holds is not waited for either: that program may run for hours.
    if (!deviceLink.isAttached() && deviceLink.hidattach()) {
        WaitEnd arrivedOrRefused;
        QObject::connect(&deviceLink, &DeviceLink::plugged, &arrivedOrRefused, &WaitEnd::ended);
        if (auto* hidapiLibrary = qobject_cast<HidapiLibrary*>(m_library.get()))
            QObject::connect(hidapiLibrary, &HidapiLibrary::inUse, &arrivedOrRefused, &WaitEnd::ended);
        co_await waitUnlessInterrupted(&arrivedOrRefused, &WaitEnd::ended,
                                       std::chrono::milliseconds(kConnectWaitMs));
    }
    if (m_interrupted)
        co_return false;
    if (!deviceLink.isAttached()) {
        QString message = QStringLiteral("no Telvar X is connected");
        if (auto* hidapiLibrary = qobject_cast<HidapiLibrary*>(m_library.get());
            hidapiLibrary && !hidapiLibrary->errorString().isEmpty())
            message = hidapiLibrary->errorString();
        fail(message);
        co_return false;
    }
    // Read notification is switched on by the "changed" notification that follows the arrival.
    co_await QCoro::sleepFor(std::chrono::milliseconds(0));
    co_return true;
}

QString CliContext::dataDir() const {
    return DataFolder::resolve(m_options.dataDir);
}

QString CliContext::journalPath() const {
    return m_options.journal.isEmpty() ? JournalStore::defaultPath() : m_options.journal;
}

QString CliContext::dictionaryPath() const {
    return m_options.dictionary.isEmpty() ? Dictionary::pathIn(dataDir()) : m_options.dictionary;
}

std::optional<Dictionary> CliContext::readDictionary() {
    QString error;
    Dictionary dictionary = Dictionary::read(dictionaryPath(), &error);
    if (!error.isEmpty()) {
        fail(QStringLiteral("the dictionary cannot be read: %1").arg(error));
        return std::nullopt;
    }
    return dictionary;
}

Vocabulary* CliContext::loadVocabulary() {
    if (!m_vocabulary) {
        // The load may write the files anew; it waits its turn with any other program editing them.
        const FolderLock lock(dataDir());
        if (!lock.isLocked()) {
            fail(lock.error());
            return nullptr;
        }
        const VocabularyLoad load = VocabularyLoader::load(dataDir());
        m_vocabulary = std::make_unique<Vocabulary>();
        m_vocabulary->assign(load.tables.list1, load.tables.list3, load.tables.codes);
        m_err << load.caption() << Qt::endl;
        for (const QString& problem : load.writeErrors)
            m_err << "telvarctl: " << problem << Qt::endl;
    }
    return m_vocabulary.get();
}

void CliContext::interrupt(int signalNumber) {
    m_interrupted = true;
    if (m_link)
        m_link->cancel();
    Q_EMIT m_interruption.ended();
    QTimer::singleShot(kInterruptGrace, &m_interruption,
                       [this, signalNumber] { QCoreApplication::exit(finalStatus(128 + signalNumber)); });
}

int CliContext::finalStatus(int verbStatus) {
    if (m_usageRefused && verbStatus == kExitFailure)
        verbStatus = kExitUsage;
    // The virtual device keeps what the verb did only if its state file could be written.
    if (m_emulator && !std::exchange(m_stateChecked, true)) {
        m_emulator->device().flush();
        if (const QString problem = m_emulator->device().saveProblem(); !problem.isEmpty()) {
            fail(problem);
            if (verbStatus == kExitOk)
                verbStatus = kExitFailure;
        }
    }
    const int signalNumber = InterruptSignals::received();
    if (signalNumber == 0 || m_jobCompleted)
        return verbStatus;
    if (!m_saidCancelled) {
        m_err << "Cancelled" << Qt::endl;
        m_saidCancelled = true;
    }
    return 128 + signalNumber;
}

int CliContext::fail(const QString& message) {
    m_err << "telvarctl: " << message << Qt::endl;
    return kExitFailure;
}

int CliContext::fail(WaitResult result) {
    return fail(describe(result));
}

int CliContext::usageError(const QString& verb, const QString& message) {
    m_err << "telvarctl " << verb << ": " << message << Qt::endl
          << "Try telvarctl " << verb << " --help." << Qt::endl;
    return kExitUsage;
}

} // namespace telvar::cli
