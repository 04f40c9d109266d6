#include "engine/alarm.h"

#include <QAction>
#include <QMenu>

#include "platform/named.h"
#include "platform/settings_names.h"

namespace quel {

namespace {

const QString kAlarmCaption = QStringLiteral("闹铃");
const QString kUnitCaption = QStringLiteral("单位设置");
// Shown on 单位设置 when the stored unit was unusable and minutes were assumed.
const QString kAssumedUnitCaption = QStringLiteral("计时:分");

const QString kChooseRingTitle = QStringLiteral("请选择外部铃声：");
const QString kChooseRingFilter = QStringLiteral(
    "所有可以播放的文件|*.avi;*.asf;*.asx;*.rmi;*.wav;*.wma;*.wax;*.mpg;*.mpeg;*.m1v;*.mp2;*.mp3;*.mpa;*.mpe;"
    "*.mid;*.rmi;*.qt;*.aif;*.aifc;*.aiff;*.mov;*.au;*.snd");

// How each unit is stored in `timeset.txt` and named in the menu caption.
struct UnitNames {
    alarm::Unit unit;
    QString stored;
    QString symbol;
};

const UnitNames kUnits[] = {
    {alarm::Unit::Hour, QStringLiteral("hour"), QStringLiteral("时")},
    {alarm::Unit::Minute, QStringLiteral("minute"), QStringLiteral("分")},
    {alarm::Unit::Second, QStringLiteral("second"), QStringLiteral("秒")},
};

const UnitNames& namesOf(alarm::Unit unit) {
    for (const UnitNames& names : kUnits) {
        if (names.unit == unit)
            return names;
    }
    return kUnits[1];
}

QString alarmCaption(alarm::Unit unit) {
    return kAlarmCaption + QStringLiteral("[单位") + namesOf(unit).symbol + QLatin1Char(']');
}

}  // namespace

Alarm::Alarm(Platform& platform, Media& tone, QObject* parent)
    : QObject(parent),
      files_(platform.files),
      dialogs_(platform.dialogs),
      programFolder_(platform.programFolder),
      tone_(tone),
      menu_(std::make_unique<QMenu>(kAlarmCaption)) {
    menu_->setObjectName(QStringLiteral("RingSet"));

    unitMenu_ = addNamedMenu(menu_.get(), QStringLiteral("UnitName"), kUnitCaption);
    second_ = addNamedAction(unitMenu_, QStringLiteral("Sec"), QStringLiteral("秒钟"), true);
    minute_ = addNamedAction(unitMenu_, QStringLiteral("Min"), QStringLiteral("分钟"), true);
    hour_ = addNamedAction(unitMenu_, QStringLiteral("Hou"), QStringLiteral("小时"), true);
    tickUnit(unit_);

    QMenu* ringMenu = addNamedMenu(menu_.get(), QStringLiteral("OuterRing"), QStringLiteral("选择闹铃"));
    QMenu* current = addNamedMenu(ringMenu, QStringLiteral("kkks"), QStringLiteral("当前闹铃"));
    currentRing_ = addNamedAction(current, QStringLiteral("CurrentRing"), QString());
    QAction* choose = addNamedAction(ringMenu, QStringLiteral("RingChoose"), QStringLiteral("选择闹铃"));
    defaultRingItem_ = addNamedAction(ringMenu, QStringLiteral("humor"), QStringLiteral("默认闹铃"));

    QAction* tryRing = addNamedAction(menu_.get(), QStringLiteral("menuTryRing"), QStringLiteral("播放闹铃"));
    QAction* stopSound =
        addNamedAction(menu_.get(), QStringLiteral("menustopsound"), QStringLiteral("停止闹铃"));

    connect(second_, &QAction::triggered, this, [this] { chooseUnit(alarm::Unit::Second); });
    connect(minute_, &QAction::triggered, this, [this] { chooseUnit(alarm::Unit::Minute); });
    connect(hour_, &QAction::triggered, this, [this] { chooseUnit(alarm::Unit::Hour); });
    connect(choose, &QAction::triggered, this, &Alarm::chooseRing);
    connect(defaultRingItem_, &QAction::triggered, this, &Alarm::useDefaultRing);
    connect(tryRing, &QAction::triggered, this, &Alarm::ring);
    // Stopping also silences a tone: both share the component.
    connect(stopSound, &QAction::triggered, this, [this] { tone_.stop(); });
    // An empty file name is how the rest of the program tells that the component is idle.
    connect(&tone_, &Media::endOfStream, this, [this] { tone_.setFileName(QString()); });
}

Alarm::~Alarm() = default;

bool Alarm::applyAlarmUnit(const QString& stored) {
    for (const UnitNames& names : kUnits) {
        if (stored == names.stored) {
            unit_ = names.unit;
            tickUnit(unit_);
            menu_->setTitle(alarmCaption(unit_));
            return true;
        }
    }
    unit_ = alarm::Unit::Minute;
    tickUnit(unit_);
    unitMenu_->setTitle(kAssumedUnitCaption);
    return false;
}

bool Alarm::applyRings(const QString& userRing, const QString& defaultRing) {
    defaultRing_ = defaultRing;
    const bool stored = !userRing.isEmpty();
    userRing_ = stored ? userRing : defaultRing;
    showRing();
    return stored;
}

void Alarm::ring() {
    // The Windows version wrote its paths in capitals; a sound in the program folder is found in any case.
    tone_.setFileName(resolveInFolder(programFolder_, userRing_));
    tone_.play();
}

void Alarm::chooseUnit(alarm::Unit unit) {
    // A count-down in progress keeps its remaining count and goes on in the new unit.
    unit_ = unit;
    tickUnit(unit);
    menu_->setTitle(alarmCaption(unit));
    files_.writeText(programFolder_ + QLatin1Char('/') + settings::kTimeSet, namesOf(unit).stored);
}

void Alarm::tickUnit(alarm::Unit unit) {
    second_->setChecked(unit == alarm::Unit::Second);
    minute_->setChecked(unit == alarm::Unit::Minute);
    hour_->setChecked(unit == alarm::Unit::Hour);
}

void Alarm::useDefaultRing() {
    userRing_ = defaultRing_;
    showRing();
    ring();
    saveRing();
}

void Alarm::chooseRing() {
    const QString chosen = dialogs_.openFile({kChooseRingTitle, programFolder_, kChooseRingFilter});
    if (!chosen.isEmpty()) {
        userRing_ = chosen;
        showRing();
        ring();
    }
    // Written back even when cancelled, so the file always holds the sound in use.
    saveRing();
}

void Alarm::showRing() {
    // A path may hold "&", which a menu caption would otherwise take for a shortcut marker.
    QString caption = userRing_;
    currentRing_->setText(caption.replace(QLatin1Char('&'), QStringLiteral("&&")));
    defaultRingItem_->setEnabled(!samePath(resolveInFolder(programFolder_, userRing_), defaultRing_));
}

void Alarm::saveRing() {
    files_.writeText(programFolder_ + QLatin1Char('/') + settings::kUserWav, userRing_);
}

}  // namespace quel
