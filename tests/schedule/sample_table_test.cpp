// The sample table that ships with the program: a newcomer opens it first, so it must load as written,
// name sounds that are installed, run a program the way the launcher splits it, and never power the
// machine off or start a broadcast that needs a play list of their own.

#include <QDir>
#include <QFile>
#include <QTime>
#include <QtTest>

#include <algorithm>

#include "platform/process_launcher.h"
#include "schedule/entry_grammar.h"
#include "schedule/table.h"
#include "schedule/table_file.h"

using namespace quel;

namespace {

const QString kInstalledData = QStringLiteral("/usr/share/quelbrook");

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList entriesOf(const QString& path) {
    return splitTableText(tableTextFromBytes(bytesOf(path)));
}

// The shipped file, and the build tree's copy beside the test programs that names the build's sounds.
QString shipped() {
    return QStringLiteral(QUELBROOK_DATA_DIR "/DayTimeTable/Sample.DTT");
}
QString inBuildTree() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/DayTimeTable/Sample.DTT");
}

}  // namespace

class SampleTableTest : public QObject {
    Q_OBJECT
private slots:
    void isStoredAsTheProgramStoresATable() {
        const QByteArray bytes = bytesOf(shipped());
        QVERIFY(!bytes.isEmpty());
        const QString text = tableTextFromBytes(bytes);
        QCOMPARE(tableFileBytes(text), std::optional<QByteArray>(bytes));
        for (const QString& entry : splitTableText(text))
            QVERIFY2(entryFitsInTableFile(entry), qPrintable(entry));
    }

    void everyEntryHasATimeACommentAndAKnownAttribute() {
        const QStringList entries = entriesOf(shipped());
        QVERIFY(entries.size() >= 5);
        for (const QString& entry : entries) {
            const EntryFields f = splitEntry(entry);
            QVERIFY2(QTime::fromString(f.time, QStringLiteral("H:mm:ss")).isValid(), qPrintable(entry));
            QVERIFY2(!f.comment.isEmpty() && f.comment != grammar::kNoComment, qPrintable(entry));
            QVERIFY2(
                f.attribute == grammar::kEveryDay || std::ranges::count(grammar::kWeekdays, f.attribute) == 1,
                qPrintable(entry));
            // The first table a new operator opens shows no greyed row.
            QVERIFY2(whyNeverRings(entry).isEmpty(),
                     qPrintable(entry + QLatin1Char(' ') + whyNeverRings(entry)));
        }
    }

    void holdsTonesAProgramAndTheClockOnly() {
        int tones = 0, programs = 0;
        for (const QString& entry : entriesOf(shipped())) {
            const ResponseKind kind = responseKind(splitEntry(entry).response);
            tones += kind == ResponseKind::Tone;
            programs += kind == ResponseKind::RunProgram;
            QVERIFY2(kind == ResponseKind::Tone || kind == ResponseKind::RunProgram ||
                         kind == ResponseKind::JustMyTime,
                     qPrintable(entry));
        }
        QVERIFY(tones >= 3);
        QCOMPARE(programs, 1);
    }

    void tonesNameInstalledSounds_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("dataFolder");
        QTest::addRow("as shipped, for a package under /usr") << shipped() << kInstalledData;
        QTest::addRow("the build tree's copy") << inBuildTree() << QCoreApplication::applicationDirPath();
    }
    void tonesNameInstalledSounds() {
        QFETCH(QString, table);
        QFETCH(QString, dataFolder);
        for (const QString& entry : entriesOf(table)) {
            const ParsedResponse response = parseResponse(splitEntry(entry).response);
            if (response.kind != ResponseKind::Tone)
                continue;
            QVERIFY2(response.payload.startsWith(dataFolder + QLatin1Char('/')),
                     qPrintable(response.payload));
            const QString inData =
                QStringLiteral(QUELBROOK_DATA_DIR) + response.payload.mid(dataFolder.size());
            QVERIFY2(QFile::exists(inData), qPrintable(inData));
        }
    }

    void theProgramEntryKeepsItsWordsApart() {
        for (const QString& entry : entriesOf(shipped())) {
            const ParsedResponse response = parseResponse(splitEntry(entry).response);
            if (response.kind == ResponseKind::RunProgram) {
                QCOMPARE(splitCommandLine(response.payload), QStringList({"/usr/bin/notify-send", "Quelbrook",
                                                                          QStringLiteral("还有五分钟下课")}));
            }
        }
    }
};

QTEST_GUILESS_MAIN(SampleTableTest)
#include "sample_table_test.moc"
