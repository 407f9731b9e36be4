// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SetupController.h"

#include "device/DeviceLink.h"
#include "device/ScreenAction.h"
#include "device/ScreenHost.h"
#include "settings/AutoTune.h"
#include "settings/AutoTuneGroup.h"
#include "settings/DeviceInformationRead.h"
#include "settings/EnergyRateGroup.h"
#include "settings/MaintenanceCommands.h"
#include "settings/MaintenanceGroup.h"
#include "settings/RateSave.h"
#include "settings/SensitivityGroup.h"
#include "settings/SensitivitySave.h"
#include "settings/SettingSlider.h"
#include "settings/SettingsRead.h"
#include "settings/SetupScreen.h"
#include "settings/VoiceGroup.h"
#include "settings/VoiceSequence.h"

#include <QCoro/QCoroSignal>
#include <QPlainTextEdit>

namespace telvar {

namespace {
// A screen read lets go within a few replies, a stopped auto-tune at its next step; a save the auto-tune had
// begun takes two one-second waits.
constexpr std::chrono::milliseconds kLetGoLimit{3000};
} // namespace

SetupController::SetupController(ScreenHost& host, SetupScreen* screen, QPlainTextEdit* aboutText)
    : QObject(screen), m_host(host), m_screen(screen), m_aboutText(aboutText) {
    connect(screen, &SetupScreen::saveSensitivityRequested, this,
            [this] { runScreenAction(m_host, saveSensitivity()); });
    connect(screen, &SetupScreen::testVoiceRequested, this, [this] { runScreenAction(m_host, testVoice()); });
    connect(screen, &SetupScreen::saveVoiceRequested, this, [this] { runScreenAction(m_host, saveVoice()); });
    connect(screen, &SetupScreen::defaultVoiceRequested, this,
            [this] { runScreenAction(m_host, defaultVoice()); });
    connect(screen, &SetupScreen::saveRateRequested, this, [this] { runScreenAction(m_host, saveRate()); });
    connect(screen, &SetupScreen::autoTuneRequested, this, [this] { runScreenAction(m_host, autoTune()); });
    connect(screen, &SetupScreen::powerSaveClicked, this,
            [this](bool on) { runScreenAction(m_host, powerSave(on)); });
    connect(screen, &SetupScreen::firmwareRequested, this,
            [this] { runScreenAction(m_host, firmwareVersion()); });
    connect(screen, &SetupScreen::factoryDefaultsRequested, this,
            [this] { runScreenAction(m_host, factoryDefaults()); });
    connect(screen, &SetupScreen::bootLoaderRequested, this,
            [this] { runScreenAction(m_host, bootLoader()); });
    connect(screen, &SetupScreen::amplifierClicked, this,
            [this](bool on) { runScreenAction(m_host, amplifier(on)); });
}

void SetupController::follow(DeviceSequence& job) {
    connect(&job, &DeviceSequence::statusChanged, this,
            [this](const QString& text) { m_host.setStatus(text); });
}

void SetupController::showPleaseWait(DeviceSequence& job) {
    connect(&job, &DeviceSequence::begun, this, [this] { m_host.setPleaseWaitVisible(true); });
}

void SetupController::endPleaseWait(const SequenceOutcome& outcome) {
    if (outcome.status != SequenceOutcome::Status::Busy)
        m_host.setPleaseWaitVisible(false);
}

QCoro::Task<> SetupController::letOwnJobsFinish() {
    if ((m_autoTune || m_screenRead) && m_host.link().sequenceRunning())
        co_await qCoro(&m_host.link(), &DeviceLink::sequenceEnded, kLetGoLimit);
}

void SetupController::setupLeft() {
    if (m_autoTune && m_autoTune->sampling())
        m_host.link().cancel();
}

QCoro::Task<> SetupController::readSettings() {
    // Selecting the screen again during a run must not read over the run's own device.
    if (m_autoTune)
        co_return;
    const QPointer<SetupController> self(this);
    co_await letOwnJobsFinish();
    if (!self)
        co_return;
    SettingsRead job(m_host.link());
    m_screenRead = &job;
    follow(job);
    connect(&job, &DeviceSequence::begun, m_screen, &SetupScreen::readBegun);
    connect(&job, &SettingsRead::valueRead, m_screen, &SetupScreen::apply);
    const SequenceOutcome outcome = co_await job.run();
    if (self && outcome.status != SequenceOutcome::Status::Busy)
        m_screen->readEnded(outcome.completed());
}

QCoro::Task<> SetupController::showDeviceInformation() {
    const QPointer<SetupController> self(this);
    co_await letOwnJobsFinish();
    if (!self)
        co_return;
    DeviceInformationRead job(m_host.link());
    m_screenRead = &job;
    follow(job);
    // The text box shows a line per line end; the device's text ends its lines in CR LF.
    connect(&job, &DeviceInformationRead::textChanged, m_aboutText, [this](const QString& text) {
        QString lines = text;
        m_aboutText->setPlainText(lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    });
    co_await job.run();
}

QCoro::Task<> SetupController::saveSensitivity() {
    const QPointer<SetupController> self(this);
    SensitivitySave job(m_host.link());
    follow(job);
    showPleaseWait(job);
    const SequenceOutcome outcome = co_await job.run(m_screen->sensitivity()->gain()->value(),
                                                     m_screen->sensitivity()->offset()->value());
    if (self)
        endPleaseWait(outcome);
}

QCoro::Task<> SetupController::testVoice() {
    VoiceSequence job(m_host.link());
    follow(job);
    co_await job.test(m_screen->voice()->voice());
}

QCoro::Task<> SetupController::saveVoice() {
    VoiceSequence job(m_host.link());
    follow(job);
    co_await job.save(m_screen->voice()->voice());
}

QCoro::Task<> SetupController::defaultVoice() {
    VoiceSequence job(m_host.link());
    follow(job);
    co_await job.restoreDefault();
}

QCoro::Task<> SetupController::saveRate() {
    const QPointer<SetupController> self(this);
    RateSave job(m_host.link());
    follow(job);
    showPleaseWait(job);
    const SequenceOutcome outcome = co_await job.run(m_screen->energyRate()->rate());
    if (self)
        endPleaseWait(outcome);
}

QCoro::Task<> SetupController::autoTune() {
    const QPointer<SetupController> self(this);
    AutoTuneGroup* group = m_screen->autoTune();
    AutoTune job(m_host.link());
    m_autoTune = &job;
    follow(job);
    // The passes show on the gauge and the pass label; the please-wait frame is for the save at the end.
    connect(&job, &AutoTune::sampleTaken, group, &AutoTuneGroup::showSample);
    connect(&job, &AutoTune::suggested, group, &AutoTuneGroup::showSuggestion);
    connect(&job, &AutoTune::saving, this, [this](const AutoTuneSuggestion& suggestion) {
        m_screen->sensitivity()->gain()->setValue(suggestion.gain);
        m_screen->sensitivity()->offset()->setValue(suggestion.offset);
        m_host.setPleaseWaitVisible(true);
    });
    group->setRunning(true);
    const SequenceOutcome outcome = co_await job.run(group->setWhenDone());
    if (!self)
        co_return;
    group->setRunning(false);
    endPleaseWait(outcome);
    // The suggestion it saved is on the sliders now.
    m_screen->refreshSaves();
}

QCoro::Task<> SetupController::powerSave(bool on) {
    const QPointer<SetupController> self(this);
    MaintenanceCommands job(m_host.link(), m_host.prompter());
    follow(job);
    const SequenceOutcome outcome = co_await job.powerSave(on);
    // The box goes back to what the device was last told.
    if (self && !outcome.completed())
        m_screen->autoTune()->setPowerSave(!on);
}

QCoro::Task<> SetupController::firmwareVersion() {
    MaintenanceCommands job(m_host.link(), m_host.prompter());
    follow(job);
    connect(&job, &MaintenanceCommands::versionRead, m_screen->maintenance(),
            &MaintenanceGroup::setInformation);
    co_await job.firmwareVersion();
}

QCoro::Task<> SetupController::factoryDefaults() {
    MaintenanceCommands job(m_host.link(), m_host.prompter());
    follow(job);
    co_await job.factoryDefaults();
}

QCoro::Task<> SetupController::bootLoader() {
    MaintenanceCommands job(m_host.link(), m_host.prompter());
    follow(job);
    co_await job.bootLoader();
}

QCoro::Task<> SetupController::amplifier(bool on) {
    const QPointer<SetupController> self(this);
    MaintenanceCommands job(m_host.link(), m_host.prompter());
    follow(job);
    const SequenceOutcome outcome = co_await job.amplifier(on);
    if (self && !outcome.completed())
        m_screen->maintenance()->setAmplifier(!on);
}

} // namespace telvar
