#include "bells/alarm_panel.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QSignalBlocker>

namespace quel {

namespace {

constexpr int kLongestCountDown = 180;
constexpr int kTimeChars = 2;
constexpr int kLengthChars = 3;

QLabel* makeLabel(const QString& text, const QString& name = QString()) {
    auto* label = new QLabel(text);
    if (!name.isEmpty())
        label->setObjectName(name);
    return label;
}

}  // namespace

AlarmPanel::AlarmPanel(Alarm& alarm, QWidget* parent)
    : QWidget(parent),
      alarm_(alarm),
      length_(makeCombo(QStringLiteral("Combo1"), QStringLiteral("倒计时"), kLengthChars)),
      hour_(makeCombo(QStringLiteral("Combo2"), QStringLiteral("设置小时"), kTimeChars)),
      minute_(makeCombo(QStringLiteral("Combo3"), QStringLiteral("设置分钟"), kTimeChars)),
      second_(makeCombo(QStringLiteral("Combo4"), QStringLiteral("设置秒数"), kTimeChars)),
      display_(makeLabel(countDown_.display(), QStringLiteral("Label3"))) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(makeLabel(QStringLiteral("顺计时<"), QStringLiteral("Label4")));
    layout->addWidget(hour_);
    layout->addWidget(makeLabel(QStringLiteral("-时-")));
    layout->addWidget(minute_);
    layout->addWidget(makeLabel(QStringLiteral("-分-")));
    layout->addWidget(second_);
    layout->addWidget(makeLabel(QStringLiteral("-秒-")));
    layout->addSpacing(display_->fontMetrics().averageCharWidth());
    layout->addWidget(display_);
    layout->addWidget(length_);
    layout->addStretch();

    connect(hour_, &QComboBox::editTextChanged, this, [this] { checkTimeInput(hour_, alarm::kMaxHour); });
    connect(minute_, &QComboBox::editTextChanged, this,
            [this] { checkTimeInput(minute_, alarm::kMaxMinute); });
    connect(second_, &QComboBox::editTextChanged, this,
            [this] { checkTimeInput(second_, alarm::kMaxMinute); });
    // Typing a length and picking one (even the same one again) both start the count afresh. Qt also
    // reports an activation when the typed text leaves the box and matches an item; the count must
    // not start again merely because the operator clicked elsewhere.
    connect(length_, &QComboBox::editTextChanged, this, &AlarmPanel::restartCountDown);
    connect(length_, &QComboBox::textActivated, this, [this] {
        if (!leavingLength_)
            restartCountDown();
    });
    length_->lineEdit()->installEventFilter(this);
}

bool AlarmPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == length_->lineEdit() && event->type() == QEvent::FocusOut) {
        const QScopedValueRollback leaving(leavingLength_, true);
        return watched->event(event);
    }
    return QWidget::eventFilter(watched, event);
}

QComboBox* AlarmPanel::makeCombo(const QString& name, const QString& tip, int minChars) {
    auto* combo = new QComboBox;
    combo->setObjectName(name);
    combo->setToolTip(tip);
    combo->setEditable(true);
    // Typed text stays what was typed: no completion from the list, no new list items.
    combo->setCompleter(nullptr);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMinimumContentsLength(minChars);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return combo;
}

void AlarmPanel::fill(QComboBox* combo, int first, int last) {
    // Filling is not the operator's choice: it must neither start a count-down nor trip the checks.
    const QSignalBlocker block(combo);
    combo->clear();
    for (int n = first; n <= last; ++n)
        combo->addItem(QString::number(n));
    combo->setCurrentIndex(-1);
    combo->clearEditText();
}

void AlarmPanel::fillLists() {
    fill(length_, 1, kLongestCountDown);
    fill(hour_, 0, alarm::kMaxHour);
    fill(minute_, 0, alarm::kMaxMinute);
    fill(second_, 0, alarm::kMaxMinute);
}

void AlarmPanel::checkTimeInput(QComboBox* combo, int max) {
    const QString text = combo->currentText();
    if (!text.isEmpty() && alarm::checkedTimeInput(text, max).isEmpty())
        combo->setEditText(QString());
}

void AlarmPanel::restartCountDown() {
    countDown_.restart(length_->currentText());
}

void AlarmPanel::alarmStep(const ProgramClock& clock) {
    const alarm::AlarmTime alarmTime{hour_->currentText(), minute_->currentText(), second_->currentText()};
    if (alarm::reached(alarmTime, clock)) {
        alarm_.ring();
        // One-shot: the time is cleared, so the same second tomorrow stays silent.
        hour_->setEditText(QString());
        minute_->setEditText(QString());
        second_->setEditText(QString());
        emit alarmRang();
    }
    const bool finished = countDown_.step(length_->currentText(), alarm_.unit());
    display_->setText(countDown_.display());
    if (finished) {
        alarm_.ring();
        emit countDownEnded();
    }
}

}  // namespace quel
