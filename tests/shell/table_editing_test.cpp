// The operator's table commands in the main window on fakes, pressed by name: the exact questions, the
// exact bytes written, the list afterwards, and what happens when a file cannot be read or written or
// an entry switches the table while a question is open.

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

#include "engine/clock_tick.h"
#include "fakes/fake_platform.h"
#include "fakes/file_bytes.h"
#include "platform/settings_names.h"
#include "schedule/table_document.h"
#include "shell/main_window.h"

using namespace quel;
using namespace quel::fakes;

namespace {

using quel::testing::quoted;

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

const QString kDaily = QStringLiteral("9:00:00*没有注释>每天<校时");

// A program folder whose default table holds `table`, and the main window loaded on it.
struct Fixture {
    explicit Fixture(const QString& table = QStringLiteral("|") + kDaily) : fake(dir.path()) {
        QDir(dir.path()).mkpath(QStringLiteral("DayTimeTable"));
        DiskFiles files;
        files.writeNumber(path(settings::kResetSystem), 1);
        files.writeText(path(settings::kShow), QStringLiteral("show"));
        files.writeText(path(settings::kDefaultDtt), defaultTable());
        files.writeText(defaultTable(), table);
        fake.clock.set(QDateTime(QDate(2026, 12, 2), QTime(8, 29, 59)));
    }
    void start() {
        window = std::make_unique<MainWindow>(fake.platform);
        window->load();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        fake.files.writes.clear();
    }
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    QString defaultTable() const { return path(settings::kDefaultTable); }

    template <typename T>
    T* find(const char* name) const {
        T* w = window->findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    void press(const char* button) { QTest::mouseClick(find<QPushButton>(button), Qt::LeftButton); }
    // On the option's circle: a stretched option takes no click beyond its caption.
    void pick(const char* option) {
        auto* b = find<QRadioButton>(option);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(b->height() / 2, b->height() / 2));
    }
    void setTime(int hour, int minute, int second) {
        find<QListWidget>("List1")->setCurrentRow(hour);
        find<QListWidget>("List2")->setCurrentRow(minute);
        find<QListWidget>("List3")->setCurrentRow(second);
    }
    QTreeView* list() const { return find<QTreeView>("ListView1"); }
    int rowCount() const { return list()->model()->rowCount(); }
    QModelIndex row(int r) const { return list()->model()->index(r, 0); }
    QModelIndexList selectedRows() const { return list()->selectionModel()->selectedRows(); }
    void clickRow(int r) {
        list()->scrollTo(row(r));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualRect(row(r)).center());
    }
    QStringList rowResponses() const {
        QStringList texts;
        for (int i = 0; i < rowCount(); ++i)
            texts << list()->model()->index(i, 4).data().toString();
        return texts;
    }
    const TableDocument& table() const { return window->table(); }
    const ShownMessage& lastMessage() const { return fake.dialogs.messages.last(); }
    void tick() {
        fake.clock.advance(window->clockTick().interval());
        window->clockTick().tick();
    }

    QTemporaryDir dir;
    FakePlatform fake;
    std::unique_ptr<MainWindow> window;
};

}  // namespace

class TableEditingTest : public QObject {
    Q_OBJECT
private slots:
    void addAsksWritesAndSelectsTheNewRow();
    void addAnsweredNoChangesNothing();
    void addUnderAFilterThatHidesTheEntryStoresItAndSelectsNothing();
    void addRefusalSendsTheOperatorToTheYear();
    void keyboardChosenToneIsRefused();
    void deleteRemovesExactlyTheSelectedEntry();
    void deleteWithoutSelectionIsRefused();
    void aHandMadeTableBeyondAHundredRefusesAddButDeletes();
    void clearLeavesZeroBytes();
    void clearAnsweredNoChangesNothing();
    void unreadableTableIsNeverWritten_data();
    void unreadableTableIsNeverWritten();
    void failedWritesChangeNothing_data();
    void failedWritesChangeNothing();
    void aTableSwitchedDuringTheQuestionIsLeftAlone_data();
    void aTableSwitchedDuringTheQuestionIsLeftAlone();
    void newTableAsksBeforeReplacingAndAddsTheExtension();
    void openAsksAgainForAMissingFile();
    void openCancelledChangesNothing();
    void theTableLoadedAtStartIsAlwaysNamed();
    void makeDefaultWritesTheSettingAndDisablesItself();
    void makeDefaultRefusesAPathWithAQuote();
};

