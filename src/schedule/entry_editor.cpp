#include "schedule/entry_editor.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

#include "platform/named.h"
#include "schedule/entry_choices.h"
#include "schedule/entry_grammar.h"

namespace quel {

namespace {

// Nothing is chosen at first, so that 增加 can tell the operator which choice is missing; the lists
// cannot be typed into, so no separator reaches an entry through them.
QComboBox* choiceCombo(const char* name, const QStringList& items) {
    auto* c = named(new QComboBox, name);
    c->setEditable(false);
    c->addItems(items);
    c->setCurrentIndex(-1);
    return c;
}

QComboBox* numberCombo(const char* name, int from, int to) {
    QStringList items;
    for (int i = from; i <= to; ++i)
        items << QString::number(i);
    return choiceCombo(name, items);
}

QListWidget* timeList(const char* name) {
    auto* l = named(new QListWidget, name);
    l->setSelectionMode(QAbstractItemView::SingleSelection);
    l->setUniformItemSizes(true);
    l->setFixedWidth(44);
    return l;
}

QString selectedText(const QListWidget* list) {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

void showPath(QLineEdit* box, const QString& path) {
    box->setText(path);
    box->setToolTip(path);
}

struct ResponseRow {
    ResponseOption option;
    const char* name;
    const char* caption;
    const char* box;  // the box that shows the option's file, or none
};

constexpr ResponseRow kResponseRows[] = {
    {ResponseOption::DefaultTone, "Option1", "默认乐音", nullptr},
    {ResponseOption::ChosenTone, "Option2", "选择乐音", nullptr},
    {ResponseOption::SayTimeMale, "Option19", "男声报时", nullptr},
    {ResponseOption::SayTimeFemale, "Option20", "女声报时", nullptr},
    {ResponseOption::RadioOn, "Option32", "收音机开", nullptr},
    {ResponseOption::RadioOff, "Option33", "收音机关", nullptr},
    {ResponseOption::BroadcastOff, "Option15", "播音关", nullptr},
    {ResponseOption::JustMyTime, "Option30", "校时", nullptr},
    {ResponseOption::Shutdown, "Option17", "强制关机", nullptr},
    {ResponseOption::Restart, "Option22", "强制重新启动计算机", nullptr},
    {ResponseOption::Logoff, "Option23", "注销用户", nullptr},
    {ResponseOption::BroadcastStatic, "Option14", "播音开-静态", "Text7"},
    {ResponseOption::BroadcastDynamic, "Option29", "播音开-动态", "Text9"},
    {ResponseOption::RunProgram, "Option21", "执行程序-->", "Text6"},
    {ResponseOption::OpenTable, "Option27", "打开表---->", "Text8"},
};

}  // namespace

EntryEditor::EntryEditor(EntryChoices& choices, QWidget* parent) : QWidget(parent), choices_(choices) {
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
    comment_ = named(new QLineEdit, "Text4");
    comment_->setToolTip(QStringLiteral("注释中不能包含  |  *  >  <  四种字符"));
    commentRow->addWidget(comment_);
    grid->addLayout(commentRow, 0, 1);

    auto* recurrenceBox = named(new QGroupBox(QStringLiteral("属性")), "FrameRecurrence");
    auto* rg = new QGridLayout(recurrenceBox);
    recurrence_ = new QButtonGroup(this);
    auto option = [&](const char* name, const QString& caption, Recurrence recurrence, int row) {
        auto* b = named(new QRadioButton(caption), name);
        recurrence_->addButton(b, int(recurrence));
        rg->addWidget(b, row, 0);
        return b;
    };
    option("Option3", QStringLiteral("每天"), Recurrence::EveryDay, 0)->setChecked(true);
    option("Option4", QStringLiteral("星期"), Recurrence::Weekday, 1);
    QStringList weekdays;
    for (const QChar d : grammar::kWeekdayCharacters)
        weekdays << QString(d);
    weekday_ = choiceCombo("Combo5", weekdays);
    rg->addWidget(weekday_, 1, 1);
    option("Option5", QStringLiteral("每月"), Recurrence::EveryMonth, 2);
    monthDay_ = numberCombo("Combo6", 1, 31);
    rg->addWidget(monthDay_, 2, 1);
    option("Option6", QStringLiteral("每年"), Recurrence::EveryYear, 3);
    yearMonth_ = numberCombo("Combo7", 1, 12);
    yearDay_ = numberCombo("Combo8", 1, 31);
    rg->addWidget(yearMonth_, 3, 1);
    rg->addWidget(yearDay_, 3, 3);
    option("Option7", QString(), Recurrence::OneDate, 4);
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

    auto* responseBox =
        named(new QGroupBox(QStringLiteral("响应:乐音|报时|收音机|播音|关机|重启|注销|执行|打开表")),
              "FrameResponse");
    buildResponses(responseBox);
    grid->addWidget(responseBox, 2, 1);

    add_ = named(new QPushButton(QStringLiteral("增加")), "Command1");
    grid->addWidget(add_, 3, 1, Qt::AlignRight);
}

void EntryEditor::buildResponses(QWidget* frame) {
    auto* resp = new QGridLayout(frame);
    response_ = new QButtonGroup(this);
    int row = 0;
    int col = 0;
    for (const ResponseRow& r : kResponseRows) {
        auto* b = named(new QRadioButton(QString::fromUtf8(r.caption)), r.name);
        response_->addButton(b, int(r.option));
        if (!r.box) {
            QWidget* cell = b;
            if (r.option == ResponseOption::ChosenTone) {
                cell = new QWidget;
                auto* beside = new QHBoxLayout(cell);
                beside->setContentsMargins(0, 0, 0, 0);
                beside->addWidget(b);
                chosenToneName_ = named(new QLabel, "chosenToneName");
                beside->addWidget(chosenToneName_, 1);
            }
            resp->addWidget(cell, row, col);
            col = 1 - col;
            if (!col)
                ++row;
            continue;
        }
        if (col)
            ++row;
        auto* box = named(new QLineEdit, r.box);
        resp->addWidget(b, row, 0);
        resp->addWidget(box, row, 1);
        ++row;
        col = 0;
        connect(b, &QRadioButton::clicked, this, [this, b] { chooseFile(b); });
        switch (r.option) {
            case ResponseOption::BroadcastStatic:
                staticPlayList_ = box;
                break;
            case ResponseOption::BroadcastDynamic:
                dynamicPlayList_ = box;
                break;
            case ResponseOption::RunProgram:
                program_ = box;
                break;
            default:
                table_ = box;
                break;
        }
    }
    // The program box also takes the arguments after the path, and a table path may be typed; the play
    // list boxes only show what was chosen.
    staticPlayList_->setReadOnly(true);
    dynamicPlayList_->setReadOnly(true);
    for (QLineEdit* typed : {program_, table_})
        connect(typed, &QLineEdit::textEdited, typed, &QLineEdit::setToolTip);

    defaultTone_ = static_cast<QRadioButton*>(response_->button(int(ResponseOption::DefaultTone)));
    chosenTone_ = static_cast<QRadioButton*>(response_->button(int(ResponseOption::ChosenTone)));
    defaultTone_->setChecked(true);
    // Both tone options act on a mouse press only: moving through the group with the arrow keys also
    // presses and clicks each button it passes, and must not sound tones or open a dialog.
    for (QRadioButton* tone : {defaultTone_, chosenTone_})
        tone->installEventFilter(this);
}

void EntryEditor::fillTimeLists() {
    for (QListWidget* l : {hours_, minutes_, seconds_})
        l->clear();
    for (int i = 0; i <= 23; ++i)
        hours_->addItem(QString::number(i));
    for (int i = 0; i <= 59; ++i) {
        minutes_->addItem(QString::number(i));
        seconds_->addItem(QString::number(i));
    }
}

EditorValues EntryEditor::values() const {
    EditorValues v;
    v.hour = selectedText(hours_);
    v.minute = selectedText(minutes_);
    v.second = selectedText(seconds_);
    v.comment = comment_->text();
    v.recurrence = Recurrence(recurrence_->checkedId());
    v.weekday = weekday_->currentText();
    v.monthDay = monthDay_->currentText();
    v.yearMonth = yearMonth_->currentText();
    v.yearDay = yearDay_->currentText();
    v.year = year_->text();
    v.dateMonth = dateMonth_->currentText();
    v.dateDay = dateDay_->currentText();
    v.response = ResponseOption(response_->checkedId());
    v.defaultRing = choices_.defaultRing();
    v.chosenTone = choices_.chosenTone();
    v.chosenPlayList = choices_.chosenPlayList();
    v.staticPlayListBox = staticPlayList_->text();
    v.dynamicPlayListBox = dynamicPlayList_->text();
    v.program = program_->text();
    v.table = table_->text();
    return v;
}

void EntryEditor::showRefusal(const Refusal& refusal) {
    if (refusal.focus != EditorField::Year)
        return;
    if (refusal.clearField)
        year_->clear();
    year_->setFocus();
}

bool EntryEditor::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress ||
        static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
        return QWidget::eventFilter(watched, event);
    // The press is taken here: the option is selected at once, and the release that follows (perhaps
    // after a dialog) finds no pressed button to click.
    if (watched == defaultTone_) {
        takeDefaultTone();
        return true;
    }
    if (watched == chosenTone_) {
        chooseTone();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void EntryEditor::enableRecurrenceFields() {
    const auto picked = Recurrence(recurrence_->checkedId());
    weekday_->setEnabled(picked == Recurrence::Weekday);
    monthDay_->setEnabled(picked == Recurrence::EveryMonth);
    yearMonth_->setEnabled(picked == Recurrence::EveryYear);
    yearDay_->setEnabled(picked == Recurrence::EveryYear);
    for (QWidget* w :
         {static_cast<QWidget*>(year_), static_cast<QWidget*>(dateMonth_), static_cast<QWidget*>(dateDay_)})
        w->setEnabled(picked == Recurrence::OneDate);
}

void EntryEditor::takeDefaultTone() {
    defaultTone_->setChecked(true);
    choices_.takeDefaultTone();
    showChosenTone();
}

void EntryEditor::showChosenTone() {
    const bool chosen = chosenTone_->isChecked() && !choices_.chosenTone().isEmpty();
    const QString path = chosen ? choices_.chosenTone() : QString();
    chosenToneName_->setText(path.mid(path.lastIndexOf(QLatin1Char('/')) + 1));
    chosenToneName_->setToolTip(path);
}

void EntryEditor::chooseTone() {
    const bool wasInForce = chosenTone_->isChecked();
    chosenTone_->setChecked(true);
    if (choices_.chooseTone(wasInForce) == EntryChoices::ToneChoice::DefaultAgain)
        defaultTone_->setChecked(true);
    showChosenTone();
}

void EntryEditor::chooseFile(QRadioButton* option) {
    switch (ResponseOption(response_->id(option))) {
        case ResponseOption::BroadcastStatic:
            showPath(staticPlayList_, choices_.choosePlayList());
            break;
        case ResponseOption::BroadcastDynamic:
            showPath(dynamicPlayList_, choices_.choosePlayList());
            break;
        case ResponseOption::RunProgram:
            showPath(program_, choices_.chooseProgram());
            break;
        case ResponseOption::OpenTable:
            showPath(table_, choices_.chooseTable());
            break;
        default:
            break;
    }
}

}  // namespace quel
