#pragma once

#include <QObject>

class QAction;
class QPlainTextEdit;

namespace telvar {

class EmulatedLibrary;
class Mainform;
struct Utterance;

// What simulate mode adds to the window: a "Device" menu that unplugs and plugs in the virtual Telvar X,
// and a view of everything the device says.
class VirtualDeviceControls : public QObject {
    Q_OBJECT
public:
    VirtualDeviceControls(EmulatedLibrary& library, Mainform& window);

private:
    void updateActions(bool plugged);
    void addSpeech(const Utterance& utterance);

    EmulatedLibrary& m_library;
    QAction* m_unplug = nullptr;
    QAction* m_plugIn = nullptr;
    QPlainTextEdit* m_speech = nullptr;
};

} // namespace telvar