void TableEditingTest::addAsksWritesAndSelectsTheNewRow() {
    Fixture f;
    f.start();
    f.setTime(8, 5, 0);
    f.find<QLineEdit>("Text4")->setText(QStringLiteral("早读"));
    f.pick("Option4");
    f.find<QComboBox>("Combo5")->setCurrentIndex(2);
    f.pick("Option19");
    f.fake.dialogs.answers = {Answer::Yes};
    f.press("Command1");

    QCOMPARE(f.fake.dialogs.messages.size(), 1);
    const ShownMessage& question = f.lastMessage();
    QCOMPARE(question.title, QStringLiteral("Quelbrook"));
    QCOMPARE(question.text, QStringLiteral("你要增加[|8:05:00*早读>星期三<中文男声报时]吗?"));
    QCOMPARE(question.icon, MessageIcon::Question);
    QCOMPARE(question.buttons, MessageButtons::YesNo);
    const QString added = QStringLiteral("8:05:00*早读>星期三<中文男声报时");
    QCOMPARE(bytesOf(f.defaultTable()), quoted(QStringLiteral("|") + kDaily + QStringLiteral("|") + added));
    QCOMPARE(f.table().entries(), QStringList({added, kDaily}));
    QCOMPARE(f.rowResponses(), QStringList({QStringLiteral("中文男声报时"), QStringLiteral("校时")}));
    QCOMPARE(f.selectedRows().size(), 1);
    QCOMPARE(f.selectedRows().first(), f.row(0));

    // The editor keeps its values, and the same moment is now taken.
    f.press("Command1");
    QCOMPARE(f.lastMessage().text, QStringLiteral("这个时间已经定义了!"));
    QCOMPARE(f.table().entries().size(), 2);
}

void TableEditingTest::addAnsweredNoChangesNothing() {
    Fixture f;
    f.start();
    f.setTime(8, 0, 0);
    f.pick("Option30");
    f.press("Command1");
    QCOMPARE(f.lastMessage().text, QStringLiteral("你要增加[|8:00:00*没有注释>每天<校时]吗?"));
    QVERIFY(f.fake.files.writes.isEmpty());
    QCOMPARE(f.table().entries(), QStringList{kDaily});
}

void TableEditingTest::addUnderAFilterThatHidesTheEntryStoresItAndSelectsNothing() {
    Fixture f;
    f.start();
    f.pick("Option18");  // list filter 关机
    f.setTime(7, 0, 0);
    f.pick("Option30");
    f.fake.dialogs.answers = {Answer::Yes};
    f.press("Command1");
    QCOMPARE(f.table().entries().size(), 2);
    QCOMPARE(f.rowCount(), 0);
    QVERIFY(f.selectedRows().isEmpty());
    f.press("Command2");
    QCOMPARE(f.lastMessage().text, QStringLiteral("你没有选择要删除的时间!"));
}

void TableEditingTest::addRefusalSendsTheOperatorToTheYear() {
    Fixture f;
    f.start();
    f.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    f.setTime(8, 0, 0);
    f.pick("Option7");
    auto* year = f.find<QLineEdit>("Text5");
    QTest::keyClicks(year, QStringLiteral("04"));
    f.press("Command1");
    QCOMPARE(f.lastMessage().text, QStringLiteral("年份要为四位数,如2003"));
    QCOMPARE(f.lastMessage().icon, MessageIcon::Warning);
    QCOMPARE(year->text(), QString());
    QVERIFY(year->hasFocus());
    QVERIFY(f.fake.files.writes.isEmpty());
}

void TableEditingTest::keyboardChosenToneIsRefused() {
    Fixture f;
    f.start();
    f.setTime(8, 0, 0);
    f.find<QRadioButton>("Option2")->setChecked(true);
    f.press("Command1");
    QCOMPARE(f.lastMessage().text, QStringLiteral("你没有选择乐音文件！"));
    QVERIFY(f.fake.dialogs.fileDialogs.isEmpty());
}

