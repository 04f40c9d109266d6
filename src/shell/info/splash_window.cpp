#include "shell/info/splash_window.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/named.h"
#include "shell/info/app_icon.h"
#include "shell/info/placement.h"
#include "shell/info/version.h"

namespace quel {

namespace {
constexpr QSize kSplashSize(470, 250);
constexpr int kLogoPx = 128;
constexpr int kTitlePt = 26;
constexpr int kVersionPt = 12;

}  // namespace

SplashWindow::SplashWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      frame1_(new QFrame(this)),
      timer1_(new QTimer(this)) {
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(version::title());
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(kSplashSize);

    frame1_->setObjectName(QStringLiteral("Frame1"));
    frame1_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    frame1_->setLineWidth(2);
    frame1_->installEventFilter(this);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame1_);

    auto* imgLogo = named(new QLabel(frame1_), "imgLogo");
    imgLogo->setPixmap(appIconPixmap(kLogoPx));
    imgLogo->setFixedSize(kLogoPx, kLogoPx);

    auto* lblProductName = named(new QLabel(version::title(), frame1_), "lblProductName");
    QFont titleFont = lblProductName->font();
    titleFont.setPointSize(kTitlePt);
    titleFont.setBold(true);
    lblProductName->setFont(titleFont);

    auto* lblVersion = named(new QLabel(QStringLiteral("版本 ") + version::text(), frame1_), "lblVersion");
    QFont versionFont = lblVersion->font();
    versionFont.setPointSize(kVersionPt);
    lblVersion->setFont(versionFont);

    // The design names the platform the program was built for; this build runs on Linux.
    auto* lblPlatform = named(new QLabel(QStringLiteral("平台：Linux"), frame1_), "lblPlatform");
    auto* label1 = named(new QLabel(QStringLiteral("日志：2003-6-23"), frame1_), "Label1");

    auto* texts = new QVBoxLayout;
    texts->addStretch();
    texts->addWidget(lblProductName);
    texts->addWidget(lblVersion);
    texts->addSpacing(24);
    texts->addWidget(lblPlatform);
    texts->addWidget(label1);
    texts->addStretch();

    auto* body = new QHBoxLayout(frame1_);
    body->setContentsMargins(28, 20, 28, 20);
    body->setSpacing(28);
    body->addWidget(imgLogo, 0, Qt::AlignVCenter);
    body->addLayout(texts, 1);

    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(kTickMs);
    connect(timer1_, &QTimer::timeout, this, &SplashWindow::onTimer1);
    timer1_->start();

    placeCentre(this);
}

void SplashWindow::onTimer1() {
    if (handedOver_)
        return;
    if (++ticks_ >= kTicksBeforeHandOver)
        handOverNow();
}

void SplashWindow::keyPressEvent(QKeyEvent* event) {
    event->accept();
    handOverNow();
}

bool SplashWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == frame1_ && event->type() == QEvent::MouseButtonRelease) {
        handOverNow();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void SplashWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Without the keyboard focus the "any key" way out would not reach us.
    activateWindow();
    setFocus(Qt::OtherFocusReason);
}

void SplashWindow::handOverNow() {
    if (handedOver_)
        return;
    handedOver_ = true;
    timer1_->stop();
    close();
    emit handOver();
}

void SplashWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    // Closed from outside (the window manager's close shortcut): the program must still start, or
    // it would run on with no window and no tray icon.
    if (!handedOver_) {
        handedOver_ = true;
        timer1_->stop();
        emit handOver();
    }
}

}  // namespace quel
