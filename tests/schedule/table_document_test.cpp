#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "fakes/fake_platform.h"
#include "schedule/table_document.h"

using namespace quel;

// The current table: the file first, memory only after the file took the change.
class TableDocumentTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        path_ = dir_->path() + QStringLiteral("/a.DTT");
        files_.writeText(path_, QStringLiteral("|9:00:00*b>每天<校时|8:00:00*a>每天<校时"));
    }

    void loadSortsAndCounts() {
        TableDocument doc(files_);
        QSignalSpy changed(&doc, &TableDocument::changed);
        const QStringList& entries = doc.entries();
        doc.load(path_);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(doc.currentPath(), path_);
        // The tick holds on to the entries object; a load refills that very object.
        QCOMPARE(&entries, &doc.entries());
        QCOMPARE(entries, (QStringList{"8:00:00*a>每天<校时", "9:00:00*b>每天<校时"}));
        const quint64 first = doc.generation();
        doc.load(path_);
        QVERIFY(doc.generation() != first);
    }

    void writeReloadsWhatTheFileHolds() {
        TableDocument doc(files_);
        doc.load(path_);
        QVERIFY(doc.write(doc.tableText() + QStringLiteral("|7:00:00*c>每天<校时")));
        QCOMPARE(doc.entries().first(), QStringLiteral("7:00:00*c>每天<校时"));
        QCOMPARE(*files_.read(path_),
                 QByteArray("\"|9:00:00*b>每天<校时|8:00:00*a>每天<校时|7:00:00*c>每天<校时\"\r\n"));
    }

    // Read as the tick reads it, the table takes edits too; the stray byte belonged to no entry.
    void aStrayByteBeforeTheQuoteStillLetsTheTableBeEdited() {
        files_.write(path_, QByteArray("\xFF\"|9:00:00*b>每天<校时\"\r\n"));
        TableDocument doc(files_);
        doc.load(path_);
        QCOMPARE(doc.entries(), QStringList{"9:00:00*b>每天<校时"});
        QVERIFY(doc.add(QStringLiteral("7:00:00*c>每天<校时")));
        QCOMPARE(*files_.read(path_), QByteArray("\"|9:00:00*b>每天<校时|7:00:00*c>每天<校时\"\r\n"));
        QVERIFY(doc.remove(QStringLiteral("9:00:00*b>每天<校时")));
        QCOMPARE(doc.entries(), QStringList{"7:00:00*c>每天<校时"});
    }

    void aFailedWriteChangesNothing_data() {
        QTest::addColumn<bool>("unwritable");
        QTest::addColumn<QString>("added");
        QTest::addRow("the disk refuses the file") << true << QStringLiteral("|7:00:00*c>每天<校时");
        QTest::addRow("a double quote would cut the table")
            << false << QStringLiteral("|7:00:00*\"c>每天<校时");
    }
    void aFailedWriteChangesNothing() {
        QFETCH(bool, unwritable);
        QFETCH(QString, added);
        TableDocument doc(files_);
        doc.load(path_);
        if (unwritable)
            files_.unwritable.insert(path_);
        const QByteArray before = *files_.read(path_);
        const quint64 generation = doc.generation();
        QSignalSpy changed(&doc, &TableDocument::changed);
        QVERIFY(!doc.write(doc.tableText() + added));
        QCOMPARE(doc.entries().size(), 2);
        QCOMPARE(doc.generation(), generation);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(*files_.read(path_), before);
    }

    // Views follow the rows an edit touched and start over only on a load.
    void editsAnnounceOnlyTheRowsThatChanged_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QStringList>("announced");
        const QString two = QStringLiteral("|9:00:00*b>每天<校时|8:00:00*a>每天<校时");
        QTest::addRow("an entry added between two")
            << two << "+8:30:00*c>每天<校时" << QStringList{"inserted 1-1"};
        QTest::addRow("an entry added at the end")
            << two << "+10:00:00*d>每天<校时" << QStringList{"inserted 2-2"};
        QTest::addRow("the first entry removed")
            << two << "-8:00:00*a>每天<校时" << QStringList{"removed 0-0"};
        QTest::addRow("every copy of an entry removed")
            << two + "|9:00:00*b>每天<校时|7:00:00*c>每天<校时"
            << "-9:00:00*b>每天<校时" << QStringList{"removed 2-3"};
        QTest::addRow("an entry that is not there removed") << two << "-9:00:00*x>每天<校时" << QStringList{};
        QTest::addRow("the table cleared") << two << "clear" << QStringList{"removed 0-1"};
        QTest::addRow("the table loaded again") << two << "load" << QStringList{"reset"};
    }
    void editsAnnounceOnlyTheRowsThatChanged() {
        QFETCH(QString, table);
        QFETCH(QString, edit);
        QFETCH(QStringList, announced);
        files_.writeText(path_, table);
        TableDocument doc(files_);
        doc.load(path_);
        QAbstractItemModelTester tester(&doc, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QStringList seen;
        connect(&doc, &QAbstractItemModel::rowsInserted, this,
                [&seen](const QModelIndex&, int first, int last) {
                    seen << QStringLiteral("inserted %1-%2").arg(first).arg(last);
                });
        connect(&doc, &QAbstractItemModel::rowsRemoved, this,
                [&seen](const QModelIndex&, int first, int last) {
                    seen << QStringLiteral("removed %1-%2").arg(first).arg(last);
                });
        connect(&doc, &QAbstractItemModel::modelReset, this, [&seen] { seen << QStringLiteral("reset"); });
        connect(&doc, &QAbstractItemModel::dataChanged, this, [&seen] { seen << QStringLiteral("changed"); });
        if (edit.startsWith(QLatin1Char('+')))
            QVERIFY(doc.add(edit.mid(1)));
        else if (edit.startsWith(QLatin1Char('-')))
            QVERIFY(doc.remove(edit.mid(1)));
        else if (edit == QStringLiteral("clear"))
            QVERIFY(doc.clear());
        else
            doc.load(path_);
        QCOMPARE(seen, announced);
        QStringList rows;
        for (int r = 0; r < doc.rowCount(); ++r)
            rows << doc.index(r, TableDocument::ResponseColumn).data(TableDocument::EntryTextRole).toString();
        QCOMPARE(rows, doc.entries());
    }

    void defaultIsComparedAsAPath() {
        TableDocument doc(files_);
        doc.setDefaultPath(path_);
        doc.load(dir_->path() + QStringLiteral("/b.DTT"));
        QVERIFY(!doc.isDefault());
        doc.load(path_);
        QVERIFY(doc.isDefault());
    }

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString path_;
    fakes::FakeFiles files_;
};

QTEST_GUILESS_MAIN(TableDocumentTest)
#include "table_document_test.moc"