void TableEditingTest::deleteRemovesExactlyTheSelectedEntry() {
    const QString a = QStringLiteral("8:00:00*没有注释>每天<执行程序/bin/a");
    const QString ab = QStringLiteral("8:00:00*没有注释>每天<执行程序/bin/ab");
    // A table made by hand may hold copies; every copy of the selected entry goes.
    Fixture f(QStringLiteral("|") + a + QStringLiteral("|") + ab + QStringLiteral("|") + a);
    f.start();
    f.clickRow(0);
    f.fake.dialogs.answers = {Answer::Yes};
    f.press("Command2");
    QCOMPARE(f.lastMessage().text, QStringLiteral("确认要删除[") + a + QStringLiteral("]吗?"));
    QCOMPARE(f.lastMessage().icon, MessageIcon::Question);
    QCOMPARE(bytesOf(f.defaultTable()), quoted(QStringLiteral("|") + ab));
    QCOMPARE(f.table().entries(), QStringList{ab});
    QCOMPARE(f.rowResponses(), QStringList{QStringLiteral("执行程序/bin/ab")});
    QVERIFY(f.selectedRows().isEmpty());
}

void TableEditingTest::deleteWithoutSelectionIsRefused() {
    Fixture f;
    f.start();
    f.press("Command2");
    QCOMPARE(f.fake.dialogs.messages.size(), 1);
    QCOMPARE(f.lastMessage().text, QStringLiteral("你没有选择要删除的时间!"));
    QCOMPARE(f.lastMessage().icon, MessageIcon::Warning);
    QVERIFY(f.fake.files.writes.isEmpty());
}

void TableEditingTest::aHandMadeTableBeyondAHundredRefusesAddButDeletes() {
    QString text;
    for (int i = 0; i < 101; ++i)
        text +=
            QStringLiteral("|%1:%2:00*没有注释>每天<校时").arg(i / 60).arg(i % 60, 2, 10, QLatin1Char('0'));
    Fixture f(text);
    f.start();
    QCOMPARE(f.table().entries().size(), 101);
    f.setTime(23, 0, 0);
    f.fake.dialogs.answers = {Answer::Yes, Answer::Yes};
    f.press("Command1");
    QCOMPARE(f.fake.dialogs.messages.size(), 1);
    QCOMPARE(f.lastMessage().text, QStringLiteral("每张时间表最多只能有100个时间项！"));
    QCOMPARE(f.lastMessage().icon, MessageIcon::Warning);
    QVERIFY(f.fake.files.writes.isEmpty());

    f.clickRow(100);
    f.press("Command2");
    QCOMPARE(f.lastMessage().text, QStringLiteral("确认要删除[1:40:00*没有注释>每天<校时]吗?"));
    QCOMPARE(f.table().entries().size(), 100);
    QVERIFY(!bytesOf(f.defaultTable()).contains("1:40:00"));
}

void TableEditingTest::clearLeavesZeroBytes() {
    Fixture f;
    f.start();
    f.fake.dialogs.answers = {Answer::Yes};
    f.press("Command4");
    QCOMPARE(f.lastMessage().text, QStringLiteral("时间表全部会被清空！你确定吗？？？"));
    QCOMPARE(f.lastMessage().icon, MessageIcon::Question);
    QCOMPARE(bytesOf(f.defaultTable()), QByteArray());
    QVERIFY(f.table().entries().isEmpty());
    QCOMPARE(f.rowCount(), 0);
    QCOMPARE(f.table().currentPath(), f.defaultTable());
    QCOMPARE(f.table().defaultPath(), f.defaultTable());
}

void TableEditingTest::clearAnsweredNoChangesNothing() {
    Fixture f;
    f.start();
    f.clickRow(0);
    f.press("Command4");
    QVERIFY(f.fake.files.writes.isEmpty());
    QCOMPARE(f.rowCount(), 1);
    QCOMPARE(f.selectedRows().size(), 1);
}

void TableEditingTest::unreadableTableIsNeverWritten_data() {
    QTest::addColumn<QString>("button");
    QTest::addRow("增加") << "Command1";
    QTest::addRow("删除") << "Command2";
    QTest::addRow("清空") << "Command4";
}

