#include "app/VirtualDeviceControls.h"

#include "app/Mainform.h"
#include "emulator/EmulatedLibrary.h"

#include <QAction>
#include <QDockWidget>
#include <QFontDatabase>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>

namespace telvar {

VirtualDeviceControls::VirtualDeviceControls(EmulatedLibrary& library, Mainform& window)
    : QObject(&window), m_library(library) {
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
    m_speech = new QPlainTextEdit(dock);
    m_speech->setObjectName(QStringLiteral("speechLog"));
    m_speech->setReadOnly(true);
    m_speech->setAccessibleName(QStringLiteral("Virtual Telvar X speech"));
    m_speech->setMaximumBlockCount(VirtualDevice::kSpeechLogLength);
    m_speech->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_speech->setPlaceholderText(QStringLiteral("Words the virtual Telvar X says appear here."));
    dock->setWidget(m_speech);
    window.addDockWidget(Qt::BottomDockWidgetArea, dock);
    window.resizeDocks({dock}, {120}, Qt::Vertical);

    VirtualDevice& device = m_library.device();
    for (const Utterance& utterance : device.speechLog())
        addSpeech(utterance);
    // Both may come from the device's worker thread.
    connect(&device, &VirtualDevice::spoke, this, &VirtualDeviceControls::addSpeech, Qt::QueuedConnection);
    connect(
        &device, &VirtualDevice::saveFailed, &window,
        [&window](const QString& error) {
            window.setStatus(QStringLiteral("Virtual device state not saved: ") + error);
        },
        Qt::QueuedConnection);
}

void VirtualDeviceControls::updateActions(bool plugged) {
    m_unplug->setEnabled(plugged);
    m_plugIn->setEnabled(!plugged);
}

void VirtualDeviceControls::addSpeech(const Utterance& utterance) {
    m_speech->appendPlainText(utterance.line());
}

} // namespace telvar
