// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/LocalChannel.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <future>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace telvar;
using namespace std::chrono_literals;

namespace {

// Asks from a thread of its own while this one goes on answering, as another start would.
QByteArray askWhileListening(const QString& path, const QByteArray& request,
                             std::chrono::milliseconds limit) {
    auto reply = std::async(std::launch::async, [=] { return askLocal(path, request, limit); });
    while (reply.wait_for(0ms) != std::future_status::ready)
        QTest::qWait(5);
    return reply.get();
}

enum class Silent { Bound, Listening, Caller };

// A Unix socket that never says anything: bound at `path` (and perhaps listening there), or a caller
// connected to the listener there. -1 when the caller could not connect.
int silentSocket(const QString& path, Silent kind) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path);
    const auto* at = reinterpret_cast<const sockaddr*>(&address);
    if (kind == Silent::Caller && ::connect(fd, at, sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    if (kind != Silent::Caller)
        ::bind(fd, at, sizeof address);
    if (kind == Silent::Listening)
        ::listen(fd, 1);
    return fd;
}

} // namespace

class LocalChannelTest : public QObject {
    Q_OBJECT
private slots:
    // What lies at the socket's place before the listener starts, and what a caller then hears.
    void theListenerTakesOnlyASocketsPlace_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<bool>("listens");
        QTest::newRow("nothing") << "nothing" << true;
        QTest::newRow("the socket of a copy that died") << "stale socket" << true;
        QTest::newRow("a file of the user's") << "file" << false;
        QTest::newRow("a name too long for a socket") << "long name" << false;
    }
    void theListenerTakesOnlyASocketsPlace() {
        QFETCH(QString, before);
        QFETCH(bool, listens);
        QTemporaryDir folder;
        QString path = folder.filePath(QStringLiteral("telvar.socket"));
        if (before == QStringLiteral("stale socket")) {
            ::close(silentSocket(path, Silent::Bound));
        } else if (before == QStringLiteral("file")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("kept");
        } else if (before == QStringLiteral("long name")) {
            path = folder.filePath(QString(120, QLatin1Char('x')));
        }
        LocalListener listener([](const QByteArray& request) { return "heard " + request; });
        QString error;
        QCOMPARE(listener.listen(path, &error), listens);
        QCOMPARE(error.isEmpty(), listens);
        if (listens) {
            QCOMPARE(askWhileListening(path, "raise device", 5s), QByteArray("heard raise device"));
            QCOMPARE(QFile::permissions(path) & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther),
                     QFile::Permissions());
        } else if (before == QStringLiteral("file")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), QByteArray("kept"));
        }
    }

    // A caller never waits past its limit, and no caller holds the listener up for the next.
    void nobodyWaitsOnASilentPeer_data() {
        QTest::addColumn<QString>("other");
        QTest::newRow("nobody listens") << "none";
        QTest::newRow("a listener that never answers") << "mute";
        QTest::newRow("a caller before that says nothing") << "silent caller";
    }
    void nobodyWaitsOnASilentPeer() {
        QFETCH(QString, other);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("telvar.socket"));
        std::unique_ptr<LocalListener> listener;
        int fd = -1;
        if (other == QStringLiteral("mute")) {
            fd = silentSocket(path, Silent::Listening);
        } else if (other == QStringLiteral("silent caller")) {
            listener =
                std::make_unique<LocalListener>([](const QByteArray&) { return QByteArray("raised"); });
            QString error;
            QVERIFY(listener->listen(path, &error));
            fd = silentSocket(path, Silent::Caller);
            QVERIFY(fd >= 0);
        }
        QElapsedTimer clock;
        clock.start();
        const QByteArray reply = askWhileListening(path, "raise device", 300ms);
        QCOMPARE(reply, listener ? QByteArray("raised") : QByteArray());
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
        if (fd >= 0)
            ::close(fd);
    }
};

QTEST_GUILESS_MAIN(LocalChannelTest)
#include "LocalChannelTest.moc"