void TableEditingTest::unreadableTableIsNeverWritten() {
    QFETCH(QString, button);
    Fixture f;
    f.fake.files.unreadable << f.defaultTable();
    f.start();
    f.setTime(8, 0, 0);
    f.fake.dialogs.answers = {Answer::Yes, Answer::Yes};
    QTest::mouseClick(f.find<QPushButton>(qPrintable(button)), Qt::LeftButton);
    QCOMPARE(f.fake.dialogs.messages.size(), 1);
    QCOMPARE(f.lastMessage().text,
             f.defaultTable() + QStringLiteral("无法读取，为保护其中的时间项，不能修改它！"));
    QCOMPARE(f.lastMessage().icon, MessageIcon::Error);
    QVERIFY(f.fake.files.writes.isEmpty());
    QCOMPARE(bytesOf(f.defaultTable()), quoted(QStringLiteral("|") + kDaily));
}

void TableEditingTest::failedWritesChangeNothing_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("unwritable");  // relative to the program folder
    QTest::addRow("增加") << "Command1" << settings::kDefaultTable;
    QTest::addRow("删除") << "Command2" << settings::kDefaultTable;
    QTest::addRow("清空") << "Command4" << settings::kDefaultTable;
    QTest::addRow("新建") << "Command5"
                          << "DayTimeTable/new.DTT";
    QTest::addRow("默认") << "Command7" << settings::kDefaultDtt;
}

void TableEditingTest::failedWritesChangeNothing() {
    QFETCH(QString, button);
    QFETCH(QString, unwritable);
    Fixture f;
    const QString other = f.path(QStringLiteral("DayTimeTable/other.DTT"));
    DiskFiles().writeText(other, QStringLiteral("|") + kDaily);
    f.start();
    if (button == QLatin1String("Command7")) {
        f.fake.dialogs.fileAnswers = {other};
        f.press("Command6");
    }
    const QString current = f.table().currentPath();
    const QByteArray before = bytesOf(current);
    f.fake.files.unwritable << f.path(unwritable);
    f.setTime(8, 0, 0);
    f.clickRow(0);
    f.fake.dialogs.answers = {Answer::Yes};
    f.fake.dialogs.fileAnswers = {f.path(QStringLiteral("DayTimeTable/new.DTT"))};
    QTest::mouseClick(f.find<QPushButton>(qPrintable(button)), Qt::LeftButton);

    QCOMPARE(f.lastMessage().text, f.path(unwritable) + QStringLiteral("无法写入！"));
    QCOMPARE(f.lastMessage().icon, MessageIcon::Error);
    QCOMPARE(f.table().currentPath(), current);
    QCOMPARE(f.table().defaultPath(), f.defaultTable());
    QCOMPARE(bytesOf(current), before);
    QCOMPARE(f.table().entries(), QStringList{kDaily});
    QCOMPARE(f.rowCount(), 1);
    QCOMPARE(bytesOf(f.path(settings::kDefaultDtt)), quoted(f.defaultTable()));
    QCOMPARE(f.find<QPushButton>("Command7")->isEnabled(), current != f.defaultTable());
    QVERIFY(!QFile::exists(f.path(QStringLiteral("DayTimeTable/new.DTT"))));
}

void TableEditingTest::aTableSwitchedDuringTheQuestionIsLeftAlone_data() {
    QTest::addColumn<QString>("button");
    QTest::addRow("增加") << "Command1";
    QTest::addRow("删除") << "Command2";
    QTest::addRow("清空") << "Command4";
}

void TableEditingTest::aTableSwitchedDuringTheQuestionIsLeftAlone() {
    QFETCH(QString, button);
    Fixture f;
    const QString secondTable = f.path(QStringLiteral("DayTimeTable/second.DTT"));
    DiskFiles().writeText(secondTable, QStringLiteral("|") + kDaily);
    DiskFiles().writeText(f.defaultTable(), QStringLiteral("|8:30:00*没有注释>每天<打开表") + secondTable);
    f.start();
    const QByteArray defaultBefore = bytesOf(f.defaultTable());
    const QByteArray secondBefore = bytesOf(secondTable);
    f.setTime(10, 0, 0);
    f.clickRow(0);
    // The tick goes on while the question is open, and the entry hands over to the second table.
    f.fake.dialogs.whileOpen = [&f] { f.tick(); };
    f.fake.dialogs.answers = {Answer::Yes};
    QTest::mouseClick(f.find<QPushButton>(qPrintable(button)), Qt::LeftButton);

    QCOMPARE(f.table().currentPath(), secondTable);
    QCOMPARE(f.fake.dialogs.messages.size(), 2);
    QCOMPARE(f.lastMessage().text, QStringLiteral("时间表已被切换，请重新操作！"));
    QVERIFY(f.fake.files.writes.isEmpty());
    QCOMPARE(bytesOf(f.defaultTable()), defaultBefore);
    QCOMPARE(bytesOf(secondTable), secondBefore);
    QCOMPARE(f.table().entries(), QStringList{kDaily});
}

