// Costs of the table load and of the list shown for a full table (Qt Test's QBENCHMARK, since the list is
// a widget), and of the operator's add and delete on it. Run it by hand when the schedule code changes.

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <algorithm>

#include "fakes/fake_platform.h"

#include "platform/files.h"
#include "schedule/entry_sort.h"
#include "schedule/schedule_list.h"
#include "schedule/schedule_table.h"
#include "schedule/table.h"
#include "schedule/table_commands.h"
#include "schedule/table_document.h"
#include "schedule/table_file.h"

using namespace quel;

namespace {

constexpr int kFullTable = 100;

QStringList fullTable(int count = kFullTable) {
    const QStringList attributes{"每天", "星期一", "每月1日", "每年9月1日", "2004年9月1日"};
    const QStringList responses{"校时", "播音开-静态/srv/q/PlayListFile/早操.PLF", "播音关", "关机",
                                "中文男声报时"};
    QStringList entries;
    for (int i = 0; i < count; ++i) {
        entries << QStringLiteral("%1:%2:00*注释%3>%4<%5")
                       .arg((i * 7) % 24)
                       .arg((i * 13) % 60, 2, 10, QLatin1Char('0'))
                       .arg(i)
                       .arg(attributes[i % attributes.size()], responses[(i / 5) % responses.size()]);
    }
    return entries;
}

double medianMs(std::vector<qint64> nsecs) {
    std::sort(nsecs.begin(), nsecs.end());
    return double(nsecs[nsecs.size() / 2]) / 1e6;
}

}  // namespace

class ScheduleBench : public QObject {
    Q_OBJECT
private slots:
    void sortFullTable();
    void loadFullTable();
    void loadAndPaintFullTable();
    void addAndDeleteAtFullTable();
    void loadAndPaintLargeTable();
};

void ScheduleBench::sortFullTable() {
    const QStringList entries = fullTable();
    QBENCHMARK {
        QStringList copy = entries;
        sortEntries(copy);
    }
}

void ScheduleBench::loadFullTable() {
    QTemporaryDir dir;
    DiskFiles files;
    const QString path = dir.filePath(QStringLiteral("Default.DTT"));
    QVERIFY(files.write(path, *tableFileBytes(tableTextOf(fullTable()))));
    ScheduleTable table;
    QBENCHMARK {
        table.load(files, path);
    }
    QCOMPARE(table.count(), kFullTable);
}

void ScheduleBench::loadAndPaintFullTable() {
    QTemporaryDir dir;
    DiskFiles files;
    const QString path = dir.filePath(QStringLiteral("Default.DTT"));
    QVERIFY(files.write(path, *tableFileBytes(tableTextOf(fullTable()))));
    TableDocument table(files);
    ScheduleList list(table);
    list.show();
    table.load(path);
    QBENCHMARK {
        table.load(path);
        list.listView()->viewport()->repaint();
    }
}

// 增加 of the hundredth entry and 删除 of it again, as the operator does them: the entry built and
// checked, the whole file written, reloaded, sorted and shown in the list (and the new row selected).
// The goal is a median under 10 ms each.
void ScheduleBench::addAndDeleteAtFullTable() {
    constexpr int kRounds = 200;
    QTemporaryDir dir;
    DiskFiles files;
    fakes::FakeDialogs dialogs;
    const QString path = dir.filePath(QStringLiteral("Default.DTT"));
    QVERIFY(files.write(path, *tableFileBytes(tableTextOf(fullTable(kFullTable - 1)))));
    TableDocument table(files);
    ScheduleList list(table);
    list.show();
    table.load(path);
    TableCommands commands(table, dialogs, files, dir.path(), QStringLiteral("Quelbrook"));
    EditorValues values;
    values.hour = QStringLiteral("23");
    values.minute = values.second = QStringLiteral("59");
    values.response = ResponseOption::JustMyTime;

    std::vector<qint64> adds;
    std::vector<qint64> deletes;
    QElapsedTimer timer;
    for (int i = 0; i < kRounds; ++i) {
        dialogs.answers = {Answer::Yes};
        timer.start();
        const BuiltEntry built = commands.add(values);
        list.selectEntry(built.entryText);
        adds.push_back(timer.nsecsElapsed());
        QCOMPARE(table.entries().size(), kFullTable);

        dialogs.answers = {Answer::Yes};
        timer.start();
        commands.deleteEntry(list.selectedEntryText());
        deletes.push_back(timer.nsecsElapsed());
        QCOMPARE(table.entries().size(), kFullTable - 1);
    }
    // The atomic write (with its flush to the disk) alone, to tell the disk's share from ours.
    std::vector<qint64> writes;
    const QByteArray bytes = *files.read(path);
    for (int i = 0; i < kRounds; ++i) {
        timer.start();
        files.write(path, bytes);
        writes.push_back(timer.nsecsElapsed());
    }
    qInfo(
        "add to a 99-entry table: median %.3f ms; delete from a 100-entry table: median %.3f ms; "
        "the file write alone: median %.3f ms",
        medianMs(adds), medianMs(deletes), medianMs(writes));
}

// A table of 10,000 entries from its file to the painted list, and a switch of the list filter on it:
// what the operator waits for when such a table is opened or filtered.
void ScheduleBench::loadAndPaintLargeTable() {
    constexpr int kLargeTable = 10000;
    constexpr int kRounds = 15;
    QTemporaryDir dir;
    DiskFiles files;
    const QString path = dir.filePath(QStringLiteral("Large.DTT"));
    QVERIFY(files.write(path, *tableFileBytes(tableTextOf(fullTable(kLargeTable)))));
    std::vector<qint64> loads;
    std::vector<qint64> filters;
    QElapsedTimer timer;
    for (int i = 0; i < kRounds; ++i) {
        TableDocument table(files);
        ScheduleList list(table);
        list.resize(800, 600);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        timer.start();
        table.load(path);
        list.listView()->viewport()->repaint();
        loads.push_back(timer.nsecsElapsed());
        QCOMPARE(table.entries().size(), kLargeTable);

        timer.start();
        list.setFilter(ListFilter::Broadcast);
        list.listView()->viewport()->repaint();
        list.setFilter(ListFilter::All);
        list.listView()->viewport()->repaint();
        filters.push_back(timer.nsecsElapsed() / 2);
    }
    qInfo(
        "10,000 entries: load to painted list: median %.3f ms; filter switch to painted list: median %.3f ms",
        medianMs(loads), medianMs(filters));
}

QTEST_MAIN(ScheduleBench)
#include "bench_schedule.moc"
