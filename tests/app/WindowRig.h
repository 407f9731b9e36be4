// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Mainform.h"
#include "app/ProgramStyle.h"
#include "app/VirtualDeviceControls.h"
#include "emulator/EmulatedLibrary.h"
#include "support/FakePrompter.h"

#include <QFrame>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <memory>

namespace telvar::test {

struct WindowSetup {
    bool devicePresent = true;
    std::chrono::milliseconds replyLimit{0};
    QString dataDir;           // a fresh temporary folder when empty
    QString settingsFile;      // window layout; a file in the rig's own folder when empty
    bool messageBoxes = false; // the window's own boxes instead of a FakePrompter
    bool lateStart = false;    // the screens after the first one are built once the window shows
    bool speechDock = false;   // the virtual device's menu and dock, added before the window shows

    WindowSetup& withoutDevice() {
        devicePresent = false;
        return *this;
    }
    WindowSetup& withReplyLimit(std::chrono::milliseconds limit) {
        replyLimit = limit;
        return *this;
    }
    WindowSetup& inFolder(const QString& folder) {
        dataDir = folder;
        return *this;
    }
    WindowSetup& withSettings(const QString& file) {
        settingsFile = file;
        return *this;
    }
    WindowSetup& builtLate(bool late = true) {
        lateStart = late;
        return *this;
    }
    // As the program starts on the virtual Telvar X.
    WindowSetup& asTheProgramStarts() {
        lateStart = true;
        speechDock = true;
        return *this;
    }
    WindowSetup& withMessageBoxes() {
        messageBoxes = true;
        return *this;
    }
};

// The main window on the virtual Telvar X, its boxes answered by a FakePrompter and its word-list files
// in a folder of its own. Records every report the window sends and every title it shows.
class WindowRig {
    QTemporaryDir m_dataDir; // first in, last out: the window may write to it until it is gone

public:
    using Report = std::array<quint8, 11>;

    explicit WindowRig(WindowSetup setup = {}) {
        if (!setup.devicePresent)
            library.unplug();
        auto prompter = setup.messageBoxes ? nullptr : std::make_unique<FakePrompter>();
        fakePrompter = prompter.get();
        Mainform::Options options;
        options.dataDir = setup.dataDir.isEmpty() ? m_dataDir.path() : setup.dataDir;
        options.replyLimit = setup.replyLimit;
        options.lateStart = setup.lateStart;
        // Never the user's own settings.
        options.settingsFile = setup.settingsFile.isEmpty()
                                   ? m_dataDir.filePath(QStringLiteral("telvar.conf"))
                                   : setup.settingsFile;
        ProgramStyle::install(); // as the program does
        window = std::make_unique<Mainform>(library, options, std::move(prompter));
        QObject::connect(&window->link(), &DeviceLink::reportSent, window.get(),
                         [this](const Report& report) { sent << report; });
        QObject::connect(window.get(), &QWidget::windowTitleChanged, window.get(),
                         [this](const QString& title) { titles << title; });
        if (setup.speechDock)
            new VirtualDeviceControls(library, *window);
        window->show();
    }

    // Waits until the device is attached and its replies reach the link.
    bool waitAttached() {
        return QTest::qWaitFor([this] { return window->link().isAttached() && library.readNotifyEnabled(); });
    }
    bool waitIdle() {
        return QTest::qWaitFor([this] { return !window->link().sequenceRunning(); });
    }

    template <class Widget> Widget* find(const QString& name) const {
        return window->findChild<Widget*>(name);
    }
    QFrame* frame(const QString& name) const { return find<QFrame>(name); }
    QTabBar* tabStrip() const { return find<QTabBar>(QStringLiteral("TabStrip1")); }
    QFrame* connectPrompt() const { return frame(QStringLiteral("Frame1")); }
    QFrame* picture() const { return frame(QStringLiteral("Frame2")); }

    // Clicks the tab with this caption, as the user does.
    void clickTab(const QString& caption) {
        QTabBar* tabs = tabStrip();
        for (int index = 0; index < tabs->count(); ++index) {
            if (tabs->tabText(index) == caption)
                QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
        }
    }

    EmulatedLibrary library;
    FakePrompter* fakePrompter = nullptr; // null with the window's own message boxes
    // Before the window, which records into them until it is gone.
    QList<Report> sent;
    QStringList titles;
    std::unique_ptr<Mainform> window;
};

} // namespace telvar::test
