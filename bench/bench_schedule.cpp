// Costs of the table load and the list refill for a full table (Qt Test's QBENCHMARK, since the list is
// a widget). Run it by hand when the schedule code changes.

#include <QTemporaryDir>
#include <QTest>

#include "platform/files.h"
#include "schedule/entry_sort.h"
#include "schedule/schedule_list.h"
#include "schedule/schedule_table.h"
#include "schedule/table.h"
#include "schedule/table_file.h"

using namespace quel;

namespace {

constexpr int kFullTable = 100;

QStringList fullTable() {
    const QStringList attributes{"每天", "星期一", "每月1日", "每年9月1日", "2004年9月1日"};
    const QStringList responses{"校时", "播音开-静态/srv/q/PlayListFile/早操.PLF", "播音关", "关机",
                                "中文男声报时"};
    QStringList entries;
    for (int i = 0; i < kFullTable; ++i) {
        entries << QStringLiteral("%1:%2:00*注释%3>%4<%5")
                       .arg((i * 7) % 24)
                       .arg((i * 13) % 60, 2, 10, QLatin1Char('0'))
                       .arg(i)
                       .arg(attributes[i % attributes.size()], responses[(i / 5) % responses.size()]);
    }
    return entries;
}

}  // namespace

class ScheduleBench : public QObject {
    Q_OBJECT
private slots:
    void sortFullTable();
    void loadFullTable();
    void refillFullTable();
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

void ScheduleBench::refillFullTable() {
    QStringList entries = fullTable();
    sortEntries(entries);
    ScheduleList list(entries);
    list.show();
    list.refill();
    QBENCHMARK {
        list.refill();
    }
}

QTEST_MAIN(ScheduleBench)
#include "bench_schedule.moc"
