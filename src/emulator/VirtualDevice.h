// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "emulator/DeviceState.h"
#include "emulator/ExternalUnit.h"
#include "emulator/FaultSet.h"
#include "emulator/SensorScript.h"
#include "emulator/SensorWalk.h"
#include "emulator/TimedWorker.h"
#include "emulator/Utterance.h"
#include "files/IdentityLock.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace telvar {

// The virtual Telvar X: it takes output reports, keeps its memories and settings, speaks into a log and
// answers the commands the program waits for ("A", "B", "C", "D", "R", "W", "Y", "Z", "v", and one reply
// per word of the external-unit transfer). Every other command is carried out without a reply.
//
// Reports are taken on the caller's thread, in order; replies leave from a worker thread after the latency
// (plus any delay fault) through `replied`. Every method may be called from any thread.
class VirtualDevice : public QObject {
    Q_OBJECT
public:
    using Report = std::array<quint8, 9>; // byte 0 report id, bytes 1-8 data
    using MsecClock = std::function<qint64()>;

    static constexpr int kSpeechLogLength = 1000;
    static constexpr int kReportHistoryLength = 50000;
    static constexpr std::chrono::milliseconds kSaveCoalescing{200};
    static constexpr int kLastWordsRepeated = 10; // "X" says this many of the newest recorded words
    // A device that powers up is in dictionary mode.
    static constexpr char kFirstMode = 'G';
    // How long a device waits for another program to let go of its state file, scaled like the periods.
    static constexpr std::chrono::milliseconds kStateFileWait{2000};

    explicit VirtualDevice(QObject* parent = nullptr);
    ~VirtualDevice() override;

    // --- Set-up -------------------------------------------------------------------------------------------
    // Loads the state from the file, or creates the file with the factory state when it does not exist.
    // From then on every change is saved there. The file is this device's alone until the device goes
    // (an IdentityLock: by any name, link or hard link): while another program uses it, this waits
    // kStateFileWait and then gives up saying who holds it. Returns an error text (nothing is changed on
    // error).
    QString openStateFile(const QString& path);
    // Who uses the state file now, "PROGRAM (process N)"; empty when nobody does.
    static QString stateFileHolder(const QString& path);
    void setSensorScript(const SensorScript& script);
    // Back to the wandering sensor, which this seed mixes with the device's serial.
    void setSensorSeed(quint32 seed);
    void setFaults(const FaultSet& faults);
    void setLatency(std::chrono::milliseconds latency);
    void setUnitCapacity(int words);
    // How long the external unit takes over a word (the unit-pace fault overrides it), and how long the
    // device stays in transfer mode without a character or a reply of its own. Both are this model's
    // guesses; tests vary them.
    void setUnitPace(std::chrono::milliseconds pace);
    void setTransferIdle(std::chrono::milliseconds idle);
    // The device's own clock for idle spells (milliseconds, monotonic); tests step it by hand.
    void setClock(MsecClock clock);
    // Replaces the whole state, as if the memories had been programmed; saved like any change.
    void setState(const DeviceState& state);

    // --- The bus side -------------------------------------------------------------------------------------
    // One output report: byte 0 the report id, bytes 1-8 the data. False when the device does not take it:
    // it has no power, or a refuse-after fault has used up its count.
    bool receive(const quint8* report);
    void powerOn();
    // Replies still on their way are lost; the state file is brought up to date.
    void powerOff();
    // Changes at every power on and off; a reply carries the session it was made in.
    quint64 session() const;

    // --- Looking inside -----------------------------------------------------------------------------------
    DeviceState state() const;
    // What the device reports on the bus as its serial number; kept in the state file.
    QString serialNumber() const;
    // The state file given to openStateFile; empty for a device kept in memory.
    const QString& stateFile() const { return m_stateFile; }
    quint8 configByte(int number) const;
    QByteArray wordMemory(int address, int length) const;
    quint16 readRecord(int address) const;
    QStringList unitWords() const;
    QStringList unitCommands() const;
    QList<Utterance> speechLog() const;
    QList<Report> receivedReports() const; // the newest kReportHistoryLength
    quint16 address() const;
    char mode() const;
    bool amplifierOn() const;
    bool inTransferMode() const;
    // After "W": the next report is taken as eight bytes of word data, whatever it holds.
    bool awaitingWordData() const;

    // Saves the state file now if anything changed since the last save. Returns an error text.
    QString flush();
    // Why the last save of the state file failed; empty once a save has succeeded again.
    QString saveProblem() const;

Q_SIGNALS:
    // A reply leaves the device; emitted on the worker thread.
    void replied(const QByteArray& report, quint64 session);
    void spoke(const telvar::Utterance& utterance);
    // The device drops off the bus by itself (boot loader, unplug-after fault).
    void leaving();
    void saveFailed(const QString& error);

private:
    void interpret(const Report& report, QList<Utterance>& said);
    void command(const Report& report, QList<Utterance>& said);
    void answer(char letter, std::initializer_list<quint8> data);
    void send(std::initializer_list<quint8> data, std::chrono::milliseconds delay);
    Utterance speak(quint16 address) const;
    void say(const Utterance& utterance, QList<Utterance>& said);
    std::array<int, 3> readSensor();
    // A real period on the bus as it counts on the device's clock, which runs at the shortened pace.
    static qint64 deviceMs(std::chrono::milliseconds real);
    // Starts the wandering sensor afresh for the serial the device has now.
    void seedWalk();
    void markDirty();
    QString saveIfDirty();

    mutable std::mutex m_mutex;
    DeviceState m_state;
    ExternalUnit m_unit;
    std::optional<SensorScript> m_script;
    quint32 m_seed = SensorWalk::kDefaultSeed;
    SensorWalk m_walk{SensorWalk::kDefaultSeed}; // seeded with the serial as soon as there is one
    FaultSet m_faults;
    std::chrono::milliseconds m_latency{1};
    std::chrono::milliseconds m_unitPace{ExternalUnit::kDefaultPaceMs};
    QElapsedTimer m_elapsed;
    MsecClock m_clock;

    bool m_powered = true;
    quint64 m_session = 1;
    quint16 m_address = 0;
    bool m_expectData = false;
    char m_mode = kFirstMode;
    bool m_amplifier = true;
    // The last byte passed to the speech chip was a control code that takes the next byte as its value.
    bool m_chipValueDue = false;
    bool m_leaving = false;
    qint64 m_received = 0;
    QList<Report> m_history;
    QList<Utterance> m_speech;

    QString m_stateFile;
    std::unique_ptr<IdentityLock> m_stateLock; // replaced under m_fileMutex, followed after each save
    bool m_dirty = false;
    bool m_saveScheduled = false;
    bool m_lastSaveFailed = false;
    quint64 m_snapshot = 0;
    mutable std::mutex m_fileMutex; // one writer of the state file at a time, newest snapshot last
    quint64 m_written = 0;
    QString m_saveProblem;

    TimedWorker m_worker;
};

} // namespace telvar
