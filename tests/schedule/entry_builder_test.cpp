// The entry 增加 composes from the editor, and every reason it refuses one, in the order the operator
// meets them.

#include <QTest>
#include <functional>

#include "schedule/entry_builder.h"

using namespace quel;

Q_DECLARE_METATYPE(quel::EditorValues)
Q_DECLARE_METATYPE(quel::MessageIcon)
Q_DECLARE_METATYPE(quel::EditorField)

namespace {

const QString kRing = QStringLiteral("/opt/q/timeup.mp3");

// 8:05:00, every day, the default tone: an entry that can be added as it is.
EditorValues values(const std::function<void(EditorValues&)>& change = {}) {
    EditorValues v;
    v.hour = QStringLiteral("8");
    v.minute = QStringLiteral("5");
    v.second = QStringLiteral("0");
    v.defaultRing = kRing;
    if (change)
        change(v);
    return v;
}

EditorValues responding(ResponseOption option, const std::function<void(EditorValues&)>& change = {}) {
    return values([&](EditorValues& v) {
        v.response = option;
        if (change)
            change(v);
    });
}

EditorValues onDate(const QString& year, const QString& month = QStringLiteral("9"),
                    const QString& day = QStringLiteral("1")) {
    return values([&](EditorValues& v) {
        v.recurrence = Recurrence::OneDate;
        v.year = year;
        v.dateMonth = month;
        v.dateDay = day;
    });
}

QStringList fullTable(int count) {
    QStringList entries;
    for (int i = 0; i < count; ++i)
        entries << QStringLiteral("%1:00:00*没有注释>每月%2日<校时").arg(i % 24).arg(i % 28 + 1);
    return entries;
}

const QStringList kMaleAtEight{QStringLiteral("8:00:00*没有注释>每天<中文男声报时")};
const QStringList kStaticAtEight{QStringLiteral("8:00:00*早操>每天<播音开-静态/p/a.PLF")};

EditorValues atEight(ResponseOption option, const std::function<void(EditorValues&)>& change = {}) {
    return responding(option, [&](EditorValues& v) {
        v.minute = QStringLiteral("0");
        if (change)
            change(v);
    });
}

void withPlayList(EditorValues& v) {
    v.chosenPlayList = QStringLiteral("/p/b.PLF");
    v.staticPlayListBox = v.dynamicPlayListBox = v.chosenPlayList;
}

}  // namespace

class EntryBuilderTest : public QObject {
    Q_OBJECT
private slots:
    void composesTheEntry_data();
    void composesTheEntry();
    void refusesWithTheFirstFailingCheck_data();
    void refusesWithTheFirstFailingCheck();
};

