#include "pronounce/PronouncingDictionary.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace telvar::pronounce;

namespace {

// Sorted as the installed dictionary is, by whole key: "a(2)" comes after "a's", away from "a".
const QByteArray kSorted = "a AH\n"
                           "a's EY Z\n"
                           "a(2) EY\n"
                           "able EY B AH L\n"
                           "hello HH AH L OW\n"
                           "hello(2) HH EH L OW\n"
                           "one W AH N\n"
                           "one(2) HH W AH N\n"
                           "one's W AH N Z\n"
                           "zulu Z UW L UW\n";

QString firstPhones(const std::optional<Phones>& phones) {
    if (!phones)
        return QStringLiteral("unknown");
    QStringList names;
    for (const Phone& phone : *phones)
        names << phone.name;
    return names.join(QLatin1Char(' '));
}

} // namespace

// The dictionary read in place through its index: what a lookup finds, and when the kept index is
// trusted, rebuilt or done without.
class PronouncingDictionaryTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_folder;

    QString write(const QString& name, const QByteArray& content) {
        const QString path = m_folder.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write %s", qPrintable(path));
        file.write(content);
        return path;
    }

    static bool setModified(const QString& path, const QDateTime& time) {
        QFile file(path);
        return file.open(QIODevice::ReadWrite) && file.setFileTime(time, QFileDevice::FileModificationTime);
    }

private Q_SLOTS:
    void lookupInASortedFile_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("phones");
        QTest::newRow("first word of the file") << "a"
                                                << "AH";
        QTest::newRow("variant after a longer key") << "a(2)"
                                                    << "EY";
        QTest::newRow("key between base and variant") << "a's"
                                                      << "EY Z";
        QTest::newRow("first entry of a word") << "hello"
                                               << "HH AH L OW";
        QTest::newRow("variant beside its word") << "hello(2)"
                                                 << "HH EH L OW";
        QTest::newRow("variant before a possessive") << "one(2)"
                                                     << "HH W AH N";
        QTest::newRow("possessive after the variant") << "one's"
                                                      << "W AH N Z";
        QTest::newRow("last word of the file") << "zulu"
                                               << "Z UW L UW";
        QTest::newRow("upper case") << "HeLLo"
                                    << "HH AH L OW";
        QTest::newRow("between two entries") << "goodbye"
                                             << "unknown";
        QTest::newRow("prefix of an entry") << "hell"
                                            << "unknown";
        QTest::newRow("entry as a prefix") << "hellos"
                                           << "unknown";
        QTest::newRow("variant that is not there") << "able(2)"
                                                   << "unknown";
        QTest::newRow("before the first") << "'em"
                                          << "unknown";
        QTest::newRow("after the last") << "zzz"
                                        << "unknown";
        QTest::newRow("empty") << ""
                               << "unknown";
    }
    // Once building the index, once reading it back from the cache, once unsorted: the file's own
    // order must not matter.
    void lookupInASortedFile() {
        QFETCH(QString, key);
        QFETCH(QString, phones);
        const QString cache = m_folder.filePath(QStringLiteral("cache-sorted"));
        const QString path = write(QStringLiteral("sorted.dict"), kSorted);
        QList<QByteArray> reversed = kSorted.split('\n');
        std::reverse(reversed.begin(), reversed.end());
        const QString unsorted = write(QStringLiteral("unsorted.dict"), reversed.join('\n'));
        const PronouncingDictionary built(path, cache);
        const PronouncingDictionary mapped(path, cache);
        QVERIFY(!mapped.index()->wasBuilt());
        QCOMPARE(firstPhones(built.lookup(key)), phones);
        QCOMPARE(firstPhones(mapped.lookup(key)), phones);
        QCOMPARE(firstPhones(PronouncingDictionary(unsorted).lookup(key)), phones);
    }

    void cacheFollowsTheDictionary_data() {
        QTest::addColumn<QByteArray>("changed");
        QTest::addColumn<int>("secondsLater");
        QTest::addColumn<bool>("replaced");
        QTest::addColumn<QString>("phones");
        QTest::newRow("grown") << QByteArray("aardvark AA R D V AA R K\nhello HH AH L OW\n") << 0 << false
                               << "HH AH L OW";
        QTest::newRow("same size, newer") << QByteArray("hello HH EH L OW\n") << 5 << false << "HH EH L OW";
        QTest::newRow("same size, older") << QByteArray("hello HH EH L OW\n") << -5 << false << "HH EH L OW";
        QTest::newRow("replaced by another file")
            << QByteArray("hello HH EH L OW\n") << 7 << true << "HH EH L OW";
    }
    void cacheFollowsTheDictionary() {
        QFETCH(QByteArray, changed);
        QFETCH(int, secondsLater);
        QFETCH(bool, replaced);
        QFETCH(QString, phones);
        const QString cache = m_folder.filePath(QStringLiteral("cache-%1").arg(QTest::currentDataTag()));
        const QString path = write(QStringLiteral("changing.dict"), "hello HH AH L OW\n");
        const QDateTime then = QDateTime::currentDateTimeUtc().addDays(-1);
        QVERIFY(setModified(path, then));
        QVERIFY(PronouncingDictionary(path, cache).index()->wasBuilt());
        QVERIFY(!PronouncingDictionary(path, cache).index()->wasBuilt());

        if (replaced) {
            const QString other = write(QStringLiteral("other.dict"), changed);
            QVERIFY(QFile::remove(path) && QFile::rename(other, path));
        } else {
            write(QStringLiteral("changing.dict"), changed);
        }
        QVERIFY(setModified(path, then.addSecs(secondsLater)));
        const PronouncingDictionary after(path, cache);
        QVERIFY(after.index()->wasBuilt());
        QCOMPARE(firstPhones(after.lookup(QStringLiteral("hello"))), phones);
        QVERIFY(!PronouncingDictionary(path, cache).index()->wasBuilt());
    }

    // A cache folder that cannot be made, or a cache cut short, costs a rebuild and nothing else.
    void brokenCacheIsBuiltAround_data() {
        QTest::addColumn<QString>("cacheFile");
        QTest::addColumn<int>("keptBytes");
        QTest::newRow("folder is a file") << "blocked" << -1;
        QTest::newRow("cut in the offsets") << "cut" << 60;
        QTest::newRow("cut in the header") << "cut-header" << 10;
        QTest::newRow("empty") << "empty" << 0;
    }
    void brokenCacheIsBuiltAround() {
        QFETCH(QString, cacheFile);
        QFETCH(int, keptBytes);
        const QString path = write(QStringLiteral("small.dict"), kSorted);
        QString cache = m_folder.filePath(cacheFile);
        if (keptBytes < 0) {
            write(cacheFile, "not a folder");
        } else {
            const PronouncingDictionary first(path, cache);
            QFile index(first.index()->cachePath());
            QVERIFY(index.resize(keptBytes));
        }
        for (int run = 0; run < 2; ++run) {
            const PronouncingDictionary dictionary(path, cache);
            QVERIFY(dictionary.index()->wasBuilt() == (keptBytes < 0 || run == 0));
            QCOMPARE(firstPhones(dictionary.lookup(QStringLiteral("one(2)"))), QStringLiteral("HH W AH N"));
        }
    }
};

QTEST_GUILESS_MAIN(PronouncingDictionaryTest)
#include "PronouncingDictionaryTest.moc"
