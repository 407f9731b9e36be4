// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/VirtualDeviceControls.h"

#include "app/Mainform.h"
#include "emulator/EmulatedLibrary.h"
#include "pronounce/SpeechAloud.h"

#include <QAction>
#include <QCheckBox>
#include <QDockWidget>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTextCursor>
#include <QVBoxLayout>

namespace telvar {

VirtualDeviceControls::VirtualDeviceControls(EmulatedLibrary& library, Mainform& window, bool speakAloud)
    : QObject(&window), m_library(library), m_aloud(new SpeechAloud(this)) {
    auto* menu = new QMenu(QStringLiteral("&Device"), window.menuBar());
    window.menuBar()->insertMenu(window.helpMenu()->menuAction(), menu);
    m_unplug = menu->addAction(QStringLiteral("Unplug"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_U), this,
                               [this] { m_library.unplug(); });
    m_plugIn = menu->addAction(QStringLiteral("Plug in"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P),
                               this, [this] { m_library.plug(); });
    m_unplug->setObjectName(QStringLiteral("unplugAction"));
    m_plugIn->setObjectName(QStringLiteral("plugInAction"));
    connect(&m_library, &EmulatedLibrary::pluggedChanged, this, &VirtualDeviceControls::updateActions);
    updateActions(m_library.isPlugged());

    auto* dock = new QDockWidget(QStringLiteral("Virtual Telvar X speech"), &window);
    dock->setObjectName(QStringLiteral("speechDock"));
    dock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    auto* panel = new QWidget(dock);
    m_speech = new QPlainTextEdit(panel);
    m_speech->setObjectName(QStringLiteral("speechLog"));
    m_speech->setReadOnly(true);
    m_speech->setAccessibleName(QStringLiteral("Virtual Telvar X speech"));
    m_speech->setMaximumBlockCount(VirtualDevice::kSpeechLogLength);
    m_speech->setPlaceholderText(QStringLiteral("Words the virtual Telvar X says appear here."));
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(speakAloudRow(panel, speakAloud));
    layout->addWidget(m_speech);
    dock->setWidget(panel);
    window.addDockWidget(Qt::BottomDockWidgetArea, dock);
    // Below the sensor trace rather than beside it: both want the window's width.
    if (auto* trace = window.findChild<QDockWidget*>(QStringLiteral("sensorTraceDock"))) {
        window.splitDockWidget(trace, dock, Qt::Vertical);
        // A window not shown yet takes its size when it shows, counting the dock.
        if (window.isVisible())
            window.resize(window.size().expandedTo(window.sizeHint()));
    }
    window.resizeDocks({dock}, {120}, Qt::Vertical);
    // Finding the fixed font takes the font library a millisecond the window's start need not wait for.
    window.afterStartUp(
        [speech = m_speech] { speech->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont)); });

    VirtualDevice& device = m_library.device();
    for (const Utterance& utterance : device.speechLog())
        addSpeech(utterance);
    // Both may come from the device's worker thread.
    connect(&device, &VirtualDevice::spoke, this, &VirtualDeviceControls::addSpeech, Qt::QueuedConnection);
    // What was said before the window opened is shown, not played again.
    m_aloud->setAmplifier(device.amplifierOn());
    connect(&device, &VirtualDevice::spoke, this, &VirtualDeviceControls::hear, Qt::QueuedConnection);
    connect(
        &device, &VirtualDevice::saveFailed, &window,
        [&window](const QString& error) {
            window.setStatus(QStringLiteral("Virtual device state not saved: ") + error);
        },
        Qt::QueuedConnection);
    connect(m_aloud, &SpeechAloud::notice, &window, &Mainform::setStatus);
    connect(m_aloud, &SpeechAloud::unavailable, this, &VirtualDeviceControls::speakAloudUnavailable);
}

QWidget* VirtualDeviceControls::speakAloudRow(QWidget* parent, bool speakAloud) {
    auto* row = new QWidget(parent);
    m_speakAloud = new QCheckBox(QStringLiteral("Speak aloud"), row);
    m_speakAloud->setObjectName(QStringLiteral("speakAloudCheck"));
    const QString what = QStringLiteral("An approximation of the chip through espeak-ng, for trying words; "
                                        "not the chip's voice.");
    m_speakAloud->setToolTip(what);
    m_speakAloudNote = new QLabel(what, row);
    m_speakAloudNote->setObjectName(QStringLiteral("speakAloudNote"));
    m_speakAloudNote->setEnabled(false);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(4, 2, 4, 0);
    layout->addWidget(m_speakAloud);
    layout->addWidget(m_speakAloudNote, 1);

    // The command-line option turns it on for this run only; a click is remembered.
    const bool remembered = QSettings().value(QLatin1String(kSpeakAloudKey), false).toBool();
    m_speakAloud->setChecked(speakAloud || remembered);
    m_aloud->setEnabled(m_speakAloud->isChecked());
    connect(m_speakAloud, &QCheckBox::toggled, this, [this, what](bool on) {
        m_aloud->setEnabled(on);
        if (m_clearingSpeakAloud)
            return;
        m_speakAloudNote->setText(what);
        m_speakAloudNote->setEnabled(false);
        QSettings().setValue(QLatin1String(kSpeakAloudKey), on);
    });
    return row;
}

void VirtualDeviceControls::speakAloudUnavailable(const QString& text) {
    // A notice in the title bar alone is gone with the next title, while the ticked box would go on
    // promising sound.
    m_clearingSpeakAloud = true;
    m_speakAloud->setChecked(false);
    m_clearingSpeakAloud = false;
    m_speakAloudNote->setText(text);
    m_speakAloudNote->setEnabled(true);
}

void VirtualDeviceControls::updateActions(bool plugged) {
    m_unplug->setEnabled(plugged);
    m_plugIn->setEnabled(!plugged);
}

void VirtualDeviceControls::addSpeech(const Utterance& utterance) {
    if (utterance.kind == Utterance::Kind::Value && !m_speech->document()->isEmpty()) {
        // On the line of its control code: "code: \PITCH 254".
        QTextCursor end(m_speech->document());
        end.movePosition(QTextCursor::End);
        end.insertText(QLatin1Char(' ') + utterance.line());
        return;
    }
    m_speech->appendPlainText(utterance.line());
}

void VirtualDeviceControls::hear(const Utterance& utterance) {
    switch (utterance.kind) {
    case Utterance::Kind::Word:
        m_aloud->hearPhrase(utterance.codes);
        break;
    case Utterance::Kind::Code:
        m_aloud->hearCode(utterance.codes.front());
        break;
    case Utterance::Kind::Value:
        m_aloud->hearValue(utterance.codes.front());
        break;
    case Utterance::Kind::Amplifier:
        m_aloud->setAmplifier(utterance.address != 0);
        break;
    case Utterance::Kind::VoiceTest:
        break;
    }
}

} // namespace telvar
