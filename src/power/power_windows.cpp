#include "power/power_windows.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include "platform/dialogs.h"
#include "platform/named.h"
#include "platform/program_title.h"

namespace quel {

namespace {

const QString kTitle = programTitle();
constexpr int kPictureSize = 48;

struct WindowTexts {
    const char* name;
    const char* wait;  // Label1 while counting
    const char* act;
    const char* cancel;
    const char* failed;  // put before the system's reason when it refused
};

const WindowTexts& textsOf(PowerAction kind) {
    static const WindowTexts kShutdown{"FormShutDownWindows", "秒后程序将强制关机", "立即关机", "取消关机",
                                       "关机失败："};
    static const WindowTexts kRestart{"FormRestartWindows", "秒钟后将强制重新启动", "立即重启", "取消重启",
                                      "重启失败："};
    static const WindowTexts kLogoff{"FormLogoff", "秒后将注销用户", "立即注销", "取消注销", "注销失败："};
    switch (kind) {
        case PowerAction::Shutdown:
            return kShutdown;
        case PowerAction::Restart:
            return kRestart;
        case PowerAction::Logoff:
            return kLogoff;
    }
    return kShutdown;
}

}  // namespace

PowerOffWindow::PowerOffWindow(PowerOff& controller, PowerAction kind)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint), controller_(controller), kind_(kind) {
    const WindowTexts& texts = textsOf(kind);
    setObjectName(QString::fromLatin1(texts.name));
    setWindowTitle(kTitle);
    setProperty(kNoDialogParent, true);
    // Closing a count-down is never a reason for the program to end.
    setAttribute(Qt::WA_QuitOnClose, false);
    // Above every window, where the operator sees it, but never taking the keyboard: a key meant for
    // another window must not reach its buttons.
    setAttribute(Qt::WA_ShowWithoutActivating);
    waitText_ = QString::fromUtf8(texts.wait);
    failedText_ = QString::fromUtf8(texts.failed);

    auto* picture = named(new QLabel, "Image1");
    picture->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(kPictureSize));
    left_ = named(new QLabel, "Label4");
    QFont big = left_->font();
    big.setPointSize(big.pointSize() + 8);
    big.setBold(true);
    left_->setFont(big);
    text_ = named(new QLabel(waitText_), "Label1");
    text_->setWordWrap(true);
    bar_ = named(new QProgressBar, "ProgressBar1");
    bar_->setTextVisible(false);
    maximum_ = named(new QLabel, "Label3");
    actNow_ = named(new QPushButton(QString::fromUtf8(texts.act)), "Command1");
    auto* cancel = named(new QPushButton(QString::fromUtf8(texts.cancel)), "Command2");

    auto* layout = new QGridLayout(this);
    layout->addWidget(picture, 0, 0, 2, 1, Qt::AlignTop);
    auto* message = new QHBoxLayout;
    message->addWidget(left_);
    message->addWidget(text_, 1);
    layout->addLayout(message, 0, 1, 1, 3);
    layout->addWidget(named(new QLabel(QStringLiteral("0")), "Label2"), 1, 1);
    layout->addWidget(bar_, 1, 2);
    layout->addWidget(maximum_, 1, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(actNow_);
    buttons->addWidget(cancel);
    layout->addLayout(buttons, 2, 0, 1, 4);

    // No button answers Enter, and the one that powers off takes no focus, not even by Tab.
    for (QPushButton* b : {actNow_, cancel}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    actNow_->setFocusPolicy(Qt::NoFocus);
    connect(actNow_, &QPushButton::clicked, this, [this] { controller_.actNow(kind_); });
    connect(cancel, &QPushButton::clicked, this, [this] { controller_.cancel(kind_); });
}

void PowerOffWindow::showCountdown(const PowerOff::Countdown& countdown) {
    bar_->setRange(0, countdown.count.maximum());
    bar_->setValue(countdown.count.left());
    maximum_->setText(QString::number(countdown.count.maximum()));
    left_->setText(QString::number(countdown.count.left()));
    const bool failed = countdown.state == PowerOff::State::Failed;
    text_->setText(failed ? failedText_ + countdown.error : waitText_);
    actNow_->setEnabled(countdown.state == PowerOff::State::Counting || failed);
}

void PowerOffWindow::closeEvent(QCloseEvent* event) {
    controller_.cancel(kind_);
    event->accept();
}

PowerOffWindows::PowerOffWindows(PowerOff& controller, QObject* parent)
    : QObject(parent), controller_(controller) {
    connect(&controller_, &PowerOff::changed, this, &PowerOffWindows::refresh);
    connect(&controller_, &PowerOff::raised, this, &PowerOffWindows::bringForward);
}

PowerOffWindows::~PowerOffWindows() {
    for (const QPointer<PowerOffWindow>& w : windows_)
        delete w.data();
}

void PowerOffWindows::refresh(PowerAction kind) {
    QPointer<PowerOffWindow>& w = windows_[static_cast<int>(kind)];
    const PowerOff::Countdown& countdown = controller_.countdown(kind);
    if (countdown.state == PowerOff::State::Closed) {
        if (w) {
            w->hide();
            w->deleteLater();
            w = nullptr;
        }
        return;
    }
    if (w) {
        w->showCountdown(countdown);
        return;
    }
    w = new PowerOffWindow(controller_, kind);
    w->showCountdown(countdown);
    w->adjustSize();
    // In the middle of the screen, not where a window manager puts a new window (the bottom of a busy
    // screen, under the others).
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = w->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        w->move(frame.topLeft());
    }
    bringForward(kind);
}

// Shown and raised, not activated: the window the operator types in keeps the keyboard.
void PowerOffWindows::bringForward(PowerAction kind) {
    PowerOffWindow* w = window(kind);
    if (!w)
        return;
    w->show();
    w->raise();
}

}  // namespace quel