void EntryBuilderTest::composesTheEntry_data() {
    QTest::addColumn<EditorValues>("editor");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("entry");
    const QString daily = QStringLiteral("8:05:00*没有注释>每天<");

    QTest::addRow("8, 5, 0 is 8:05:00 and an empty comment the placeholder")
        << values() << QStringList() << daily + kRing;
    QTest::addRow("13, 30, 0 is 13:30:00") << values([](EditorValues& v) {
        v.hour = QStringLiteral("13");
        v.minute = QStringLiteral("30");
    }) << QStringList() << QStringLiteral("13:30:00*没有注释>每天<") + kRing;
    QTest::addRow("seconds below ten get their zero")
        << values([](EditorValues& v) { v.second = QStringLiteral("9"); }) << QStringList()
        << QStringLiteral("8:05:09*没有注释>每天<") + kRing;
    QTest::addRow("the comment is kept as typed")
        << values([](EditorValues& v) { v.comment = QStringLiteral("第一节 上课"); }) << QStringList()
        << QStringLiteral("8:05:00*第一节 上课>每天<") + kRing;

    QTest::addRow("a weekday") << values([](EditorValues& v) {
        v.recurrence = Recurrence::Weekday;
        v.weekday = QStringLiteral("三");
    }) << QStringList() << QStringLiteral("8:05:00*没有注释>星期三<") + kRing;
    QTest::addRow("Sunday") << values([](EditorValues& v) {
        v.recurrence = Recurrence::Weekday;
        v.weekday = QStringLiteral("日");
    }) << QStringList() << QStringLiteral("8:05:00*没有注释>星期日<") + kRing;
    QTest::addRow("a day of every month") << values([](EditorValues& v) {
        v.recurrence = Recurrence::EveryMonth;
        v.monthDay = QStringLiteral("15");
    }) << QStringList() << QStringLiteral("8:05:00*没有注释>每月15日<") + kRing;
    QTest::addRow("a date of every year") << values([](EditorValues& v) {
        v.recurrence = Recurrence::EveryYear;
        v.yearMonth = QStringLiteral("9");
        v.yearDay = QStringLiteral("1");
    }) << QStringList() << QStringLiteral("8:05:00*没有注释>每年9月1日<") + kRing;
    QTest::addRow("one date") << onDate(QStringLiteral("2004")) << QStringList()
                              << QStringLiteral("8:05:00*没有注释>2004年9月1日<") + kRing;
    // As a Chinese input method types them: the tick reads ASCII digits only.
    QTest::addRow("a full-width year") << onDate(QStringLiteral("２０２６")) << QStringList()
                                       << QStringLiteral("8:05:00*没有注释>2026年9月1日<") + kRing;
    QTest::addRow("full-width digits in every numeric field") << values([](EditorValues& v) {
        v.hour = QStringLiteral("１３");
        v.minute = QStringLiteral("５");
        v.second = QStringLiteral("０");
        v.recurrence = Recurrence::EveryYear;
        v.yearMonth = QStringLiteral("１２");
        v.yearDay = QStringLiteral("２５");
    }) << QStringList() << QStringLiteral("13:05:00*没有注释>每年12月25日<") + kRing;
    QTest::addRow("the fields of other recurrences are ignored") << values([](EditorValues& v) {
        v.weekday = QStringLiteral("三");
        v.year = QStringLiteral("04");
    }) << QStringList() << daily + kRing;

    QTest::addRow("选择乐音 stores the chosen path")
        << responding(ResponseOption::ChosenTone,
                      [](EditorValues& v) { v.chosenTone = QStringLiteral("/s/铃.wav"); })
        << QStringList() << daily + QStringLiteral("/s/铃.wav");
    QTest::addRow("播音开-静态 and the play list")
        << responding(ResponseOption::BroadcastStatic, withPlayList) << QStringList()
        << daily + QStringLiteral("播音开-静态/p/b.PLF");
    QTest::addRow("播音开-动态 and the play list")
        << responding(ResponseOption::BroadcastDynamic, withPlayList) << QStringList()
        << daily + QStringLiteral("播音开-动态/p/b.PLF");
    const std::pair<ResponseOption, const char*> bare[] = {
        {ResponseOption::BroadcastOff, "播音关"},
        {ResponseOption::RadioOn, "收音机开"},
        {ResponseOption::RadioOff, "收音机关"},
        {ResponseOption::Shutdown, "关机"},
        {ResponseOption::Restart, "重启"},
        {ResponseOption::Logoff, "注销"},
        {ResponseOption::SayTimeMale, "中文男声报时"},
        {ResponseOption::SayTimeFemale, "中文女声报时"},
        {ResponseOption::JustMyTime, "校时"},
    };
    for (const auto& [option, keyword] : bare)
        QTest::addRow("%s", keyword) << responding(option) << QStringList()
                                     << daily + QString::fromUtf8(keyword);
    QTest::addRow("执行程序 and the program with its arguments")
        << responding(ResponseOption::RunProgram,
                      [](EditorValues& v) { v.program = QStringLiteral("'/opt/my tools/备份.sh' -v 'a b'"); })
        << QStringList() << daily + QStringLiteral("执行程序'/opt/my tools/备份.sh' -v 'a b'");
    QTest::addRow("打开表 and the table") << responding(ResponseOption::OpenTable, [](EditorValues& v) {
        v.table = QStringLiteral("/t/下午.DTT");
    }) << QStringList() << daily + QStringLiteral("打开表/t/下午.DTT");
    QTest::addRow("a path may hold the separators * > <")
        << responding(ResponseOption::ChosenTone,
                      [](EditorValues& v) { v.chosenTone = QStringLiteral("/s/a*b>c<d.wav"); })
        << QStringList() << daily + QStringLiteral("/s/a*b>c<d.wav");

    QTest::addRow("a broadcast beside a spoken time at the same moment")
        << atEight(ResponseOption::BroadcastStatic, withPlayList) << kMaleAtEight
        << QStringLiteral("8:00:00*没有注释>每天<播音开-静态/p/b.PLF");
    QTest::addRow("a broadcast stop beside a spoken time")
        << atEight(ResponseOption::BroadcastOff) << kMaleAtEight
        << QStringLiteral("8:00:00*没有注释>每天<播音关");
    QTest::addRow("a shutdown beside a spoken time")
        << atEight(ResponseOption::Shutdown) << kMaleAtEight << QStringLiteral("8:00:00*没有注释>每天<关机");
    QTest::addRow("the same time on a weekday beside every day")
        << atEight(ResponseOption::JustMyTime,
                   [](EditorValues& v) {
                       v.recurrence = Recurrence::Weekday;
                       v.weekday = QStringLiteral("一");
                   })
        << kMaleAtEight << QStringLiteral("8:00:00*没有注释>星期一<校时");
    QTest::addRow("the hundredth entry") << values() << fullTable(99) << daily + kRing;
}

