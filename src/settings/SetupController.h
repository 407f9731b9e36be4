// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/SequenceOutcome.h"

#include <QCoro/QCoroTask>
#include <QObject>
#include <QPointer>

class QPlainTextEdit;

namespace telvar {

class AutoTune;
class DeviceSequence;
class ScreenHost;
class SetupScreen;

// Runs the device sequences of the SET UP screen and fills the About screen's text. The screen only
// shows and asks; this answers its requests through the host's link, prompter, title bar and please-wait
// frame. It is a child of the screen, so it goes with it.
class SetupController : public QObject {
    Q_OBJECT
public:
    SetupController(ScreenHost& host, SetupScreen* screen, QPlainTextEdit* aboutText);

    // The SET UP screen was selected: the sliders are read from the device.
    QCoro::Task<> readSettings();
    // The About screen was selected: its text is read from the device.
    QCoro::Task<> showDeviceInformation();
    // Another screen was selected: an auto-tune run that is still sampling stops.
    void setupLeft();

private:
    QCoro::Task<> saveSensitivity();
    QCoro::Task<> testVoice();
    QCoro::Task<> saveVoice();
    QCoro::Task<> defaultVoice();
    QCoro::Task<> saveRate();
    QCoro::Task<> autoTune();
    QCoro::Task<> powerSave(bool on);
    QCoro::Task<> firmwareVersion();
    QCoro::Task<> factoryDefaults();
    QCoro::Task<> bootLoader();
    QCoro::Task<> amplifier(bool on);

    // The job's title texts go to the title bar.
    void follow(DeviceSequence& job);
    // The please-wait frame is up from the job's start until it ends, however it ends; a job that never had
    // the device leaves the frame to the one that has it.
    void showPleaseWait(DeviceSequence& job);
    void endPleaseWait(const SequenceOutcome& outcome);
    // A tab click reads the device even when the previous tab's read (or a stopped auto-tune) still holds
    // it: the new read waits for it instead of being refused.
    QCoro::Task<> letOwnJobsFinish();

    ScreenHost& m_host;
    SetupScreen* m_screen;
    QPlainTextEdit* m_aboutText;
    QPointer<AutoTune> m_autoTune;
    QPointer<DeviceSequence> m_screenRead;
};

} // namespace telvar
