#include "commandline/OptionParser.h"

#include <QTest>

using namespace telvar;

namespace {

// --dir DIR, --flag and --state[=FILE]
struct Parsed {
    QString error;
    QString dir;
    bool flag = false;
    std::optional<QString> state;
    QStringList rest;
};

Parsed parse(const QStringList& words) {
    OptionParser parser;
    parser.addOption(QCommandLineOption(QStringLiteral("dir"), QString(), QStringLiteral("DIR")));
    parser.addOption(QCommandLineOption(QStringLiteral("flag")));
    parser.addFlagWithAttachedValue(QStringLiteral("state"));
    Parsed parsed;
    parsed.error = parser.parse(words);
    parsed.dir = parser.value(QStringLiteral("dir"));
    parsed.flag = parser.isSet(QStringLiteral("flag"));
    parsed.state = parser.attachedValue(QStringLiteral("state"));
    parsed.rest = parser.positionalArguments();
    return parsed;
}

} // namespace

class OptionParserTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void errorsNameTheWordAtFault_data() {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QString>("error");
        QTest::newRow("unknown long") << QStringList{"x", "--loud"} << "unknown option --loud";
        QTest::newRow("unknown with value") << QStringList{"--loud=3"} << "unknown option --loud";
        QTest::newRow("unknown short") << QStringList{"-x"} << "unknown option -x";
        QTest::newRow("missing value") << QStringList{"--flag", "--dir"} << "--dir needs a value";
        QTest::newRow("value eats the next word, the last misses one")
            << QStringList{"--dir", "--dir", "--dir"} << "--dir needs a value";
        QTest::newRow("flag with a value") << QStringList{"--flag=yes"} << "--flag takes no value";
    }
    void errorsNameTheWordAtFault() {
        QFETCH(QStringList, words);
        QFETCH(QString, error);
        QCOMPARE(parse(words).error, error);
    }

    void valuesAreTakenWhateverTheyLookLike() {
        const Parsed parsed = parse({"--dir", "--flag", "-", "--state=--dir"});
        QCOMPARE(parsed.error, QString());
        QCOMPARE(parsed.dir, QStringLiteral("--flag"));
        QVERIFY(!parsed.flag);
        QCOMPARE(parsed.state, std::optional<QString>(QStringLiteral("--dir")));
        QCOMPARE(parsed.rest, QStringList{QStringLiteral("-")});
    }

    void doubleDashEndsTheOptions() {
        const Parsed parsed = parse({"a", "--", "--flag", "--state=x", "--", "--dir"});
        QCOMPARE(parsed.error, QString());
        QVERIFY(!parsed.flag);
        QVERIFY(!parsed.state);
        QCOMPARE(parsed.rest, (QStringList{"a", "--flag", "--state=x", "--", "--dir"}));
    }

    void anAttachedValueIsOptional() {
        const Parsed bare = parse({"--state", "file"});
        QCOMPARE(bare.error, QString());
        QVERIFY(!bare.state);
        QCOMPARE(bare.rest, QStringList{QStringLiteral("file")});
        const Parsed empty = parse({"--state="});
        QCOMPARE(empty.state, std::optional<QString>(QString()));
    }
};

QTEST_GUILESS_MAIN(OptionParserTest)
#include "OptionParserTest.moc"
