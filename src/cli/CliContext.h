// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/GlobalOptions.h"
#include "cli/WaitEnd.h"
#include "device/Prompter.h"
#include "device/WaitResult.h"
#include "editor/Dictionary.h"
#include "emulator/DeviceCandidates.h"

#include <QCoro/QCoroSignal>
#include <QCoro/QCoroTask>
#include <QString>
#include <QTextStream>

#include <chrono>
#include <memory>
#include <optional>

namespace telvar {
class DeviceLink;
class EmulatedLibrary;
class HidLibrary;
class SpeechAloud;
class Vocabulary;
} // namespace telvar

namespace telvar::cli {

// What every verb works with: the global options, stdout and stderr, the confirmations, the device link
// (virtual or real, made on first use) and the vocabulary.
class CliContext {
public:
    // How long a verb waits for the Telvar X to be announced after connecting.
    static constexpr int kConnectWaitMs = 3000;
    // How long telvarctl waits, after the verb, for what the virtual device said to be played.
    static constexpr std::chrono::milliseconds kSpeechWait{60000};
    // How long an interrupted verb has to end on its own.
    static constexpr std::chrono::milliseconds kInterruptGrace{5000};

    CliContext(GlobalOptions options, QTextStream& out, QTextStream& err);
    ~CliContext();
    CliContext(const CliContext&) = delete;
    CliContext& operator=(const CliContext&) = delete;

    const GlobalOptions& options() const { return m_options; }
    QTextStream& out() { return m_out; }
    QTextStream& err() { return m_err; }
    Prompter& prompter() { return *m_prompter; }

    // Attaches the device link and waits until the Telvar X is there. On failure it says why on stderr
    // and returns false; the verb then exits with status 1, or 2 when several are attached and --device
    // chose none.
    QCoro::Task<bool> connectDevice();
    // The devices --device and --all-devices choose for a verb that may work on `several` (none when
    // none is attached and none was named); on failure it says why on stderr and gives nothing.
    std::optional<QList<DeviceCandidate>> chooseDevices(bool several);
    DeviceLink& link();
    // The virtual device, or null on real hardware.
    EmulatedLibrary* emulator() { return m_emulator; }

    // The folder of the word-list files: --data-dir, else the program's folder or the user's data folder.
    QString dataDir() const;
    // The session journal: --journal, else the user's own.
    QString journalPath() const;
    // The editor dictionary: --dict, else the one in the data folder.
    QString dictionaryPath() const;
    // Reads it; a missing file is an empty dictionary. One that is there but cannot be read gives
    // nothing, with the reason on stderr.
    std::optional<Dictionary> readDictionary();
    // Loads the vocabulary as the window's start-up does; says "External data loaded" or "Internal data
    // loaded" (and any file problem) on stderr. Null, with the reason on stderr, when another program
    // kept the data folder's files locked for the whole wait.
    Vocabulary* loadVocabulary();

    // With --speak-aloud: waits until what the virtual device said has been played, or kSpeechWait.
    QCoro::Task<> finishSpeaking();

    // SIGINT or SIGTERM: the running sequence is cancelled and finishes the step it must finish (the data
    // report after "W"), the verb's other waits end at once, and the verb runs to its end; telvarctl then
    // ends, saying "Cancelled", with status 128 + the signal number. A verb that has not ended within
    // kInterruptGrace is not waited for.
    void interrupt(int signalNumber);
    bool interrupted() const { return m_interrupted; }
    // Waits for `signal` of `sender`, for at most `limit` (none when negative), or until an interrupt;
    // `interrupted()` tells which.
    template <typename T, typename Signal>
    QCoro::Task<> waitUnlessInterrupted(T* sender, Signal signal,
                                        std::chrono::milliseconds limit = std::chrono::milliseconds(-1)) {
        if (m_interrupted)
            co_return;
        WaitEnd end;
        QObject::connect(sender, signal, &end, &WaitEnd::ended);
        QObject::connect(&m_interruption, &WaitEnd::ended, &end, &WaitEnd::ended);
        co_await qCoro(&end, &WaitEnd::ended, limit);
    }
    // The verb's job ran to its end although an interrupt came: one that came in its last step (the
    // upload's last pause, the pause after the last word sent to the unit) stopped nothing, so
    // telvarctl ends as the job did, without "Cancelled".
    void jobCompleted() { m_jobCompleted = true; }
    // The status to end with once the verb returned `verbStatus`: a failure when the virtual device's
    // state file could not be saved.
    int finalStatus(int verbStatus);

    // "telvarctl: MESSAGE" on stderr; returns the failure status.
    int fail(const QString& message);
    // A wait that did not end on its reply: its reason on stderr; returns the failure status.
    int fail(WaitResult result);
    // A usage error: the message and a hint on stderr; returns the usage status.
    int usageError(const QString& verb, const QString& message);

private:
    HidLibrary& library();
    // The one device a verb works on, chosen once; false (said on stderr) when none can be.
    bool chooseOne();
    void speakAloud();

    GlobalOptions m_options;
    QTextStream& m_out;
    QTextStream& m_err;
    std::unique_ptr<Prompter> m_prompter;
    std::unique_ptr<HidLibrary> m_library;
    EmulatedLibrary* m_emulator = nullptr;
    QString m_setupError; // why the virtual device could not be set up
    std::optional<DeviceCandidate> m_chosen;
    std::optional<bool> m_choiceMade;
    bool m_usageRefused = false; // the device words were off: exit 2
    std::unique_ptr<DeviceLink> m_link;
    std::unique_ptr<Vocabulary> m_vocabulary;
    std::unique_ptr<SpeechAloud> m_speech;
    WaitEnd m_interruption;
    bool m_interrupted = false;
    bool m_saidCancelled = false;
    bool m_jobCompleted = false;
    bool m_stateChecked = false;
};

} // namespace telvar::cli
