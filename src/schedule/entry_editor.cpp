#include "schedule/entry_editor.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "platform/named.h"

namespace quel {

namespace {

QComboBox* numberCombo(const char* name, int from, int to) {
    auto* c = named(new QComboBox, name);
    for (int i = from; i <= to; ++i) c->addItem(QString::number(i));
    return c;
}

QListWidget* timeList(const char* name) {
    auto* l = named(new QListWidget, name);
    l->setSelectionMode(QAbstractItemView::SingleSelection);
    l->setUniformItemSizes(true);
    l->setFixedWidth(44);
    return l;
}

QLineEdit* pathBox(const char* name) {
    auto* e = named(new QLineEdit, name);
    e->setReadOnly(true);
    return e;
}

}  // namespace

EntryEditor::EntryEditor(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("EntryEditor"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);

    hours_ = timeList("List1");
    minutes_ = timeList("List2");
    seconds_ = timeList("List3");
    auto* times = new QGridLayout;
    const char* captions[] = {"-时-", "-分-", "-秒-"};
    QListWidget* lists[] = {hours_, minutes_, seconds_};
    for (int i = 0; i < 3; ++i) {
        times->addWidget(new QLabel(QString::fromUtf8(captions[i])), 0, i, Qt::AlignHCenter);
        times->addWidget(lists[i], 1, i);
    }
    grid->addLayout(times, 0, 0, 3, 1);

    auto* commentRow = new QHBoxLayout;
    commentRow->addWidget(new QLabel(QStringLiteral("注释")));
    auto* comment = named(new QLineEdit, "Text4");
    comment->setToolTip(QStringLiteral("注释中不能包含  |  *  >  <  四种字符"));
    commentRow->addWidget(comment);
    grid->addLayout(commentRow, 0, 1);

    auto* recurrenceBox = named(new QGroupBox(QStringLiteral("属性")), "FrameRecurrence");
    auto* rg = new QGridLayout(recurrenceBox);
    recurrence_ = new QButtonGroup(this);
    auto option = [&](const char* name, const QString& caption, int row) {
        auto* b = named(new QRadioButton(caption), name);
        recurrence_->addButton(b);
        rg->addWidget(b, row, 0);
        return b;
    };
    option("Option3", QStringLiteral("每天"), 0)->setChecked(true);
    option("Option4", QStringLiteral("星期"), 1);
    weekday_ = named(new QComboBox, "Combo5");
    for (const char* d : {"一", "二", "三", "四", "五", "六", "日"}) weekday_->addItem(QString::fromUtf8(d));
    rg->addWidget(weekday_, 1, 1);
    option("Option5", QStringLiteral("每月"), 2);
    monthDay_ = numberCombo("Combo6", 1, 31);
    rg->addWidget(monthDay_, 2, 1);
    option("Option6", QStringLiteral("每年"), 3);
    yearMonth_ = numberCombo("Combo7", 1, 12);
    yearDay_ = numberCombo("Combo8", 1, 31);
    rg->addWidget(yearMonth_, 3, 1);
    rg->addWidget(yearDay_, 3, 3);
    option("Option7", QString(), 4);
    year_ = named(new QLineEdit, "Text5");
    year_->setMaxLength(4);
    year_->setFixedWidth(48);
    dateMonth_ = numberCombo("Combo9", 1, 12);
    dateDay_ = numberCombo("Combo10", 1, 31);
    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(year_);
    dateRow->addWidget(new QLabel(QStringLiteral("年")));
    dateRow->addWidget(dateMonth_);
    dateRow->addWidget(new QLabel(QStringLiteral("月")));
    dateRow->addWidget(dateDay_);
    dateRow->addWidget(new QLabel(QStringLiteral("日")));
    rg->addLayout(dateRow, 4, 1, 1, 3);
    grid->addWidget(recurrenceBox, 1, 1);
    connect(recurrence_, &QButtonGroup::buttonClicked, this, &EntryEditor::enableRecurrenceFields);
    enableRecurrenceFields();

    auto* responseBox = named(new QGroupBox(QStringLiteral("响应:乐音|报时|收音机|播音|关机|重启|注销|执行|打开表")),
                              "FrameResponse");
    auto* resp = new QGridLayout(responseBox);
    response_ = new QButtonGroup(this);
    struct Row {
        const char* name;
        const char* caption;
        const char* box;
    };
    static const Row kRows[] = {
        {"Option1", "默认乐音", nullptr},      {"Option2", "选择乐音", nullptr},
        {"Option19", "男声报时", nullptr},     {"Option20", "女声报时", nullptr},
        {"Option32", "收音机开", nullptr},     {"Option33", "收音机关", nullptr},
        {"Option15", "播音关", nullptr},       {"Option30", "校时", nullptr},
        {"Option17", "强制关机", nullptr},     {"Option22", "强制重新启动计算机", nullptr},
        {"Option23", "注销用户", nullptr},     {"Option14", "播音开-静态", "Text7"},
        {"Option29", "播音开-动态", "Text9"},  {"Option21", "执行程序-->", "Text6"},
        {"Option27", "打开表---->", "Text8"},
    };
    int row = 0;
    int col = 0;
    for (const Row& r : kRows) {
        auto* b = named(new QRadioButton(QString::fromUtf8(r.caption)), r.name);
        response_->addButton(b);
        if (r.box) {
            if (col) ++row;
            resp->addWidget(b, row, 0);
            resp->addWidget(pathBox(r.box), row, 1);
            ++row;
            col = 0;
        } else {
            resp->addWidget(b, row, col);
            col = 1 - col;
            if (!col) ++row;
        }
    }
    response_->buttons().first()->setChecked(true);
    grid->addWidget(responseBox, 2, 1);

    add_ = named(new QPushButton(QStringLiteral("增加")), "Command1");
    grid->addWidget(add_, 3, 1, Qt::AlignRight);
}

void EntryEditor::fillTimeLists() {
    for (QListWidget* l : {hours_, minutes_, seconds_}) l->clear();
    for (int i = 0; i <= 23; ++i) hours_->addItem(QString::number(i));
    for (int i = 0; i <= 59; ++i) {
        minutes_->addItem(QString::number(i));
        seconds_->addItem(QString::number(i));
    }
}

void EntryEditor::enableRecurrenceFields() {
    const QString picked = recurrence_->checkedButton() ? recurrence_->checkedButton()->objectName() : QString();
    weekday_->setEnabled(picked == QLatin1String("Option4"));
    monthDay_->setEnabled(picked == QLatin1String("Option5"));
    yearMonth_->setEnabled(picked == QLatin1String("Option6"));
    yearDay_->setEnabled(picked == QLatin1String("Option6"));
    for (QWidget* w : {static_cast<QWidget*>(year_), static_cast<QWidget*>(dateMonth_),
                       static_cast<QWidget*>(dateDay_)})
        w->setEnabled(picked == QLatin1String("Option7"));
}

}  // namespace quel