void TableEditingTest::newTableAsksBeforeReplacingAndAddsTheExtension() {
    Fixture f;
    f.start();
    const QString existing = f.path(QStringLiteral("DayTimeTable/Existing.DTT"));
    DiskFiles().writeText(existing, QStringLiteral("|") + kDaily);
    f.fake.dialogs.fileAnswers = {existing, f.path(QStringLiteral("DayTimeTable/晚间"))};
    f.fake.dialogs.answers = {Answer::No};
    f.press("Command5");

    QCOMPARE(f.fake.dialogs.fileDialogs.size(), 2);
    const FileDialogCall& dialog = f.fake.dialogs.fileDialogs[0];
    QVERIFY(dialog.save);
    QCOMPARE(dialog.request.title, QStringLiteral("输入要新建的全天时间表名(*.DTT):"));
    QCOMPARE(dialog.request.folder, f.path(QStringLiteral("DayTimeTable")));
    QCOMPARE(dialog.request.filter, QStringLiteral("全天时间表文件(*.DTT)|*.DTT"));
    QCOMPARE(f.fake.dialogs.messages.size(), 1);
    QCOMPARE(f.lastMessage().text, existing + QStringLiteral("已存在，真的要覆盖它吗？"));
    QCOMPARE(f.lastMessage().icon, MessageIcon::Warning);
    QCOMPARE(f.lastMessage().buttons, MessageButtons::YesNo);
    QCOMPARE(bytesOf(existing), quoted(QStringLiteral("|") + kDaily));

    const QString created = f.path(QStringLiteral("DayTimeTable/晚间.DTT"));
    QCOMPARE(bytesOf(created), QByteArray("\"\"\r\n"));
    QCOMPARE(f.table().currentPath(), created);
    QVERIFY(f.table().entries().isEmpty());
    QCOMPARE(f.rowCount(), 0);
    QCOMPARE(f.find<QLabel>("Label2")->text(), QStringLiteral("文件:晚间.DTT"));
    QVERIFY(f.find<QPushButton>("Command7")->isEnabled());

    f.fake.dialogs.fileAnswers = {existing};
    f.fake.dialogs.answers = {Answer::Yes};
    f.press("Command5");
    QCOMPARE(bytesOf(existing), QByteArray("\"\"\r\n"));
    QCOMPARE(f.table().currentPath(), existing);
}

void TableEditingTest::openAsksAgainForAMissingFile() {
    Fixture f;
    f.start();
    const QString gone = f.path(QStringLiteral("DayTimeTable/gone.DTT"));
    f.fake.dialogs.fileAnswers = {gone, f.defaultTable()};
    f.fake.dialogs.fileAnswers.push_front(f.path(QStringLiteral("DayTimeTable/other.DTT")));
    DiskFiles().writeText(f.path(QStringLiteral("DayTimeTable/other.DTT")),
                          QStringLiteral("|7:00:00*没有注释>每天<关机"));
    f.press("Command6");
    QCOMPARE(f.table().currentPath(), f.path(QStringLiteral("DayTimeTable/other.DTT")));
    QCOMPARE(f.rowResponses(), QStringList{QStringLiteral("关机")});
    QVERIFY(f.find<QPushButton>("Command7")->isEnabled());
    const FileDialogCall& dialog = f.fake.dialogs.fileDialogs[0];
    QVERIFY(!dialog.save);
    QCOMPARE(dialog.request.title, QStringLiteral("选择要打开的全天时间表文件(*.DTT):"));
    QCOMPARE(dialog.request.filter, QStringLiteral("全天时间表文件(*.DTT)|*.DTT"));

    f.press("Command6");
    QCOMPARE(f.fake.dialogs.messages.size(), 1);
    QCOMPARE(f.lastMessage().text, gone + QStringLiteral("不存在,请重新选择一个!"));
    QCOMPARE(f.lastMessage().icon, MessageIcon::Error);
    QCOMPARE(f.fake.dialogs.fileDialogs.size(), 3);
    QCOMPARE(f.table().currentPath(), f.defaultTable());
    QVERIFY(!f.find<QPushButton>("Command7")->isEnabled());
}

