#include "support/FakeScreenHost.h"

#include "app/HelpPages.h"
#include "app/HelpScreen.h"
#include "emulator/EmulatedLibrary.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace telvar;

// Stands in for the browser: records the pages the screen asks to open.
class PageCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

class HelpScreenTest : public QObject {
    Q_OBJECT
private slots:
    void everyPageIsWrittenAndInstalled();
    void eachButtonOpensItsPage();
};

void HelpScreenTest::everyPageIsWrittenAndInstalled() {
    // Run from the build folder, the pages come from the sources.
    const QString folder = HelpPages::folder(QCoreApplication::applicationDirPath());
    QVERIFY(!folder.isEmpty());
    QFile install(QDir(folder).filePath(QStringLiteral("CMakeLists.txt")));
    QVERIFY(install.open(QIODevice::ReadOnly));
    const QByteArray installed = install.readAll();
    for (const HelpPages::Page& page : HelpPages::kPages) {
        QVERIFY2(QFileInfo::exists(QDir(folder).filePath(QString::fromLatin1(page.fileName))), page.fileName);
        QVERIFY2(installed.contains(page.fileName), page.fileName);
    }
    // An installed copy beside the program wins over the sources.
    QTemporaryDir prefix;
    QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("bin")));
    const QString programDir = QDir(prefix.path()).filePath(QStringLiteral("bin"));
    const QString installedDir = HelpPages::installedFolder(programDir);
    QVERIFY(installedDir.startsWith(prefix.path()));
    QVERIFY(QDir().mkpath(installedDir));
    QFile first(QDir(installedDir).filePath(QString::fromLatin1(HelpPages::kPages.front().fileName)));
    QVERIFY(first.open(QIODevice::WriteOnly));
    first.close();
    QCOMPARE(HelpPages::folder(programDir), installedDir);
}

void HelpScreenTest::eachButtonOpensItsPage() {
    EmulatedLibrary library;
    DeviceLink link(library);
    test::FakeScreenHost host(link);
    const QString folder = HelpPages::folder(QCoreApplication::applicationDirPath());
    HelpScreen screen(host, folder);
    PageCatcher browser;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &browser, "open");

    QVERIFY(screen.findChild<QLabel*>()->text() == QStringLiteral("WEBSITE SHORT CUTS"));
    const auto buttons = screen.findChildren<QPushButton*>();
    QCOMPARE(buttons.size(), 8);
    for (QPushButton* button : buttons) {
        QCOMPARE(button->toolTip(), QStringLiteral("Opens a Browser to this page Requires \"IE\""));
        button->click();
    }
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));

    QCOMPARE(browser.opened.size(), 8);
    QSet<QString> files;
    for (const QUrl& url : browser.opened) {
        QVERIFY(url.isLocalFile());
        QVERIFY2(QFileInfo::exists(url.toLocalFile()), qPrintable(url.toString()));
        files << QFileInfo(url.toLocalFile()).fileName();
    }
    QCOMPARE(files.size(), 8); // each button its own page
    QVERIFY(host.statuses.isEmpty());
}

QTEST_MAIN(HelpScreenTest)
#include "HelpScreenTest.moc"
