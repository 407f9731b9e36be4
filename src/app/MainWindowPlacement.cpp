// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainWindowPlacement.h"

#include "app/ProgramSettings.h"

#include <QApplication>
#include <QDockWidget>
#include <QEvent>
#include <QMainWindow>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QWindow>

#include <algorithm>

namespace telvar {

namespace {

// The size a first start asks for at least; the screens' own needs and the docks may make it larger.
constexpr QSize kFirstSize(920, 640);

// A cascade starts over at the kept place after this many windows, so that it never runs far off.
constexpr int kCascadeCycle = 8;

const QString kGeometryKey = QStringLiteral("window/geometry");
const QString kStateKey = QStringLiteral("window/state");

// Before the window is mapped, the window system has not said how large its title bar and borders are;
// the style's title bar stands in for them, as Qt's own restoreGeometry() assumes.
QMargins estimatedDecorations(const QMainWindow& window) {
    QStyleOptionTitleBar option;
    option.initFrom(&window);
    option.titleBarFlags = Qt::Window | Qt::WindowTitleHint;
    const int title = window.style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, &window);
    const int border = window.style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, &window);
    return QMargins(border, title + border, border, border);
}

QMargins knownDecorations(const QMainWindow& window) {
    const QWindow* handle = window.windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

} // namespace

MainWindowPlacement::MainWindowPlacement(QMainWindow& window, QString settingsFile,
                                         std::function<QSize()> wantedSize)
    : QObject(&window), m_window(window), m_settingsFile(std::move(settingsFile)),
      m_wantedSize(std::move(wantedSize)) {
    window.installEventFilter(this);
}

MainWindowPlacement::ScreenRoom MainWindowPlacement::actualRoom(const QMainWindow& window) {
    const QMargins known = knownDecorations(window);
    return {window.screen()->availableGeometry(), known.isNull() ? estimatedDecorations(window) : known};
}

std::unique_ptr<QSettings> MainWindowPlacement::settings() const {
    return openProgramSettings(m_settingsFile);
}

void MainWindowPlacement::restore() {
    if (m_restored)
        return;
    m_restored = true;
    const auto stored = settings();
    // Docks are added after the window is built: its size hint counts them only now.
    m_firstStart = !m_window.restoreGeometry(stored->value(kGeometryKey).toByteArray());
    if (m_firstStart)
        m_window.resize(kFirstSize.expandedTo(m_wantedSize()));
    const QByteArray state = stored->value(kStateKey).toByteArray();
    m_freshLayout = state.isEmpty() || !m_window.restoreState(state);
    if (m_freshLayout)
        stackDocksOnShortScreen();
    fit();
    if (const int steps = m_cascade % kCascadeCycle; steps > 0) {
        const int step = m_room(m_window).decorations.top();
        m_window.move(m_window.pos() + QPoint(step, step) * steps);
        fit();
    }
}

void MainWindowPlacement::wantedSizeChanged() {
    if (!m_firstStart)
        return;
    m_window.resize(m_window.size().expandedTo(m_wantedSize()));
    if (m_freshLayout && !m_docksStacked)
        stackDocksOnShortScreen();
    fit();
}

void MainWindowPlacement::save() {
    const auto stored = settings();
    stored->setValue(kGeometryKey, m_window.saveGeometry());
    stored->setValue(kStateKey, m_window.saveState());
}

void MainWindowPlacement::fit() {
    // A size kept from a larger screen, or a large font scale, must not push the window off this one.
    const ScreenRoom room = m_room(m_window);
    if (m_window.isMaximized() || m_window.isFullScreen() || room.available.isEmpty())
        return;
    const QSize inside = room.available.size().shrunkBy(room.decorations);
    if (m_window.width() > inside.width() || m_window.height() > inside.height())
        m_window.resize(m_window.size().boundedTo(inside));
    // pos() is the frame's corner once the window system has framed the window, the window's own before.
    QRect frame(m_window.pos(), m_window.size().grownBy(room.decorations));
    if (room.available.contains(frame))
        return;
    if (m_cascade % kCascadeCycle > 0) {
        // A cascaded window gives up some of its size rather than its offset from the windows before it.
        const QPoint corner(std::max(frame.left(), room.available.left()),
                            std::max(frame.top(), room.available.top()));
        const QSize rest(room.available.right() + 1 - corner.x(), room.available.bottom() + 1 - corner.y());
        m_window.resize(m_window.size().boundedTo(rest.shrunkBy(room.decorations)));
        frame.setSize(m_window.size().grownBy(room.decorations));
    }
    frame.moveLeft(
        std::clamp(frame.left(), room.available.left(), room.available.right() - frame.width() + 1));
    frame.moveTop(
        std::clamp(frame.top(), room.available.top(), room.available.bottom() - frame.height() + 1));
    m_window.move(frame.topLeft());
}

// On a short screen (a laptop's 768 lines) the docks one above the other below the screens would leave
// the screens too little height, and SET UP would scroll; so at a first start they share one place as
// tabs. A layout the user made is kept as it is.
void MainWindowPlacement::stackDocksOnShortScreen() {
    const ScreenRoom room = m_room(m_window);
    const int needed = m_wantedSize().height() + room.decorations.top() + room.decorations.bottom();
    if (room.available.isEmpty() || needed <= room.available.height())
        return;
    QList<QDockWidget*> below;
    for (QDockWidget* dock : m_window.findChildren<QDockWidget*>()) {
        if (m_window.dockWidgetArea(dock) == Qt::BottomDockWidgetArea && !dock->isFloating())
            below << dock;
    }
    if (below.size() < 2)
        return;
    m_docksStacked = true;
    for (qsizetype i = 1; i < below.size(); ++i)
        m_window.tabifyDockWidget(below.first(), below[i]);
    below.first()->raise();
    // The place keeps the height of the docks it held; the screens above take back what one dock needs not.
    m_window.resizeDocks({below.first()}, {below.first()->minimumSizeHint().height()}, Qt::Vertical);
}

bool MainWindowPlacement::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &m_window && watched != m_window.windowHandle())
        return false;
    switch (event->type()) {
    case QEvent::Show:
        // The window system's events on the window come to its handle, which exists from now on.
        if (QWindow* handle = m_window.windowHandle())
            handle->installEventFilter(this);
        restore();
        break;
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Expose:
        // The first fit guessed the frame; once the window system has put its own around the window,
        // the window is fitted again to the frame it really has.
        if (m_restored && !m_framed && !knownDecorations(m_window).isNull()) {
            m_framed = true;
            fit();
        }
        break;
    default:
        break;
    }
    return false;
}

} // namespace telvar
