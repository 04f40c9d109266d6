// The player window's modes (标准窗体, 活动窗体, 隐藏窗体), its dragging and its audio panel.

#include <QCheckBox>
#include <QCursor>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QSlider>
#include <QTimer>
#include <QWindow>

#include "platform/named.h"
#include "player/from_player.h"
#include "player/player_session.h"
#include "player/window_modes.h"

namespace quel {

namespace {

// Often enough for the window to follow the mouse, seldom enough to cost little while it waits.
constexpr int kSlidePollMs = 80;
constexpr int kVolumeRange = 5000;  // hundredths of a decibel below full
constexpr int kBalanceRange = 10000;

QSlider* slider(const char* name, int low, int high) {
    auto* s = named(new QSlider(Qt::Horizontal), name);
    s->setRange(low, high);
    return s;
}

}  // namespace

QWidget* FromPlayer::buildAudioPanel() {
    audioPanel_ = named(new QWidget, "AudioPanel");
    auto* grid = new QGridLayout(audioPanel_);
    grid->setContentsMargins(0, 0, 0, 0);
    mute_ = named(new QCheckBox(QStringLiteral("静音开关")), "Check1");
    volume_ = slider("Slider2", 0, kVolumeRange);
    balance_ = slider("Slider3", -kBalanceRange, kBalanceRange);
    grid->addWidget(mute_, 0, 0, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("低")), 0, 1);
    grid->addWidget(volume_, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("高")), 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("左")), 1, 1);
    grid->addWidget(balance_, 1, 2);
    auto* right = new QLabel(QStringLiteral("右"));
    grid->addWidget(right, 1, 3);
    audioPanel_->hide();
    return audioPanel_;
}

void FromPlayer::wireModes() {
    volume_->setValue(qBound(0, playback_.volume() + kVolumeRange, kVolumeRange));
    connect(mute_, &QCheckBox::toggled, &playback_, &Playback::setMute);
    connect(volume_, &QSlider::valueChanged, this,
            [this](int value) { playback_.setVolume(value - kVolumeRange); });
    connect(balance_, &QSlider::valueChanged, &playback_, &Playback::setBalance);
    // Another controller (the remote control) may move the volume; the slider follows.
    connect(&playback_, &Playback::volumeChanged, this, [this](int hundredthsDb) {
        const QSignalBlocker quiet(volume_);
        volume_->setValue(qBound(0, hundredthsDb + kVolumeRange, kVolumeRange));
    });
    connect(audioShown_, &QCheckBox::toggled, this, &FromPlayer::showAudioPanel);

    menuWindow_ = named(new QMenu(QStringLiteral("窗体"), this), "MenuWindow");
    QAction* standard = named(menuWindow_->addAction(QStringLiteral("标准窗体")), "MenuStandardWindow");
    QAction* active = named(menuWindow_->addAction(QStringLiteral("活动窗体")), "MenuActiveWindow");
    QAction* hideWindow = named(menuWindow_->addAction(QStringLiteral("隐藏窗体")), "MenuHideWindow");
    standard->setCheckable(true);
    active->setCheckable(true);
    active->setEnabled(modes_->slideInWorks());
    connect(standard, &QAction::triggered, modes_, &WindowModes::clickStandard);
    connect(active, &QAction::triggered, modes_, &WindowModes::clickActive);
    connect(hideWindow, &QAction::triggered, this, [this] {
        hide();
        session_.hideByOperator();
    });
    connect(modes_, &WindowModes::modeChanged, this, [this, standard, active](WindowMode mode) {
        standard->setChecked(mode == WindowMode::Standard);
        active->setChecked(mode == WindowMode::Active);
        applyMode();
    });
    tracks_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tracks_, &QListView::customContextMenuRequested, this,
            [this](const QPoint& at) { menuWindow_->popup(tracks_->viewport()->mapToGlobal(at)); });

    slide_ = named(new QTimer(this), "Timer1");
    slide_->setInterval(kSlidePollMs);
    connect(slide_, &QTimer::timeout, this, &FromPlayer::slideTick);
    baseHeight_ = sizeHint().height();
    modes_->restore();
}

void FromPlayer::applyMode() {
    const QRect screen = this->screen()->availableGeometry();
    if (modes_->mode() == WindowMode::Standard) {
        centre();
    } else if (modes_->mode() == WindowMode::Active) {
        move(screen.right(), screen.top());
    }
    updateSlide();
}

// Before the first show a window has Qt's default size, not its own: the size it will show at is
// settled first, so the window is centred as it will stand.
void FromPlayer::centre() {
    if (!testAttribute(Qt::WA_Resized)) {
        adjustSize();
    }
    move(WindowModes::centredPlace(screen()->availableGeometry(), size()));
}

// The cursor is polled only in 活动窗体, and only while the window is shown or waiting beyond the edge.
void FromPlayer::updateSlide() {
    const bool wanted = modes_->mode() == WindowMode::Active && (isVisible() || slidOut_);
    if (wanted != slide_->isActive()) {
        wanted ? slide_->start() : slide_->stop();
    }
}

void FromPlayer::slideTick() {
    const QRect screen = this->screen()->geometry();
    const QRect stands = slidOut_ ? QRect(QPoint(screen.right() + 1, screen.top()), size()) : frameGeometry();
    const WindowModes::Place place =
        WindowModes::slidePlace(screen, stands, QCursor::pos(this->screen()), heldIn_);
    if (place.reached) {
        heldIn_ = false;
    }
    sliding_ = true;
    if (place.shown) {
        move(place.topLeft);
        slidOut_ = false;
        show();
        raise();
    } else if (!slidOut_) {
        slidOut_ = true;
        hide();
    }
    sliding_ = false;
}

// Anyone but the slide-in itself who shows or hides the window (the announcement, 隐藏窗体, the menu
// item) ends a wait beyond the edge.
// In 活动窗体 a window shown that way (the menu item 实时播音器, a broadcast) comes in at once and stays
// until the mouse has been on it, instead of waiting beyond the edge.
void FromPlayer::setVisible(bool visible) {
    if (!sliding_) {
        slidOut_ = false;
        heldIn_ = visible && modes_ && modes_->mode() == WindowMode::Active;
        if (heldIn_) {
            move(WindowModes::slidInPlace(screen()->geometry(), size()));
        }
    }
    QWidget::setVisible(visible);
    if (slide_) {
        updateSlide();
    }
}

void FromPlayer::showAudioPanel(bool shown) {
    audioPanel_->setVisible(shown);
    const int extra = shown ? audioPanel_->sizeHint().height() + layout()->spacing() : 0;
    resize(width(), baseHeight_ + extra);
}

// A press on a free area moves the window as its title bar would.
void FromPlayer::mousePressEvent(QMouseEvent* event) {
    if (windowHandle() && windowHandle()->startSystemMove()) {
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

}  // namespace quel
