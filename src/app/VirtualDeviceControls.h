// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QAction;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QWidget;

namespace telvar {

class EmulatedLibrary;
class Mainform;
class SpeechAloud;
struct Utterance;

// What simulate mode adds to the window: a "Device" menu that unplugs and plugs in the virtual Telvar X,
// a view of everything the device says and a "Speak aloud" check that makes it audible through espeak-ng
// (remembered between runs; `speakAloud` turns it on for this run). When a program that speaking aloud
// needs is missing, the check is cleared for this run and the reason shows beside it.
class VirtualDeviceControls : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kSpeakAloudKey = "simulate/speakAloud";

    VirtualDeviceControls(EmulatedLibrary& library, Mainform& window, bool speakAloud = false);

private:
    void updateActions(bool plugged);
    void addSpeech(const Utterance& utterance);
    void hear(const Utterance& utterance);
    QWidget* speakAloudRow(QWidget* parent, bool speakAloud);
    void speakAloudUnavailable(const QString& text);

    EmulatedLibrary& m_library;
    QAction* m_unplug = nullptr;
    QAction* m_plugIn = nullptr;
    QPlainTextEdit* m_speech = nullptr;
    QCheckBox* m_speakAloud = nullptr;
    QLabel* m_speakAloudNote = nullptr;
    // The check was cleared because speaking cannot work, not by the user: not remembered.
    bool m_clearingSpeakAloud = false;
    SpeechAloud* m_aloud = nullptr;
};

} // namespace telvar
