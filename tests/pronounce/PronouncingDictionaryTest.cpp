// SPDX-License-Identifier: GPL-3.0-or-later
#include "pronounce/PronouncingDictionary.h"
#include "support/ScratchFolder.h"

#include <QDateTime>
#include <QFile>
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
class PronouncingDictionaryTest : public QObject, protected telvar::test::ScratchFolder {
    Q_OBJECT

    static bool setModified(const QString& path, const QDateTime& time) {
        QFile file(path);
        return file.open(QIODevice::ReadWrite) && file.setFileTime(time, QFileDevice::FileModificationTime);
    }

private Q_SLOTS:
    void lookupInASortedFile_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("phones");
        const auto row = [](const char* tag, const char* key, const char* phones) {
            QTest::newRow(tag) << QString::fromLatin1(key) << QString::fromLatin1(phones);
        };
        row("first word of the file", "a", "AH");
        row("variant after a longer key", "a(2)", "EY");
        row("key between base and variant", "a's", "EY Z");
        row("variant beside its word", "hello(2)", "HH EH L OW");
        row("variant before a possessive", "one(2)", "HH W AH N");
        row("possessive after the variant", "one's", "W AH N Z");
        row("last word of the file", "zulu", "Z UW L UW");
        row("upper case", "HeLLo", "HH AH L OW");
        row("between two entries", "goodbye", "unknown");
        row("prefix of an entry", "hell", "unknown");
        row("entry as a prefix", "hellos", "unknown");
        row("variant that is not there", "able(2)", "unknown");
        row("before the first", "'em", "unknown");
        row("after the last", "zzz", "unknown");
        row("empty", "", "unknown");
    }
    // Once building the index, once reading it back from the cache, once unsorted: the file's own
    // order must not matter.
    void lookupInASortedFile() {
        QFETCH(QString, key);
        QFETCH(QString, phones);
        put("sorted.dict", kSorted);
        QList<QByteArray> reversed = kSorted.split('\n');
        std::reverse(reversed.begin(), reversed.end());
        put("unsorted.dict", reversed.join('\n'));
        const PronouncingDictionary built(path("sorted.dict"), path("cache-sorted"));
        const PronouncingDictionary mapped(path("sorted.dict"), path("cache-sorted"));
        QVERIFY(!mapped.index()->wasBuilt());
        QCOMPARE(firstPhones(built.lookup(key)), phones);
        QCOMPARE(firstPhones(mapped.lookup(key)), phones);
        QCOMPARE(firstPhones(PronouncingDictionary(path("unsorted.dict")).lookup(key)), phones);
    }

    void cacheFollowsTheDictionary_data() {
        QTest::addColumn<QByteArray>("changed");
        QTest::addColumn<int>("secondsLater");
        QTest::addColumn<bool>("replaced");
        const QByteArray sameSize("hello HH EH L OW\n");
        QTest::newRow("grown") << QByteArray("aardvark AA R D V AA R K\nhello HH EH L OW\n") << 0 << false;
        QTest::newRow("same size, newer") << sameSize << 5 << false;
        QTest::newRow("same size, older") << sameSize << -5 << false;
        QTest::newRow("replaced by another file") << sameSize << 7 << true;
    }
    void cacheFollowsTheDictionary() {
        QFETCH(QByteArray, changed);
        QFETCH(int, secondsLater);
        QFETCH(bool, replaced);
        const QString cache = m_folder.filePath(QStringLiteral("cache-%1").arg(QTest::currentDataTag()));
        const QString dictionary = path("changing.dict");
        put("changing.dict", "hello HH AH L OW\n");
        const QDateTime then = QDateTime::currentDateTimeUtc().addDays(-1);
        QVERIFY(setModified(dictionary, then));
        QVERIFY(PronouncingDictionary(dictionary, cache).index()->wasBuilt());
        QVERIFY(!PronouncingDictionary(dictionary, cache).index()->wasBuilt());

        put(replaced ? "other.dict" : "changing.dict", changed);
        QVERIFY(!replaced || (QFile::remove(dictionary) && QFile::rename(path("other.dict"), dictionary)));
        QVERIFY(setModified(dictionary, then.addSecs(secondsLater)));
        const PronouncingDictionary after(dictionary, cache);
        QVERIFY(after.index()->wasBuilt());
        QCOMPARE(firstPhones(after.lookup(QStringLiteral("hello"))), QStringLiteral("HH EH L OW"));
        QVERIFY(!PronouncingDictionary(dictionary, cache).index()->wasBuilt());
    }

    // A cache folder that cannot be made, or a cache cut short, costs a rebuild and nothing else.
    // The header holds the dictionary's path, so only a cut close to the end falls in the offsets.
    void brokenCacheIsBuiltAround_data() {
        QTest::addColumn<int>("cutBytes"); // taken off the end of the cache; 0: its folder is a file
        QTest::newRow("folder is a file") << 0;
        QTest::newRow("cut in the offsets") << 2;
        QTest::newRow("cut in the header") << 60;
        QTest::newRow("empty") << (1 << 20);
    }
    void brokenCacheIsBuiltAround() {
        QFETCH(int, cutBytes);
        put("small.dict", kSorted);
        const QString dict = path("small.dict");
        const QString cache = m_folder.filePath(QStringLiteral("cache-%1").arg(QTest::currentDataTag()));
        if (cutBytes == 0) {
            QVERIFY(QFile(cache).open(QIODevice::WriteOnly));
        } else {
            QFile file(PronouncingDictionary(dict, cache).index()->cachePath());
            QVERIFY(file.resize(std::max<qint64>(0, file.size() - cutBytes)));
        }
        for (int run = 0; run < 2; ++run) {
            const PronouncingDictionary dictionary(dict, cache);
            QVERIFY(dictionary.index()->wasBuilt() == (cutBytes == 0 || run == 0));
            QCOMPARE(firstPhones(dictionary.lookup(QStringLiteral("one(2)"))), QStringLiteral("HH W AH N"));
        }
    }
};

QTEST_GUILESS_MAIN(PronouncingDictionaryTest)
#include "PronouncingDictionaryTest.moc"
