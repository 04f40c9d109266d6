#include "shell/calibration_window.h"

#include "platform/named.h"
#include "platform/settings_names.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include "engine/clock_tick.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "shell/info/version.h"

namespace quel {

namespace {

const QString kTitle = version::title();

}  // namespace

FormJustTimeByHand::FormJustTimeByHand(ClockTick& tick, Files& files, Dialogs& dialogs, QString programFolder,
                                       QWidget* parent)
    : QWidget(parent, Qt::Window),
      tick_(tick),
      settings_(files, std::move(programFolder)),
      dialogs_(dialogs),
      Slider1(new QSlider(Qt::Horizontal, this)),
      Label3(named(new QLabel(QString(), this), QStringLiteral("Label3"))),
      Command1(new QPushButton(QStringLiteral("保存此间隔设置并退出"), this)) {
    setObjectName(QStringLiteral("FormJustTimeByHand"));
    setWindowTitle(kTitle);

    Slider1->setObjectName(QStringLiteral("Slider1"));
    Slider1->setRange(kMinIntervalMs, kMaxIntervalMs);
    Command1->setObjectName(QStringLiteral("Command1"));
    Label3->setAlignment(Qt::AlignCenter);

    auto* grid = new QGridLayout(this);
    grid->addWidget(named(new QLabel(QStringLiteral("内部时间比系统时间快<==================="), this),
                          QStringLiteral("Label4")),
                    0, 0, 1, 2, Qt::AlignLeft);
    grid->addWidget(named(new QLabel(QStringLiteral("内部时间比系统时间慢===================>"), this),
                          QStringLiteral("Label5")),
                    0, 2, 1, 2, Qt::AlignRight);
    grid->addWidget(
        named(new QLabel(QStringLiteral("设置内部时间间隔<==============>"), this), QStringLiteral("Label6")),
        1, 0, 1, 4, Qt::AlignCenter);
    grid->addWidget(named(new QLabel(QStringLiteral("900"), this), QStringLiteral("Label1")), 2, 0);
    grid->addWidget(Slider1, 2, 1, 1, 2);
    grid->addWidget(named(new QLabel(QStringLiteral("1000"), this), QStringLiteral("Label2")), 2, 3);
    grid->addWidget(Label3, 3, 0, 1, 4);
    grid->addWidget(Command1, 4, 0, 1, 4, Qt::AlignCenter);

    // After a steering step the pace is 800 or 1300 ms, outside the slider. The slider shows the nearer
    // end, and the pace stays as it is until the operator chooses one.
    Slider1->setValue(qBound(kMinIntervalMs, tick_.interval(), kMaxIntervalMs));
    Label3->setText(QString::number(Slider1->value()));
    // The label follows the slider directly instead of polling it on a fast timer.
    connect(Slider1, &QSlider::valueChanged, this, &FormJustTimeByHand::intervalChosen);
    connect(Command1, &QPushButton::clicked, this, &FormJustTimeByHand::save);

    tick_.justMyTime();
}

void FormJustTimeByHand::intervalChosen(int ms) {
    Label3->setText(QString::number(ms));
    tick_.setInterval(ms);
    tick_.justMyTime();
}

void FormJustTimeByHand::save() {
    const int value = Slider1->value();
    const QString text = QStringLiteral("内部时间间隔") + QString::number(value);
    if (settings_.writeNumber(settings::kInterval, value)) {
        dialogs_.message(kTitle, text + QStringLiteral("已设置好并保存到文件中！"), MessageIcon::Information);
    } else {
        // Nothing was stored, so the next start would not use this pace: say so, and stay open so the
        // operator can try again once the folder can be written.
        dialogs_.message(kTitle, text + QStringLiteral("无法保存到文件中！"), MessageIcon::Error);
        tick_.justMyTime();
        return;
    }
    tick_.justMyTime();
    close();
}

void FormJustTimeByHand::closeEvent(QCloseEvent* event) {
    tick_.justMyTime();
    event->accept();
}

}  // namespace quel
