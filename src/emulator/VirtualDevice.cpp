// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/VirtualDevice.h"

#include "device/Commands.h"
#include "device/Timings.h"
#include "emulator/StateFile.h"
#include "files/FileIdentity.h"
#include "pronounce/ControlCodes.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>

#include <algorithm>

Q_LOGGING_CATEGORY(lcEmulator, "telvar.emulator", QtWarningMsg)

namespace telvar {

namespace {
quint8 low(int value) {
    return static_cast<quint8>(value % 256);
}
quint8 high(int value) {
    return static_cast<quint8>(value / 256);
}
} // namespace

VirtualDevice::VirtualDevice(QObject* parent) : QObject(parent), m_state(DeviceState::factory()) {
    // Without a state file the device is a new one for every run.
    m_state.serial = DeviceState::freshSerial();
    seedWalk();
    qRegisterMetaType<telvar::Utterance>();
    m_elapsed.start();
    // Its idle spells run as fast as the program's periods, so shortened timings shorten both sides.
    m_clock = [this] { return m_elapsed.elapsed() * Timings::divisor(); };
}

VirtualDevice::~VirtualDevice() {
    m_worker.stop();
    const QString error = flush();
    if (!error.isEmpty())
        qCWarning(lcEmulator).noquote() << error;
}

// --- Set-up ---------------------------------------------------------------------------------------------

QString VirtualDevice::stateFileHolder(const QString& path) {
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return {};
    IdentityLock lock(path);
    return lock.acquire(std::chrono::milliseconds(0)) == ProcessLock::Outcome::HeldByOther ? lock.holder()
                                                                                           : QString();
}

QString VirtualDevice::openStateFile(const QString& path) {
    bool missing = false;
    QString error;
    // Something that is not a file is refused by the load; no lock file is made beside a device node.
    // Opening the file this device holds already needs no second lock.
    std::unique_ptr<IdentityLock> stateLock;
    const QFileInfo info(path);
    if ((!m_stateLock || m_stateLock->place() != fileidentity::placeOf(path)) &&
        (!info.exists() || info.isFile())) {
        stateLock = std::make_unique<IdentityLock>(path);
        // Two programs on one file would each save their own copy and lose the other's changes.
        switch (stateLock->acquire(Timings::scaled(kStateFileWait))) {
        case ProcessLock::Outcome::HeldByOther:
            return QStringLiteral("the virtual device's state file %1 is in use by %2")
                .arg(QDir::toNativeSeparators(path), stateLock->holder());
        case ProcessLock::Outcome::NotALockFile:
            return stateLock->error();
        case ProcessLock::Outcome::Held:
        case ProcessLock::Outcome::NoLockFile:
            break;
        }
    }
    std::optional<DeviceState> loaded = StateFile::load(path, &missing, &error);
    if (!loaded)
        return error;
    // A device keeps its serial from its first run on: a file that names none is given one, saved with
    // the next save (a file that cannot be written still opens).
    const bool unnamed = loaded->serial.isEmpty();
    if (unnamed)
        loaded->serial = DeviceState::freshSerial();
    if (missing) {
        error = StateFile::save(path, StateFile::toJson(*loaded));
        if (!error.isEmpty())
            return error;
    }
    std::lock_guard fileLock(m_fileMutex);
    std::lock_guard lock(m_mutex);
    const bool renamed = loaded->serial != m_state.serial;
    m_state = std::move(*loaded);
    m_stateFile = path;
    if (renamed)
        seedWalk();
    if (stateLock)
        m_stateLock = std::move(stateLock);
    // The file made just now is the one to hold.
    if (missing && m_stateLock)
        m_stateLock->follow();
    m_dirty = unnamed && !missing;
    return {};
}

void VirtualDevice::setSensorScript(const SensorScript& script) {
    std::lock_guard lock(m_mutex);
    m_script = script;
}

void VirtualDevice::setSensorSeed(quint32 seed) {
    std::lock_guard lock(m_mutex);
    m_script.reset();
    m_seed = seed;
    seedWalk();
}

void VirtualDevice::seedWalk() {
    m_walk = SensorWalk(SensorWalk::seedFor(m_state.serial, m_seed));
}

void VirtualDevice::setFaults(const FaultSet& faults) {
    std::lock_guard lock(m_mutex);
    m_faults = faults;
}

void VirtualDevice::setLatency(std::chrono::milliseconds latency) {
    std::lock_guard lock(m_mutex);
    m_latency = latency;
}

void VirtualDevice::setUnitCapacity(int words) {
    std::lock_guard lock(m_mutex);
    m_unit.setCapacity(words);
}

void VirtualDevice::setUnitPace(std::chrono::milliseconds pace) {
    std::lock_guard lock(m_mutex);
    m_unitPace = pace;
}

void VirtualDevice::setTransferIdle(std::chrono::milliseconds idle) {
    std::lock_guard lock(m_mutex);
    m_unit.setIdleMs(idle.count());
}

qint64 VirtualDevice::deviceMs(std::chrono::milliseconds real) {
    return real.count() * Timings::divisor();
}

void VirtualDevice::setClock(MsecClock clock) {
    std::lock_guard lock(m_mutex);
    m_clock = std::move(clock);
}

void VirtualDevice::setState(const DeviceState& state) {
    std::lock_guard lock(m_mutex);
    const QString serial = m_state.serial;
    m_state = state;
    // Programming the memories leaves the device's identity alone unless the state names another.
    if (m_state.serial.isEmpty())
        m_state.serial = serial;
    else if (m_state.serial != serial)
        seedWalk();
    markDirty();
}

// --- The bus side ---------------------------------------------------------------------------------------

bool VirtualDevice::receive(const quint8* bytes) {
    QList<Utterance> said;
    bool leave = false;
    {
        std::lock_guard lock(m_mutex);
        if (!m_powered || (m_faults.refuseAfter() && m_received >= *m_faults.refuseAfter()))
            return false;
        Report report;
        std::copy_n(bytes, report.size(), report.begin());
        if (m_history.size() >= kReportHistoryLength)
            m_history.removeFirst();
        m_history.append(report);
        ++m_received;
        interpret(report, said);
        for (const Utterance& utterance : said) {
            if (m_speech.size() >= kSpeechLogLength)
                m_speech.removeFirst();
            m_speech.append(utterance);
        }
        // The report that reaches the count is taken, but the device is gone before it can answer.
        leave = m_leaving || (m_faults.unplugAfter() && m_received == *m_faults.unplugAfter());
        m_leaving = false;
    }
    for (const Utterance& utterance : said)
        Q_EMIT spoke(utterance);
    if (leave)
        Q_EMIT leaving();
    return true;
}

void VirtualDevice::interpret(const Report& report, QList<Utterance>& said) {
    const qint64 now = m_clock();
    if (m_unit.inTransfer(now)) {
        if (m_faults.unitSilent()) {
            m_unit.hang();
            return;
        }
        // Only a completed word changes what the unit holds. The device answers once the unit has taken
        // the word, at the unit's pace, which runs as fast as the program's periods.
        if (const auto reply = m_unit.takeCharacter(m_state, report[1], now)) {
            const auto pace = m_faults.unitPace().value_or(m_unitPace);
            const auto delay = m_faults.delay() + Timings::scaled(pace);
            m_unit.replyLeavesAt(now + deviceMs(m_latency + delay));
            // A unit of another make may answer other values for "more"; only the stop value is the
            // unit's own.
            const quint8 value =
                *reply == ExternalUnit::kFull ? *reply : m_faults.unitReply().value_or(*reply);
            send({value}, delay);
            markDirty();
        }
        return;
    }
    if (m_expectData) {
        // The raw report after "W": eight bytes at the address; what lies past the memory is lost.
        m_expectData = false;
        for (int i = 0; i < DeviceState::kWordSize && m_address + i < m_state.wordMemory.size(); ++i)
            m_state.wordMemory[m_address + i] = static_cast<char>(report[1 + i]);
        m_address = static_cast<quint16>(m_address + DeviceState::kWordSize);
        markDirty();
        return;
    }
    command(report, said);
}

void VirtualDevice::command(const Report& report, QList<Utterance>& said) {
    const char letter = static_cast<char>(report[1]);
    const int argument = report[2] + 256 * report[3];
    if (letter != Command::UnitCommand)
        m_unit.endCommand();

    switch (letter) {
    case Command::SetAddress:
        m_address = static_cast<quint16>(argument);
        answer(letter, {quint8(letter)});
        break;
    case Command::WriteConfig:
        if (report[2] < DeviceState::kConfigSize) {
            m_state.config[report[2]] = report[3];
            markDirty();
        }
        answer(letter, {quint8(letter)});
        break;
    case Command::ReadConfig:
        answer(letter, {quint8(letter),
                        report[2] < DeviceState::kConfigSize ? m_state.config[report[2]] : quint8(0)});
        break;
    case Command::ReadSensor: {
        // Readings are combined by the program as low + 255 * high.
        const auto r = readSensor();
        answer(letter, {quint8(letter), quint8(r[0] % 255), quint8(r[0] / 255), quint8(r[1] % 255),
                        quint8(r[1] / 255), quint8(r[2] % 255), quint8(r[2] / 255)});
        break;
    }
    case Command::SyncMode:
    case Command::DictionaryMode:
    case Command::PhoneticMode:
    case Command::ReversePhoneticMode:
    case Command::TouchMode:
    case Command::WhiteNoiseMode:
        m_mode = letter;
        break;
    case Command::SayLastWords: {
        const int newest = m_state.recordEmpty() ? -1 : m_state.spokenCount();
        for (int n = std::max(0, newest + 1 - kLastWordsRepeated); n <= newest; ++n) {
            const quint16 entry = m_state.record[n % DeviceState::kRecordSlots];
            if (entry != DeviceState::kErased)
                said.append(speak(entry));
        }
        break;
    }
    case Command::AmplifierOn:
    case Command::AmplifierOff:
        m_amplifier = letter == Command::AmplifierOn;
        said.append({Utterance::Kind::Amplifier, m_amplifier ? 1 : 0, {}});
        break;
    case Command::VoiceTest:
        said.append({Utterance::Kind::VoiceTest, report[2], {}});
        break;
    case Command::ReadMemory: {
        const quint16 entry = m_state.readRecord(argument);
        answer(letter, {low(entry), high(entry)});
        break;
    }
    case Command::Speak:
        said.append(speak(m_address));
        m_state.recordSpoken(m_address);
        markDirty();
        break;
    case Command::SpeechByte: {
        const auto kind = m_chipValueDue ? Utterance::Kind::Value : Utterance::Kind::Code;
        m_chipValueDue = kind == Utterance::Kind::Code && ControlCodes::takesValue(report[2]);
        said.append({kind, 0, QByteArray(1, static_cast<char>(report[2]))});
        break;
    }
    case Command::WriteMemory:
        m_expectData = true;
        answer(letter, {quint8(letter)});
        break;
    case Command::ClearMemory:
        m_state.eraseRecord();
        markDirty();
        answer(letter, {quint8(letter)});
        break;
    case Command::FirmwareVersion: {
        const auto& v = m_state.firmware;
        answer(letter, {quint8(letter), v[0], v[1], v[2], v[3], v[4], v[5]});
        break;
    }
    case Command::UnitTransfer: {
        const qint64 now = m_clock();
        m_unit.startTransfer(m_state, now);
        // A late reply to "v" is the device still busy: its idle spell starts once the reply has left.
        m_unit.replyLeavesAt(now + deviceMs(m_latency + m_faults.delay(letter)));
        markDirty();
        answer(letter, {quint8(letter)});
        break;
    }
    case Command::UnitCommand:
        m_unit.takeCommandCharacter(m_state, report[2], m_clock());
        markDirty();
        break;
    case Command::BootLoader:
        m_leaving = true;
        break;
    case Command::FactoryVoice:
        m_state.restoreFactoryVoiceAndGain();
        markDirty();
        break;
    default:
        // "d" (gain and offset stored) and anything unknown: taken, nothing to do, no reply.
        break;
    }
}

Utterance VirtualDevice::speak(quint16 address) const {
    QByteArray codes;
    for (int i = address; i < address + DeviceState::kWordSize && i < m_state.wordMemory.size(); ++i) {
        if (static_cast<quint8>(m_state.wordMemory[i]) == DeviceState::kPad)
            break;
        codes.append(m_state.wordMemory[i]);
    }
    return {Utterance::Kind::Word, address, codes};
}

std::array<int, 3> VirtualDevice::readSensor() {
    if (m_script)
        return m_script->next();
    return m_walk.next();
}

void VirtualDevice::answer(char letter, std::initializer_list<quint8> data) {
    if (m_faults.drops(letter))
        return;
    send(data, m_faults.delay(letter));
}

void VirtualDevice::send(std::initializer_list<quint8> data, std::chrono::milliseconds delay) {
    QByteArray report(9, '\0');
    std::copy_n(data.begin(), std::min<std::size_t>(data.size(), 8), report.begin() + 1);
    const quint64 session = m_session;
    m_worker.post(m_latency + delay, [this, report, session] { Q_EMIT replied(report, session); });
}

void VirtualDevice::powerOn() {
    std::lock_guard lock(m_mutex);
    if (m_powered)
        return;
    m_powered = true;
    ++m_session;
    m_address = 0;
    m_mode = kFirstMode;
    const auto modes =
        std::pair(m_state.config[DeviceState::ModesLow], m_state.config[DeviceState::ModesHigh]);
    m_state.restoreAllModes();
    if (modes != std::pair(m_state.config[DeviceState::ModesLow], m_state.config[DeviceState::ModesHigh]))
        markDirty();
}

void VirtualDevice::powerOff() {
    {
        std::lock_guard lock(m_mutex);
        if (!m_powered)
            return;
        m_powered = false;
        ++m_session;
        m_expectData = false;
        m_unit.reset();
    }
    const QString error = flush();
    if (!error.isEmpty())
        Q_EMIT saveFailed(error);
}

quint64 VirtualDevice::session() const {
    std::lock_guard lock(m_mutex);
    return m_session;
}

// --- Looking inside -------------------------------------------------------------------------------------

QString VirtualDevice::serialNumber() const {
    std::lock_guard lock(m_mutex);
    return m_state.serial;
}

DeviceState VirtualDevice::state() const {
    std::lock_guard lock(m_mutex);
    return m_state;
}

quint8 VirtualDevice::configByte(int number) const {
    std::lock_guard lock(m_mutex);
    return m_state.config.at(number);
}

QByteArray VirtualDevice::wordMemory(int address, int length) const {
    std::lock_guard lock(m_mutex);
    return m_state.wordMemory.mid(address, length);
}

quint16 VirtualDevice::readRecord(int address) const {
    std::lock_guard lock(m_mutex);
    return m_state.readRecord(address);
}

QStringList VirtualDevice::unitWords() const {
    std::lock_guard lock(m_mutex);
    return m_state.unitWords;
}

QStringList VirtualDevice::unitCommands() const {
    std::lock_guard lock(m_mutex);
    return m_state.unitCommands;
}

QList<Utterance> VirtualDevice::speechLog() const {
    std::lock_guard lock(m_mutex);
    return m_speech;
}

QList<VirtualDevice::Report> VirtualDevice::receivedReports() const {
    std::lock_guard lock(m_mutex);
    return m_history;
}

quint16 VirtualDevice::address() const {
    std::lock_guard lock(m_mutex);
    return m_address;
}

char VirtualDevice::mode() const {
    std::lock_guard lock(m_mutex);
    return m_mode;
}

bool VirtualDevice::amplifierOn() const {
    std::lock_guard lock(m_mutex);
    return m_amplifier;
}

bool VirtualDevice::awaitingWordData() const {
    std::lock_guard lock(m_mutex);
    return m_expectData;
}

bool VirtualDevice::inTransferMode() const {
    std::lock_guard lock(m_mutex);
    return m_unit.inTransfer(m_clock());
}

// --- Saving ---------------------------------------------------------------------------------------------

// Called with m_mutex held. An upload changes the memory 2055 times in a row: the changes are gathered and
// written at most every kSaveCoalescing, and power-off and destruction write whatever is left.
void VirtualDevice::markDirty() {
    m_dirty = true;
    if (m_stateFile.isEmpty() || m_saveScheduled)
        return;
    m_saveScheduled = true;
    m_worker.post(kSaveCoalescing, [this] {
        const QString error = saveIfDirty();
        if (!error.isEmpty())
            Q_EMIT saveFailed(error);
    });
}

QString VirtualDevice::flush() {
    return saveIfDirty();
}

QString VirtualDevice::saveProblem() const {
    std::lock_guard fileLock(m_fileMutex);
    return m_saveProblem;
}

QString VirtualDevice::saveIfDirty() {
    QByteArray json;
    QString path;
    quint64 snapshot = 0;
    {
        std::lock_guard lock(m_mutex);
        m_saveScheduled = false;
        if (!m_dirty || m_stateFile.isEmpty())
            return {};
        json = StateFile::toJson(m_state);
        path = m_stateFile;
        m_dirty = false;
        snapshot = ++m_snapshot;
    }
    std::lock_guard fileLock(m_fileMutex);
    if (snapshot <= m_written)
        return {};
    const QString error = StateFile::save(path, json);
    m_saveProblem = error;
    if (error.isEmpty() && m_stateLock)
        m_stateLock->follow(); // the rename made a new file of it
    if (error.isEmpty()) {
        m_written = snapshot;
        m_lastSaveFailed = false;
        return {};
    }
    {
        std::lock_guard lock(m_mutex);
        m_dirty = true; // try again with the next change or at power-off
    }
    // Say it once, not at every one of the changes that follow; the owner shows it (title bar, stderr).
    const bool repeated = std::exchange(m_lastSaveFailed, true);
    qCDebug(lcEmulator).noquote() << error;
    return repeated ? QString() : error;
}

} // namespace telvar
