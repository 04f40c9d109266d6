#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include "fakes/fake_platform.h"
#include "schedule/schedule_table.h"
#include "schedule/table.h"
#include "schedule/table_file.h"

using namespace quel;

namespace {

QByteArray gb18030(const QString& text) {
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

}  // namespace

class TableFileTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void readsTableText_data();
    void readsTableText();
    void missingAndUnreadableFilesHaveNoText();
    void writesOneQuotedLine();
    void refusesTextThatWouldNotReadBack_data();
    void refusesTextThatWouldNotReadBack();
    void writtenTableReadsBackExactly();
    void loadSortsEntriesAndKeepsFileOrder();
    void loadKeepsEveryEntryOfALargeTable();
    void loadTellsMissingFromUnreadable();

private:
    QString write(const QByteArray& bytes);
    std::unique_ptr<QTemporaryDir> dir_;
    fakes::FakeFiles files_;
};

void TableFileTest::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    files_.unreadable.clear();
}

QString TableFileTest::write(const QByteArray& bytes) {
    const QString path = dir_->filePath(QStringLiteral("Default.DTT"));
    if (!files_.write(path, bytes))
        qFatal("cannot write the test table");
    return path;
}

void TableFileTest::readsTableText_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("tableText");
    QTest::addRow("a zero-byte file is the empty table") << QByteArray() << QString();
    QTest::addRow("a pair of quotes is the empty table") << QByteArray("\"\"\r\n") << QString();
    QTest::addRow("the quoted line is the table")
        << QStringLiteral("\"|8:00:00*没有注释>每天<校时\"\r\n").toUtf8()
        << QStringLiteral("|8:00:00*没有注释>每天<校时");
    QTest::addRow("leading blanks are skipped") << QByteArray("  \t\"|a|b\"\r\n") << QStringLiteral("|a|b");
    QTest::addRow("a file from the Windows version is read as GB18030")
        << gb18030(QStringLiteral("\"|8:00:00*午休>星期一<收音机开\"\r\n"))
        << QStringLiteral("|8:00:00*午休>星期一<收音机开");
    QTest::addRow("text after the closing quote is ignored")
        << QByteArray("\"|a\",\"|b\"\r\n\"|c\"\r\n") << QStringLiteral("|a");
    QTest::addRow("an unclosed quote runs to the end without the line break")
        << QByteArray("\"|a|b\r\n") << QStringLiteral("|a|b");
    QTest::addRow("a file cut short by a crash keeps what it has")
        << QByteArray("\"|a|b") << QStringLiteral("|a|b");
    QTest::addRow("a stray byte before the opening quote belongs to no entry")
        << QByteArray("\xFF\"|a|b\"\r\n") << QStringLiteral("|a|b");
    QTest::addRow("a stray letter before the quote, and a comma in an entry")
        << QByteArray("x\"|a,b\"\r\n") << QStringLiteral("|a,b");
    QTest::addRow("a quote only inside an unquoted table stays")
        << QByteArray("|a\"b\r\n") << QStringLiteral("|a\"b");
    QTest::addRow("an unquoted value runs to the first comma")
        << QByteArray("|a|b,c\r\n") << QStringLiteral("|a|b");
}

void TableFileTest::readsTableText() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, tableText);
    const std::optional<QString> text = readTableText(files_, write(bytes));
    QVERIFY(text.has_value());
    QCOMPARE(*text, tableText);
}

void TableFileTest::missingAndUnreadableFilesHaveNoText() {
    QCOMPARE(readTableText(files_, dir_->filePath(QStringLiteral("none.DTT"))), std::nullopt);
    const QString path = write("\"|a\"\r\n");
    files_.unreadable << path;
    QCOMPARE(readTableText(files_, path), std::nullopt);
}

void TableFileTest::writesOneQuotedLine() {
    QCOMPARE(tableFileBytes(QString()), QByteArray("\"\"\r\n"));
    QCOMPARE(tableFileBytes(QStringLiteral("|8:00:00*没有注释>每天<校时")),
             QStringLiteral("\"|8:00:00*没有注释>每天<校时\"\r\n").toUtf8());
}

void TableFileTest::refusesTextThatWouldNotReadBack_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("fits");
    QTest::addRow("a plain entry fits")
        << QStringLiteral("8:00:00*没有注释>每天<播音开-静态/p/a b.PLF") << true;
    QTest::addRow("a quote in a path does not fit")
        << QStringLiteral("8:00:00*没有注释>每天<执行程序/bin/say \"hi\"") << false;
    QTest::addRow("a bar in a path does not fit")
        << QStringLiteral("8:00:00*没有注释>每天<打开表/t/a|b.DTT") << false;
}

void TableFileTest::refusesTextThatWouldNotReadBack() {
    QFETCH(QString, entry);
    QFETCH(bool, fits);
    QCOMPARE(entryFitsInTableFile(entry), fits);
    // A table that already holds a quote (an unquoted file edited by hand) is never written either.
    QCOMPARE(tableFileBytes(QLatin1Char('|') + entry).has_value(), !entry.contains(QLatin1Char('"')));
}

void TableFileTest::writtenTableReadsBackExactly() {
    const QString text =
        QStringLiteral("|8:00:00*a, b>每天<执行程序/bin/x  -y |  9:00:00*c>每月1日<打开表/t/\r\nz.DTT");
    const std::optional<QByteArray> bytes = tableFileBytes(text);
    QVERIFY(bytes.has_value());
    QCOMPARE(readTableText(files_, write(*bytes)), text);
}

void TableFileTest::loadSortsEntriesAndKeepsFileOrder() {
    const QString fileOrder =
        QStringLiteral("|9:00:00*a>每月1日<校时|10:00:00*b>星期一<关机|8:00:00*c>每天<播音关");
    ScheduleTable table;
    QCOMPARE(table.load(files_, write(*tableFileBytes(fileOrder))), ReadStatus::Read);
    QCOMPARE(table.tableText, fileOrder);
    QCOMPARE(table.entries,
             (QStringList{"10:00:00*b>星期一<关机", "8:00:00*c>每天<播音关", "9:00:00*a>每月1日<校时"}));
    QCOMPARE(table.count(), 3);
}

void TableFileTest::loadKeepsEveryEntryOfALargeTable() {
    QStringList entries;
    for (int i = 0; i < 150; ++i)
        entries << QStringLiteral("%1:00:00*n%2>每天<校时").arg(i % 24).arg(i);
    ScheduleTable table;
    table.load(files_, write(*tableFileBytes(tableTextOf(entries))));
    QCOMPARE(table.count(), 150);
    QCOMPARE(QSet<QString>(table.entries.begin(), table.entries.end()),
             QSet<QString>(entries.begin(), entries.end()));
}

void TableFileTest::loadTellsMissingFromUnreadable() {
    ScheduleTable table;
    const QString path = write("\"|a|b\"\r\n");
    table.load(files_, path);
    QCOMPARE(table.count(), 2);
    QVERIFY(table.mayOverwriteFile());

    // A load replaces what was there, whatever the outcome.
    files_.unreadable << path;
    QCOMPARE(table.load(files_, path), ReadStatus::Unreadable);
    QCOMPARE(table.count(), 0);
    QCOMPARE(table.tableText, QString());
    QVERIFY(!table.mayOverwriteFile());

    QCOMPARE(table.load(files_, dir_->filePath(QStringLiteral("gone.DTT"))), ReadStatus::Missing);
    QVERIFY(table.mayOverwriteFile());
}

QTEST_GUILESS_MAIN(TableFileTest)
#include "table_file_test.moc"
