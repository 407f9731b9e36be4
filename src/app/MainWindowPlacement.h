// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMargins>
#include <QObject>
#include <QRect>

#include <functional>
#include <memory>

class QMainWindow;
class QSettings;

namespace telvar {

// Where the main window lies and how its docks share the room below the screens: the size kept between
// runs, the fit of the whole frame (title bar included) into the screen's available area, and the dock
// layout of a first start on a short screen.
class MainWindowPlacement : public QObject {
    Q_OBJECT
public:
    // The room a window has on its screen: the area free of panels, and the window system's frame around
    // the window's own area.
    struct ScreenRoom {
        QRect available;
        QMargins decorations;
    };
    using RoomSource = std::function<ScreenRoom(const QMainWindow&)>;

    // `settingsFile`: where size and layout are kept; empty for the user's settings. `wantedSize`: the size
    // the window asks for at a first start, before it is fitted to the screen.
    MainWindowPlacement(QMainWindow& window, QString settingsFile, std::function<QSize()> wantedSize);

    // Tests stand in for a screen and a window manager here.
    void setRoomSource(RoomSource source) { m_room = std::move(source); }
    // Before the window shows: this many windows of other devices run, all from the same kept size and
    // place, so this one lies that many title bars lower and to the right, not over them.
    void setCascade(int steps) { m_cascade = steps; }
    // Once, when the window is first shown: the kept size and dock layout, fitted to this screen.
    void restore();
    // The window has grown what it asks for at a first start (screens built after it showed): a first
    // start takes the new size, fitted; a kept size stays as the user left it.
    void wantedSizeChanged();
    void save();
    // Shrinks and moves the window so that its whole frame lies in the screen's available area.
    void fit();

    // What the window system reports, with the frame estimated while the window has none yet.
    static ScreenRoom actualRoom(const QMainWindow& window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<QSettings> settings() const;
    void stackDocksOnShortScreen();

    QMainWindow& m_window;
    QString m_settingsFile;
    std::function<QSize()> m_wantedSize;
    RoomSource m_room = &MainWindowPlacement::actualRoom;
    int m_cascade = 0;
    bool m_restored = false;
    bool m_firstStart = false;  // no size was kept: the window took the size it asks for
    bool m_freshLayout = false; // no dock layout was kept
    bool m_docksStacked = false;
    // Until the window system has framed the window, the fit was made on estimated decorations.
    bool m_framed = false;
};

} // namespace telvar
