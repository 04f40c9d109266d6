#include "shell/bell_menus.h"

#include <QAction>
#include <QMenu>

#include "bells/alarm.h"
#include "bells/chime.h"
#include "platform/named.h"

namespace quel {

namespace {

// Qt flips a checkable item before `triggered`, so `checked` false means it was ticked already: it is
// ticked again and nothing is chosen.
void onChoice(QAction* item, QObject* context, std::function<void()> choose) {
    QObject::connect(item, &QAction::triggered, context, [item, choose = std::move(choose)](bool checked) {
        if (!checked) {
            item->setChecked(true);
            return;
        }
        choose();
    });
}

const QString kAlarmCaption = QStringLiteral("闹铃");
const QString kUnitCaption = QStringLiteral("单位设置");
// Shown on 单位设置 when the stored unit was unusable and minutes were assumed.
const QString kAssumedUnitCaption = QStringLiteral("计时:分");

QString unitSymbol(alarm::Unit unit) {
    switch (unit) {
        case alarm::Unit::Hour:
            return QStringLiteral("时");
        case alarm::Unit::Minute:
            return QStringLiteral("分");
        case alarm::Unit::Second:
            return QStringLiteral("秒");
    }
    return QStringLiteral("分");
}

}  // namespace

ChimeMenu::ChimeMenu(Chime& chime, QObject* parent)
    : QObject(parent), chime_(chime), menu_(new QMenu(QStringLiteral("敲钟"))) {
    menu_->setObjectName(QStringLiteral("Menu2"));
    QMenu* onOff = addNamedMenu(menu_, QStringLiteral("MenuTollOnOff"), QStringLiteral("整点敲钟"));
    on_ = addNamedAction(onOff, QStringLiteral("MenuTollOn"), QStringLiteral("开"), true);
    off_ = addNamedAction(onOff, QStringLiteral("MenuTollOff"), QStringLiteral("关"), true);
    QMenu* sounds = addNamedMenu(menu_, QStringLiteral("MenuTollRingChoose"), QStringLiteral("钟声选择"));
    soundA_ = addNamedAction(sounds, QStringLiteral("MenuTollRingChooseA"), QStringLiteral("钟声A"), true);
    soundB_ = addNamedAction(sounds, QStringLiteral("MenuTollRingChooseB"), QStringLiteral("钟声B"), true);
    soundC_ = addNamedAction(sounds, QStringLiteral("MenuTollRingChooseC"), QStringLiteral("钟声C"), true);
    QAction* listen = addNamedAction(menu_, QStringLiteral("MenuTollListen"), QStringLiteral("试听钟声"));

    onChoice(on_, this, [this] { chime_.setOn(true); });
    onChoice(off_, this, [this] { chime_.setOn(false); });
    onChoice(soundA_, this, [this] { chime_.setSound(chime::Sound::A); });
    onChoice(soundB_, this, [this] { chime_.setSound(chime::Sound::B); });
    onChoice(soundC_, this, [this] { chime_.setSound(chime::Sound::C); });
    connect(listen, &QAction::triggered, &chime_, &Chime::listen);
    connect(&chime_, &Chime::settingChanged, this, &ChimeMenu::show);
    show();
}

ChimeMenu::~ChimeMenu() {
    delete menu_;
}

void ChimeMenu::show() {
    const std::optional<bool> on = chime_.isOn();
    on_->setChecked(on == true);
    off_->setChecked(on == false);
    const std::optional<chime::Sound> sound = chime_.sound();
    soundA_->setChecked(sound == chime::Sound::A);
    soundB_->setChecked(sound == chime::Sound::B);
    soundC_->setChecked(sound == chime::Sound::C);
}

AlarmMenu::AlarmMenu(Alarm& alarm, QObject* parent)
    : QObject(parent), alarm_(alarm), menu_(new QMenu(kAlarmCaption)) {
    menu_->setObjectName(QStringLiteral("RingSet"));
    unitMenu_ = addNamedMenu(menu_, QStringLiteral("UnitName"), kUnitCaption);
    second_ = addNamedAction(unitMenu_, QStringLiteral("Sec"), QStringLiteral("秒钟"), true);
    minute_ = addNamedAction(unitMenu_, QStringLiteral("Min"), QStringLiteral("分钟"), true);
    hour_ = addNamedAction(unitMenu_, QStringLiteral("Hou"), QStringLiteral("小时"), true);

    QMenu* ringMenu = addNamedMenu(menu_, QStringLiteral("OuterRing"), QStringLiteral("选择闹铃"));
    QMenu* current = addNamedMenu(ringMenu, QStringLiteral("kkks"), QStringLiteral("当前闹铃"));
    currentRing_ = addNamedAction(current, QStringLiteral("CurrentRing"), QString());
    QAction* choose = addNamedAction(ringMenu, QStringLiteral("RingChoose"), QStringLiteral("选择闹铃"));
    defaultRing_ = addNamedAction(ringMenu, QStringLiteral("humor"), QStringLiteral("默认闹铃"));
    QAction* tryRing = addNamedAction(menu_, QStringLiteral("menuTryRing"), QStringLiteral("播放闹铃"));
    QAction* stop = addNamedAction(menu_, QStringLiteral("menustopsound"), QStringLiteral("停止闹铃"));

    connect(second_, &QAction::triggered, this, [this] { alarm_.chooseUnit(alarm::Unit::Second); });
    connect(minute_, &QAction::triggered, this, [this] { alarm_.chooseUnit(alarm::Unit::Minute); });
    connect(hour_, &QAction::triggered, this, [this] { alarm_.chooseUnit(alarm::Unit::Hour); });
    connect(choose, &QAction::triggered, &alarm_, &Alarm::chooseRing);
    connect(defaultRing_, &QAction::triggered, &alarm_, &Alarm::useDefaultRing);
    connect(tryRing, &QAction::triggered, &alarm_, &Alarm::ring);
    connect(stop, &QAction::triggered, &alarm_, &Alarm::stopSound);
    connect(&alarm_, &Alarm::changed, this, &AlarmMenu::show);
    show();
}

AlarmMenu::~AlarmMenu() {
    delete menu_;
}

void AlarmMenu::show() {
    const alarm::Unit unit = alarm_.unit();
    second_->setChecked(unit == alarm::Unit::Second);
    minute_->setChecked(unit == alarm::Unit::Minute);
    hour_->setChecked(unit == alarm::Unit::Hour);
    menu_->setTitle(alarm_.unitKnown()
                        ? kAlarmCaption + QStringLiteral("[单位") + unitSymbol(unit) + QLatin1Char(']')
                        : kAlarmCaption);
    unitMenu_->setTitle(alarm_.unitAssumed() ? kAssumedUnitCaption : kUnitCaption);
    // A path may hold "&", which a menu caption would otherwise take for a shortcut marker.
    QString caption = alarm_.userRing();
    currentRing_->setText(caption.replace(QLatin1Char('&'), QStringLiteral("&&")));
    defaultRing_->setEnabled(!alarm_.usesDefaultRing());
}

}  // namespace quel
