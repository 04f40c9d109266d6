#include "calendar/calendar_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/files.h"

namespace quel {

namespace {

const QString kTitle = QStringLiteral("日历");
const QString kSilent = QStringLiteral("（不打铃）");
const QString kUnchanged = QStringLiteral("（不换表）");

QString dayText(const QDate& d) {
    return QStringLiteral("%1月%2日").arg(d.month()).arg(d.day());
}

QString tableText(const std::optional<QString>& table) {
    if (!table) {
        return kUnchanged;
    }
    return table->isEmpty() ? kSilent : *table;
}

QPushButton* button(const QString& text, const char* name, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

}  // namespace

CalendarWindow::CalendarWindow(CalendarDocument& document, Dialogs& dialogs, const Clock& clock,
                               QString tablesFolder, BellCounter bells, QWidget* parent)
    : QWidget(parent, Qt::Window),
      document_(document),
      dialogs_(dialogs),
      clock_(clock),
      tablesFolder_(std::move(tablesFolder)),
      bells_(std::move(bells)) {
    setObjectName(QStringLiteral("FormCalendar"));
    setWindowTitle(kTitle);

    month_ = new MonthView(this);
    day_ = new QLabel(this);
    day_->setObjectName(QStringLiteral("LabelDay"));
    day_->setWordWrap(true);
    next_ = new QLabel(this);
    next_->setObjectName(QStringLiteral("LabelNext"));
    warning_ = new QLabel(this);
    warning_->setObjectName(QStringLiteral("LabelWarning"));
    warning_->setStyleSheet(QStringLiteral("color: #b00000"));
    warning_->setWordWrap(true);
    national_ = new QCheckBox(QStringLiteral("按法定节假日"), this);
    national_->setObjectName(QStringLiteral("CheckNational"));

    auto* legend = new QLabel(this);
    legend->setObjectName(QStringLiteral("LabelLegend"));
    const auto swatch = [](DayKind k, const QString& text) {
        return QStringLiteral("<span style='background:%1'>&nbsp;&nbsp;&nbsp;</span> %2&nbsp;&nbsp;")
            .arg(dayKindColor(k).name(), text);
    };
    legend->setText(
        swatch(DayKind::Holiday, QStringLiteral("节假日")) +
        swatch(DayKind::MakeUpWorkday, QStringLiteral("调休上班")) +
        swatch(DayKind::Vacation, QStringLiteral("假期")) +
        swatch(DayKind::Override, QStringLiteral("调整")) +
        QStringLiteral("<span style='background:%1'>&nbsp;</span><span style='background:%2'>&nbsp;"
                       "</span> 作息（日期下的色带）")
            .arg(seasonBandColor(QStringLiteral("夏")).name(), seasonBandColor(QStringLiteral("冬")).name()));

    events_ = new QTreeWidget(this);
    events_->setObjectName(QStringLiteral("ListEvents"));
    events_->setRootIsDecorated(false);
    events_->setHeaderLabels({QStringLiteral("类别"), QStringLiteral("名称"), QStringLiteral("开始"),
                              QStringLiteral("结束"), QStringLiteral("作息表"), QStringLiteral("星期"),
                              QStringLiteral("每年")});
    events_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    category_ = new QComboBox(this);
    category_->setObjectName(QStringLiteral("ComboCategory"));
    for (SchoolCategory c : {SchoolCategory::Vacation, SchoolCategory::Season, SchoolCategory::Override}) {
        category_->addItem(categoryName(c), static_cast<int>(c));
    }
    summary_ = new QLineEdit(this);
    summary_->setObjectName(QStringLiteral("TextSummary"));
    start_ = new QDateEdit(this);
    start_->setObjectName(QStringLiteral("DateStart"));
    last_ = new QDateEdit(this);
    last_->setObjectName(QStringLiteral("DateEnd"));
    for (QDateEdit* e : {start_, last_}) {
        e->setCalendarPopup(true);
        e->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        e->setDate(clock_.now().date());
    }
    table_ = new QComboBox(this);
    table_->setObjectName(QStringLiteral("ComboTable"));
    table_->setEditable(true);
    table_->addItem(kSilent);
    table_->addItem(kUnchanged);
    const QStringList tables =
        QDir(tablesFolder_)
            .entryList({QStringLiteral("*.DTT"), QStringLiteral("*.dtt")}, QDir::Files, QDir::Name);
    table_->addItems(tables);
    weekday_ = new QComboBox(this);
    weekday_->setObjectName(QStringLiteral("ComboWeekday"));
    weekday_->addItem(QStringLiteral("（当天星期）"), 0);
    for (int w = 1; w <= 7; ++w) {
        weekday_->addItem(weekdayName(w), w);
    }
    yearly_ = new QCheckBox(QStringLiteral("每年重复"), this);
    yearly_->setObjectName(QStringLiteral("CheckYearly"));

    auto* editor = new QFormLayout;
    editor->addRow(QStringLiteral("类别"), category_);
    editor->addRow(QStringLiteral("名称"), summary_);
    editor->addRow(QStringLiteral("开始"), start_);
    editor->addRow(QStringLiteral("结束（含）"), last_);
    editor->addRow(QStringLiteral("作息表"), table_);
    editor->addRow(QStringLiteral("按星期"), weekday_);
    editor->addRow(QString(), yearly_);
    auto* commands = new QHBoxLayout;
    auto* addButton = button(QStringLiteral("增加"), "CommandAdd", this);
    auto* changeButton = button(QStringLiteral("修改"), "CommandChange", this);
    auto* removeButton = button(QStringLiteral("删除"), "CommandDelete", this);
    commands->addWidget(addButton);
    commands->addWidget(changeButton);
    commands->addWidget(removeButton);
    auto* imports = new QHBoxLayout;
    auto* importSchoolButton = button(QStringLiteral("导入学校日历…"), "CommandImportSchool", this);
    auto* importNationalButton = button(QStringLiteral("导入节假日数据…"), "CommandImportNational", this);
    imports->addWidget(importSchoolButton);
    imports->addWidget(importNationalButton);

    auto* left = new QVBoxLayout;
    left->addWidget(month_);
    left->addWidget(legend);
    left->addWidget(day_);
    left->addWidget(next_);
    left->addWidget(national_);
    left->addWidget(warning_);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(events_, 1);
    right->addLayout(editor);
    right->addLayout(commands);
    right->addLayout(imports);
    auto* all = new QHBoxLayout(this);
    all->addLayout(left, 0);
    all->addLayout(right, 1);

    connect(month_, &QCalendarWidget::selectionChanged, this, &CalendarWindow::showDay);
    connect(national_, &QCheckBox::clicked, this, [this](bool on) {
        report(document_.setNationalOn(on));
        // A refused change leaves the box showing what is in force, not what was clicked.
        national_->setChecked(document_.calendar().nationalOn());
    });
    connect(events_, &QTreeWidget::currentItemChanged, this,
            [this] { showInEditor(events_->indexOfTopLevelItem(events_->currentItem())); });
    connect(addButton, &QPushButton::clicked, this, &CalendarWindow::add);
    connect(changeButton, &QPushButton::clicked, this, &CalendarWindow::change);
    connect(removeButton, &QPushButton::clicked, this, &CalendarWindow::remove);
    connect(importSchoolButton, &QPushButton::clicked, this, &CalendarWindow::importSchool);
    connect(importNationalButton, &QPushButton::clicked, this, &CalendarWindow::importNational);
    connect(&document_, &CalendarDocument::changed, this, &CalendarWindow::refresh);

    month_->setSelectedDate(clock_.now().date());
    refresh();
    resize(900, 560);
}

void CalendarWindow::refresh() {
    const SchoolCalendar& calendar = document_.calendar();
    month_->setCalendar(&calendar);
    national_->setChecked(calendar.nationalOn());
    const QDate today = clock_.now().date();
    warning_->setText(dataRunsOutText(calendar, today));
    const int current = events_->indexOfTopLevelItem(events_->currentItem());
    events_->clear();
    for (const SchoolEvent& e : calendar.school().events) {
        auto* item = new QTreeWidgetItem(events_);
        item->setText(0, categoryName(e.category));
        item->setText(1, e.summary);
        item->setText(2, e.start.toString(Qt::ISODate));
        item->setText(3, e.end.addDays(-1).toString(Qt::ISODate));
        item->setText(4, e.category == SchoolCategory::Vacation && !e.table ? kSilent : tableText(e.table));
        item->setText(5, weekdayName(e.weekday));
        item->setText(6, e.yearly ? QStringLiteral("是") : QString());
    }
    if (current >= 0 && current < events_->topLevelItemCount()) {
        events_->setCurrentItem(events_->topLevelItem(current));
    }
    showDay();
}

void CalendarWindow::showDay() {
    const SchoolCalendar& calendar = document_.calendar();
    const QDate date = month_->selectedDate();
    const DayPlan plan = calendar.dayPlan(date);
    QString text =
        QStringLiteral("%1年%2 %3\n").arg(date.year()).arg(dayText(date), weekdayName(date.dayOfWeek()));
    const QString why = describe(plan);
    text += why.isEmpty() ? QStringLiteral("默认作息表") : why;
    if (!plan.silent && bells_) {
        text += QStringLiteral("\n打铃 %1 次").arg(bells_(plan.table, date, plan.weekday));
    }
    day_->setText(text);
    if (const auto change = calendar.nextChange(date)) {
        const DayPlan then = calendar.dayPlan(*change);
        const QString what = describe(then);
        next_->setText(QStringLiteral("%1起：%2")
                           .arg(dayText(*change), what.isEmpty() ? QStringLiteral("默认作息表") : what));
    } else {
        next_->setText(QStringLiteral("一年内没有变化"));
    }
}

void CalendarWindow::showInEditor(int index) {
    const QList<SchoolEvent>& events = document_.calendar().school().events;
    if (index < 0 || index >= events.size()) {
        return;
    }
    const SchoolEvent& e = events[index];
    category_->setCurrentIndex(category_->findData(static_cast<int>(e.category)));
    summary_->setText(e.summary);
    start_->setDate(e.start);
    last_->setDate(e.end.addDays(-1));
    table_->setCurrentText(e.category == SchoolCategory::Vacation && !e.table ? kSilent : tableText(e.table));
    weekday_->setCurrentIndex(weekday_->findData(e.weekday));
    yearly_->setChecked(e.yearly);
}

std::optional<SchoolEvent> CalendarWindow::eventFromEditor() {
    SchoolEvent e;
    e.category = static_cast<SchoolCategory>(category_->currentData().toInt());
    e.summary = summary_->text().trimmed();
    if (e.summary.isEmpty()) {
        report(QStringLiteral("请填写名称"));
        return std::nullopt;
    }
    e.start = start_->date();
    e.end = last_->date().addDays(1);
    const QString table = table_->currentText().trimmed();
    if (table == kSilent) {
        e.table = QString();
    } else if (table != kUnchanged && !table.isEmpty()) {
        e.table = table;
    }
    e.weekday = weekday_->currentData().toInt();
    e.yearly = yearly_->isChecked();
    return e;
}

void CalendarWindow::add() {
    if (auto e = eventFromEditor()) {
        report(document_.addEvent(*e));
    }
}

void CalendarWindow::change() {
    const int index = events_->indexOfTopLevelItem(events_->currentItem());
    if (index < 0) {
        report(QStringLiteral("请先在列表中选中要修改的一项"));
        return;
    }
    if (auto e = eventFromEditor()) {
        e->uid = document_.calendar().school().events[index].uid;
        report(document_.replaceEvent(index, *e));
    }
}

void CalendarWindow::remove() {
    const int index = events_->indexOfTopLevelItem(events_->currentItem());
    if (index < 0) {
        report(QStringLiteral("请先在列表中选中要删除的一项"));
        return;
    }
    report(document_.removeEvent(index));
}

void CalendarWindow::importNational() {
    const QString path = dialogs_.openFile({QStringLiteral("导入节假日数据"), QDir::homePath(),
                                            QStringLiteral("节假日数据|*.ics;*.json;*.txt")});
    if (path.isEmpty()) {
        return;
    }
    const QString refusal = document_.importNational(path);
    if (refusal.isEmpty()) {
        const NationalCalendar& n = document_.calendar().national();
        dialogs_.message(
            kTitle, QStringLiteral("已导入，节假日数据现为 %1–%2 年").arg(n.firstYear()).arg(n.lastYear()),
            MessageIcon::Information);
        return;
    }
    dialogs_.message(kTitle, QStringLiteral("没有导入：%1").arg(refusal), MessageIcon::Warning);
}

void CalendarWindow::importSchool() {
    const QString path = dialogs_.openFile(
        {QStringLiteral("导入学校日历"), QDir::homePath(), QStringLiteral("iCalendar 日历|*.ics")});
    if (path.isEmpty()) {
        return;
    }
    auto read = document_.readImport(path);
    if (auto* e = std::get_if<CalendarError>(&read)) {
        dialogs_.message(kTitle, QStringLiteral("没有导入：%1").arg(e->message), MessageIcon::Warning);
        return;
    }
    const SchoolCalendarRead imported = std::get<SchoolCalendarRead>(read);
    if (imported.foreign.isEmpty()) {
        report(document_.mergeSchool(imported, {}));
        return;
    }
    // Events without our categories: the operator confirms what each one is before anything is merged.
    delete mapping_;
    mapping_ = new QDialog(this);
    mapping_->setObjectName(QStringLiteral("FormCalendarMapping"));
    mapping_->setWindowTitle(QStringLiteral("导入学校日历：确认类别"));
    auto* layout = new QVBoxLayout(mapping_);
    layout->addWidget(new QLabel(QStringLiteral("这些事件没有类别，请确认它们是什么："), mapping_));
    auto* list = new QTreeWidget(mapping_);
    list->setObjectName(QStringLiteral("ListMapping"));
    list->setRootIsDecorated(false);
    list->setHeaderLabels({QStringLiteral("名称"), QStringLiteral("日期"), QStringLiteral("类别")});
    QList<QComboBox*> choices;
    for (const ForeignEvent& f : imported.foreign) {
        auto* item =
            new QTreeWidgetItem(list, {f.summary, f.start.toString(Qt::ISODate) + QStringLiteral(" – ") +
                                                      f.end.addDays(-1).toString(Qt::ISODate)});
        auto* combo = new QComboBox(list);
        for (SchoolCategory c :
             {SchoolCategory::Vacation, SchoolCategory::Season, SchoolCategory::Override}) {
            combo->addItem(categoryName(c), static_cast<int>(c));
        }
        combo->setCurrentIndex(combo->findData(static_cast<int>(f.suggested)));
        list->setItemWidget(item, 2, combo);
        choices << combo;
    }
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, mapping_);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, mapping_, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, mapping_, &QDialog::reject);
    QDialog* dialog = mapping_;
    connect(dialog, &QDialog::finished, this, [this, dialog, imported, choices](int result) {
        if (result == QDialog::Accepted) {
            QList<SchoolCategory> as;
            for (QComboBox* c : choices) {
                as << static_cast<SchoolCategory>(c->currentData().toInt());
            }
            report(document_.mergeSchool(imported, as));
        }
        if (mapping_ == dialog) {
            mapping_ = nullptr;
        }
        dialog->deleteLater();
    });
    dialog->open();
}

void CalendarWindow::report(const QString& refusal) {
    if (!refusal.isEmpty()) {
        dialogs_.message(kTitle, refusal, MessageIcon::Warning);
    }
}

}  // namespace quel