// Opening another table and adding a bell works until the next start, which loads the default table:
// the window says which that is, and plainly when it is not the table shown.
void TableEditingTest::theTableLoadedAtStartIsAlwaysNamed() {
    Fixture f;
    f.start();
    const auto* label = f.find<QLabel>("LabelStartTable");
    QCOMPARE(label->text(), QStringLiteral("开机加载：Default.DTT"));
    QCOMPARE(label->toolTip(), QStringLiteral("下次启动时加载：") + f.defaultTable());

    const QString other = f.path(QStringLiteral("DayTimeTable/Sample.DTT"));
    DiskFiles().writeText(other, QStringLiteral("|7:00:00*没有注释>每天<关机"));
    f.fake.dialogs.fileAnswers = {other};
    f.press("Command6");
    QCOMPARE(label->text(), QStringLiteral("开机加载：Default.DTT（不是本表，按“默认”改为本表）"));
    QVERIFY(label->styleSheet().contains(QStringLiteral("bold")));

    f.press("Command7");
    QCOMPARE(label->text(), QStringLiteral("开机加载：Sample.DTT"));
    QCOMPARE(label->toolTip(), QStringLiteral("下次启动时加载：") + other);
    QVERIFY(label->styleSheet().isEmpty());
}

void TableEditingTest::openCancelledChangesNothing() {
    Fixture f;
    f.start();
    const QString label = f.find<QLabel>("Label2")->text();
    f.press("Command6");
    QCOMPARE(f.table().currentPath(), f.defaultTable());
    QCOMPARE(f.find<QLabel>("Label2")->text(), label);
    QVERIFY(!f.find<QPushButton>("Command7")->isEnabled());
    QCOMPARE(f.table().entries(), QStringList{kDaily});
}

void TableEditingTest::makeDefaultWritesTheSettingAndDisablesItself() {
    Fixture f;
    f.start();
    const QString other = f.path(QStringLiteral("DayTimeTable/Other.DTT"));
    DiskFiles().writeText(other, QString());
    f.fake.dialogs.fileAnswers = {other};
    f.press("Command6");
    auto* makeDefault = f.find<QPushButton>("Command7");
    QVERIFY(makeDefault->isEnabled());
    f.press("Command7");
    QCOMPARE(bytesOf(f.path(settings::kDefaultDtt)), quoted(other));
    QCOMPARE(f.lastMessage().text,
             other + QStringLiteral("已被设置为默认的全天时间表文件,下次程序启动时它将被调用!"));
    QCOMPARE(f.lastMessage().icon, MessageIcon::Information);
    QVERIFY(!makeDefault->isEnabled());
    QCOMPARE(makeDefault->toolTip(), QStringLiteral("当前默认的全天时间表文件是：") + other);
    QCOMPARE(f.table().entries(), QStringList());

    // The next start loads it.
    f.start();
    QCOMPARE(f.table().currentPath(), other);
}

void TableEditingTest::makeDefaultRefusesAPathWithAQuote() {
    Fixture f;
    f.start();
    const QString odd = f.path(QStringLiteral("DayTimeTable/say \"hi\".DTT"));
    DiskFiles().writeText(odd, QString());
    f.fake.dialogs.fileAnswers = {odd};
    f.press("Command6");
    f.press("Command7");
    QCOMPARE(f.lastMessage().text, QStringLiteral("文件路径中不能包含 | 或 \" 字符：") + odd);
    QCOMPARE(f.lastMessage().icon, MessageIcon::Warning);
    QCOMPARE(bytesOf(f.path(settings::kDefaultDtt)), quoted(f.defaultTable()));
    QVERIFY(f.find<QPushButton>("Command7")->isEnabled());
}

QTEST_MAIN(TableEditingTest)
#include "table_editing_test.moc"
