// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainWindowPlacement.h"
#include "app/Mainform.h"
#include "emulator/EmulatedLibrary.h"
#include "support/FakePrompter.h"

#include <QDockWidget>
#include <QLayout>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>

using namespace telvar;
using Room = MainWindowPlacement::ScreenRoom;

namespace {

// A monitor as the window system reports it: its pixels, the scale the user set, a panel along the top,
// and a window manager's frame of 20 pixels of title bar and thin borders.
Room monitor(QSize pixels, qreal scale) {
    const auto logical = [scale](int length) { return int(std::ceil(length / scale)); };
    const int panel = logical(28);
    return {QRect(0, panel, int(pixels.width() / scale), int(pixels.height() / scale) - panel),
            QMargins(logical(1), logical(20), logical(1), logical(3))};
}

// One run of the window on a given monitor, with the simulate mode's second dock below the trace.
struct Run {
    // `cascade`: how many windows of other devices run already.
    Run(const QString& settingsFile, Room room, bool lateStart = false, int cascade = 0) : room(room) {
        Mainform::Options options;
        options.dataDir = dataDir.path();
        options.settingsFile = settingsFile;
        options.lateStart = lateStart;
        window = std::make_unique<Mainform>(library, options, std::make_unique<test::FakePrompter>());
        window->placement().setRoomSource([room](const QMainWindow&) { return room; });
        window->placement().setCascade(cascade);
        auto* dock = new QDockWidget(QStringLiteral("speech"), window.get());
        dock->setObjectName(QStringLiteral("speechDock"));
        dock->setWidget(new QPlainTextEdit(dock));
        window->addDockWidget(Qt::BottomDockWidgetArea, dock);
        if (auto* trace = window->findChild<QDockWidget*>(QStringLiteral("sensorTraceDock")))
            window->splitDockWidget(trace, dock, Qt::Vertical);
        window->show();
    }
    // Every screen is there, however late the start built it.
    bool built() const {
        return QTest::qWaitFor([this] {
            const auto* setup = window->findChild<QFrame*>(QStringLiteral("Controlframe"));
            return setup->layout()->count() > 0;
        });
    }
    // The whole frame, title bar included, as the window manager would draw it.
    QRect frame() const { return QRect(window->pos(), window->size().grownBy(room.decorations)); }

    Room room;
    QTemporaryDir dataDir;
    EmulatedLibrary library;
    std::unique_ptr<Mainform> window;
};

enum class Before { Nothing, BiggerScreen, TitleAboveTheTop };

} // namespace

Q_DECLARE_METATYPE(Before)

class WindowPlacementTest : public QObject {
    Q_OBJECT
private slots:
    void theWholeFrameFitsTheScreen_data() {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<qreal>("scale");
        QTest::addColumn<Before>("before");
        QTest::addColumn<bool>("lateStart");
        QTest::addColumn<int>("cascade"); // windows of other devices running already
        const struct {
            const char* name;
            QSize pixels;
            qreal scale;
        } monitors[] = {
            {"1280x900", {1280, 900}, 1.0},        {"1366x768", {1366, 768}, 1.0},
            {"1024x600", {1024, 600}, 1.0},        {"2560x1600 x2", {2560, 1600}, 2.0},
            {"1920x1080 x1.5", {1920, 1080}, 1.5}, {"3840x2160", {3840, 2160}, 1.0},
        };
        const struct {
            const char* name;
            Before before;
        } starts[] = {{"first start", Before::Nothing},
                      {"restore from a bigger screen", Before::BiggerScreen},
                      {"restore with the title above the top", Before::TitleAboveTheTop}};
        for (const auto& screen : monitors) {
            for (const auto& start : starts) {
                for (const bool late : {false, true}) {
                    QTest::addRow("%s, %s, screens built %s", screen.name, start.name,
                                  late ? "once shown" : "at once")
                        << screen.pixels << screen.scale << start.before << late << 0;
                }
            }
        }
        // Windows of several devices share the kept place: each later one steps aside, within the screen.
        QTest::newRow("1366x768, first start, a third device's window")
            << QSize(1366, 768) << 1.0 << Before::Nothing << true << 2;
        QTest::newRow("1366x768, restore from a bigger screen, a second device's window")
            << QSize(1366, 768) << 1.0 << Before::BiggerScreen << false << 1;
    }

    void theWholeFrameFitsTheScreen() {
        QFETCH(QSize, pixels);
        QFETCH(qreal, scale);
        QFETCH(Before, before);
        QFETCH(bool, lateStart);
        QFETCH(int, cascade);
        QTemporaryDir folder;
        const QString settings = folder.filePath(QStringLiteral("telvar.conf"));
        const Room room = monitor(pixels, scale);
        if (before == Before::BiggerScreen) {
            Run earlier(settings, monitor({3840, 2160}, 1.0));
            earlier.window->setGeometry(100, 100, 3000, 2000);
            earlier.window->close();
        } else if (before == Before::TitleAboveTheTop) {
            Run earlier(settings, room);
            earlier.window->move(room.available.left() + 40, room.available.top() - 200);
            earlier.window->close();
        }
        std::unique_ptr<Run> previous;
        if (cascade > 0) {
            previous = std::make_unique<Run>(settings, room, lateStart, cascade - 1);
            QVERIFY(previous->built());
        }
        Run run(settings, room, lateStart, cascade);
        QVERIFY(run.built());
        if (previous) {
            // Not over the window before it: lower and to the right.
            QVERIFY(run.frame().left() > previous->frame().left());
            QVERIFY(run.frame().top() > previous->frame().top());
        } else if (before == Before::Nothing) {
            // A first start asks for the room of its largest screen, even one built after it showed.
            QTemporaryDir other;
            Run early(other.filePath(QStringLiteral("telvar.conf")), room);
            QCOMPARE(run.window->size(), early.window->size());
        }
        QVERIFY2(room.available.contains(run.frame()),
                 qPrintable(QStringLiteral("frame %1,%2 %3x%4 on %5,%6 %7x%8")
                                .arg(run.frame().x())
                                .arg(run.frame().y())
                                .arg(run.frame().width())
                                .arg(run.frame().height())
                                .arg(room.available.x())
                                .arg(room.available.y())
                                .arg(room.available.width())
                                .arg(room.available.height())));
    }
};

QTEST_MAIN(WindowPlacementTest)
#include "WindowPlacementTest.moc"