void EntryBuilderTest::composesTheEntry() {
    QFETCH(EditorValues, editor);
    QFETCH(QStringList, entries);
    QFETCH(QString, entry);
    const BuiltEntry built = buildEntry(editor, entries);
    QVERIFY2(!built.refusal, qPrintable(built.refusal ? built.refusal->text : QString()));
    QCOMPARE(built.entryText, entry);
}

void EntryBuilderTest::refusesWithTheFirstFailingCheck_data() {
    QTest::addColumn<EditorValues>("editor");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("text");
    QTest::addColumn<MessageIcon>("icon");
    QTest::addColumn<EditorField>("focus");
    QTest::addColumn<bool>("cleared");
    const auto W = MessageIcon::Warning;
    const auto none = EditorField::None;
    const QString noTime = QStringLiteral("你没有选择要定义的时间!");
    auto comment = [](const char* c) {
        return QStringLiteral("注释中不能包含[") + QString::fromUtf8(c) + QStringLiteral("]这个字符！");
    };
    const QString badYear = QStringLiteral("年份要为四位数,如2003");
    const QString noDay = QStringLiteral("没有选择日子!");
    const QString noMonth = QStringLiteral("没有选择月份!");
    const QString noPlayList = QStringLiteral("你没有选取要播音的播表文件");
    const QString path = QStringLiteral("文件路径中不能包含 | 或 \" 字符：");

    QTest::addRow("no hour, before a bad comment") << values([](EditorValues& v) {
        v.hour.clear();
        v.comment = QStringLiteral("|");
    }) << QStringList() << noTime << W << none << false;
    QTest::addRow("no minute") << values([](EditorValues& v) { v.minute.clear(); }) << QStringList() << noTime
                               << W << none << false;
    QTest::addRow("no second") << values([](EditorValues& v) { v.second.clear(); }) << QStringList() << noTime
                               << W << none << false;
    const std::pair<const char*, const char*> comments[] = {{"a|b", "|"}, {"a*b", "*"},         {"<b>", ">"},
                                                            {"a<b", "<"}, {"say \"hi\"", "\""}, {"\"|", "|"}};
    for (const auto& [typed, refused] : comments) {
        QTest::addRow("comment %s", typed)
            << values([&](EditorValues& v) { v.comment = QString::fromUtf8(typed); }) << QStringList()
            << comment(refused) << MessageIcon::None << none << false;
    }
    QTest::addRow("a bad comment before a missing weekday") << values([](EditorValues& v) {
        v.comment = QStringLiteral("*");
        v.recurrence = Recurrence::Weekday;
    }) << QStringList() << comment("*") << MessageIcon::None << none
                                                            << false;

    QTest::addRow("no weekday") << values([](EditorValues& v) { v.recurrence = Recurrence::Weekday; })
                                << QStringList() << QStringLiteral("没有选择星期几!") << W << none << false;
    QTest::addRow("a weekday that is none") << values([](EditorValues& v) {
        v.recurrence = Recurrence::Weekday;
        v.weekday = QStringLiteral("八");
    }) << QStringList() << QStringLiteral("没有选择星期几!")
                                            << W << none << false;
    QTest::addRow("no day of the month")
        << values([](EditorValues& v) { v.recurrence = Recurrence::EveryMonth; }) << QStringList() << noDay
        << W << none << false;
    QTest::addRow("no month of the year") << values([](EditorValues& v) {
        v.recurrence = Recurrence::EveryYear;
        v.yearDay = QStringLiteral("1");
    }) << QStringList() << noMonth << W << none
                                          << false;
    QTest::addRow("no day of the year") << values([](EditorValues& v) {
        v.recurrence = Recurrence::EveryYear;
        v.yearMonth = QStringLiteral("9");
    }) << QStringList() << noDay << W << none
                                        << false;
    QTest::addRow("no year: focus, kept")
        << onDate(QString()) << QStringList() << QStringLiteral("没有输入年份!") << W << EditorField::Year
        << false;
    QTest::addRow("04, before the missing month: focus, cleared")
        << onDate(QStringLiteral("04"), QString()) << QStringList() << badYear << W << EditorField::Year
        << true;
    for (const char* year : {"20|4", "2*04", "2>04", "2<04", "20\"4", "abcd", "２０x６", "20 6", "+204"}) {
        QTest::addRow("year %s", year)
            << onDate(QString::fromUtf8(year)) << QStringList() << badYear << W << EditorField::Year << true;
    }
    QTest::addRow("a date that never comes")
        << onDate(QStringLiteral("2026"), QStringLiteral("2"), QStringLiteral("30")) << QStringList()
        << QStringLiteral("属性“2026年2月30日”的日子不存在，这一项永远不会响。") << W << EditorField::None
        << false;
    QTest::addRow("no month of the date")
        << onDate(QStringLiteral("2004"), QString()) << QStringList() << noMonth << W << none << false;
    QTest::addRow("no day of the date") << onDate(QStringLiteral("2004"), QStringLiteral("9"), QString())
                                        << QStringList() << noDay << W << none << false;

    QTest::addRow("a missing weekday before a missing program")
        << responding(ResponseOption::RunProgram, [](EditorValues& v) { v.recurrence = Recurrence::Weekday; })
        << QStringList() << QStringLiteral("没有选择星期几!") << W << none << false;
    QTest::addRow("静态 without its play list") << responding(ResponseOption::BroadcastStatic,
                                                              [](EditorValues& v) {
                                                                  withPlayList(v);
                                                                  v.staticPlayListBox.clear();
                                                              })
                                                << QStringList() << noPlayList << W << none << false;
    QTest::addRow("动态 without its play list, though 静态 has one")
        << responding(ResponseOption::BroadcastDynamic,
                      [](EditorValues& v) {
                          withPlayList(v);
                          v.dynamicPlayListBox.clear();
                      })
        << QStringList() << noPlayList << W << none << false;
    QTest::addRow("静态 shown but the shared choice cancelled since")
        << responding(ResponseOption::BroadcastStatic,
                      [](EditorValues& v) {
                          withPlayList(v);
                          v.chosenPlayList.clear();
                      })
        << QStringList() << noPlayList << W << none << false;
    QTest::addRow("no program") << responding(ResponseOption::RunProgram) << QStringList()
                                << QStringLiteral("你没有选择要执行的文件名！") << W << none << false;
    QTest::addRow("a program of blanks")
        << responding(ResponseOption::RunProgram, [](EditorValues& v) { v.program = QStringLiteral("   "); })
        << QStringList() << QStringLiteral("你没有选择要执行的文件名！") << W << none << false;
    QTest::addRow("no table") << responding(ResponseOption::OpenTable) << QStringList()
                              << QStringLiteral("你没有选择要调入的全天时间安排表！") << W << none << false;
    QTest::addRow("选择乐音 picked with the keyboard")
        << responding(ResponseOption::ChosenTone) << QStringList() << QStringLiteral("你没有选择乐音文件！")
        << W << none << false;

    QTest::addRow("a quote in a tone path")
        << responding(ResponseOption::ChosenTone,
                      [](EditorValues& v) { v.chosenTone = QStringLiteral("/s/a\"b.wav"); })
        << QStringList() << path + QStringLiteral("/s/a\"b.wav") << W << none << false;
    QTest::addRow("a bar in the default tone's path")
        << values([](EditorValues& v) { v.defaultRing = QStringLiteral("/q|b/timeup.mp3"); }) << QStringList()
        << path + QStringLiteral("/q|b/timeup.mp3") << W << none << false;
    QTest::addRow("a bar in a play list path")
        << responding(ResponseOption::BroadcastStatic,
                      [](EditorValues& v) {
                          withPlayList(v);
                          v.chosenPlayList = QStringLiteral("/p/a|b.PLF");
                      })
        << QStringList() << path + QStringLiteral("/p/a|b.PLF") << W << none << false;
    QTest::addRow("a bar in the program's arguments")
        << responding(ResponseOption::RunProgram,
                      [](EditorValues& v) { v.program = QStringLiteral("/bin/sh -c 'a|b'"); })
        << QStringList() << path + QStringLiteral("/bin/sh -c 'a|b'") << W << none << false;
    QTest::addRow("a quote in a table path")
        << responding(ResponseOption::OpenTable,
                      [](EditorValues& v) { v.table = QStringLiteral("/t/\"x\".DTT"); })
        << QStringList() << path + QStringLiteral("/t/\"x\".DTT") << W << none << false;

    const QString defined = QStringLiteral("这个时间已经定义了!");
    QTest::addRow("the same moment and kind as a spoken time")
        << atEight(ResponseOption::JustMyTime) << kMaleAtEight << defined << W << none << false;
    QTest::addRow("a second broadcast start, 动态 beside 静态")
        << atEight(ResponseOption::BroadcastDynamic, withPlayList) << kStaticAtEight << defined << W << none
        << false;
    QTest::addRow("a full table") << values() << fullTable(100)
                                  << QStringLiteral("每张时间表最多只能有100个时间项！") << W << none
                                  << false;
    QTest::addRow("a duplicate in a full table")
        << atEight(ResponseOption::JustMyTime) << kMaleAtEight + fullTable(100) << defined << W << none
        << false;
}

void EntryBuilderTest::refusesWithTheFirstFailingCheck() {
    QFETCH(EditorValues, editor);
    QFETCH(QStringList, entries);
    QFETCH(QString, text);
    QFETCH(MessageIcon, icon);
    QFETCH(EditorField, focus);
    QFETCH(bool, cleared);
    const BuiltEntry built = buildEntry(editor, entries);
    QVERIFY2(built.refusal, qPrintable(built.entryText));
    QCOMPARE(built.refusal->text, text);
    QCOMPARE(built.refusal->icon, icon);
    QCOMPARE(built.refusal->focus, focus);
    QCOMPARE(built.refusal->clearField, cleared);
    QVERIFY(built.entryText.isEmpty());
}

QTEST_GUILESS_MAIN(EntryBuilderTest)
#include "entry_builder_test.moc"
