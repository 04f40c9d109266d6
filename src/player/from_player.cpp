#include "player/from_player.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStringListModel>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/named.h"
#include "platform/window_place.h"
#include "player/form_select_files.h"
#include "player/play_list.h"
#include "player/play_list_commands.h"
#include "player/playback.h"
#include "player/player_session.h"
#include "player/video_view.h"
#include "player/window_modes.h"

namespace quel {

namespace {

constexpr int kSliderRangeAtLoad = 300;

QLineEdit* numberBox(const QString& name, const QString& tip) {
    auto* box = named(new QLineEdit, name);
    box->setReadOnly(true);
    box->setToolTip(tip);
    box->setMaximumWidth(80);
    return box;
}

QPushButton* button(const QString& name, const QString& caption) {
    return named(new QPushButton(caption), name);
}

}  // namespace

FromPlayer::FromPlayer(PlayerSession& session, QWidget* parent)
    : QWidget(parent),
      session_(session),
      list_(session.playList()),
      commands_(session.listCommands()),
      playback_(session.playback()) {
    setObjectName(QStringLiteral("FromPlayer"));
    setWindowTitle(QStringLiteral("实时播音器<框内点右键控制窗体>"));
    // Once, before the window first shows: changing the flag of a shown window hides and re-shows it.
    setWindowFlag(Qt::WindowStaysOnTopHint);
    modes_ = new WindowModes(session.platform().files, session.platform().programFolder,
                             windowSystemCanSlideIn(), this);
    buildFace();
    wire();
    wireModes();
    showList();
    showPlayback();
}

// The session outlives its window: the sink must stop drawing into the view's native window before the
// view destroys it.
FromPlayer::~FromPlayer() {
    if (video_->drawnBySink()) {
        disconnect(video_, nullptr, this, nullptr);
        playback_.setVideoWindow(0);
    }
}

void FromPlayer::buildFace() {
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QHBoxLayout;
    fileName_ = named(new QLabel, "Label1");
    checking_ = named(new QLabel(QStringLiteral("正在检查曲目…")), "LabelChecking");
    heading->addWidget(fileName_, 1);
    heading->addWidget(checking_);
    layout->addLayout(heading);

    tracks_ = named(new QListView, "List1");
    model_ = new QStringListModel(this);
    tracks_->setModel(model_);
    tracks_->setFont(QFont(QStringLiteral("Verdana")));
    tracks_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tracks_->setSelectionMode(QAbstractItemView::SingleSelection);
    // One height for every line, so a list of many thousand tracks lays out at once.
    tracks_->setUniformItemSizes(true);
    layout->addWidget(tracks_, 1);
    video_ = named(new VideoView, "Video");
    layout->addWidget(video_, 2);

    auto* numbers = new QHBoxLayout;
    number_ = numberBox(QStringLiteral("Text4"), QStringLiteral("当前正在播放的曲目"));
    count_ = numberBox(QStringLiteral("Text1"), QStringLiteral("总曲目数"));
    numbers->addWidget(number_);
    numbers->addWidget(new QLabel(QStringLiteral("/")));
    numbers->addWidget(count_);
    numbers->addStretch();
    throughToEnd_ = named(new QRadioButton(QStringLiteral("直播到底")), "Option1");
    repeatTrack_ = named(new QRadioButton(QStringLiteral("单曲循环")), "Option2");
    repeatAll_ = named(new QRadioButton(QStringLiteral("全程循环")), "Option3");
    auto* modes = new QButtonGroup(this);
    for (QRadioButton* option : {throughToEnd_, repeatTrack_, repeatAll_}) {
        modes->addButton(option);
        numbers->addWidget(option);
    }
    layout->addLayout(numbers);

    auto* transport = new QHBoxLayout;
    play_ = button(QStringLiteral("Command5"), QStringLiteral("▼"));
    play_->setToolTip(QStringLiteral("播放"));
    pause_ = button(QStringLiteral("Command6"), QStringLiteral("||"));
    pause_->setToolTip(QStringLiteral("暂停"));
    duration_ = named(new QLabel(QStringLiteral("0")), "LabelDuration");
    position_ = named(new QLabel(QStringLiteral("0")), "LabelPosition");
    slider_ = named(new QSlider(Qt::Horizontal), "Slider1");
    slider_->setRange(0, kSliderRangeAtLoad);
    transport->addWidget(play_);
    transport->addWidget(pause_);
    transport->addWidget(position_);
    transport->addWidget(slider_, 1);
    transport->addWidget(duration_);
    layout->addLayout(transport);

    auto* commands = new QHBoxLayout;
    add_ = button(QStringLiteral("Command1"), QStringLiteral("添加"));
    remove_ = button(QStringLiteral("Command2"), QStringLiteral("删除"));
    clear_ = button(QStringLiteral("Command3"), QStringLiteral("清空"));
    open_ = button(QStringLiteral("Command9"), QStringLiteral("打开"));
    saveAs_ = button(QStringLiteral("Command10"), QStringLiteral("另存"));
    createNew_ = button(QStringLiteral("Command11"), QStringLiteral("新建"));
    makeDefault_ = button(QStringLiteral("Command14"), QStringLiteral("默认"));
    for (QPushButton* b : {add_, remove_, clear_, open_, saveAs_, createNew_, makeDefault_}) {
        commands->addWidget(b);
    }
    toStored_ = named(new QCheckBox(QStringLiteral("原始顺序")), "Check3");
    toShuffled_ = named(new QCheckBox(QStringLiteral("随机顺序")), "Check4");
    commands->addWidget(toStored_);
    commands->addWidget(toShuffled_);
    audioShown_ = named(new QCheckBox(QStringLiteral("音频控制")), "Check2");
    commands->addWidget(audioShown_);
    layout->addLayout(commands);
    layout->addWidget(buildAudioPanel());

    refresh_ = named(new QTimer(this), "Timer3");
    refresh_->setInterval(kRefreshMs);
}

void FromPlayer::wire() {
    connect(play_, &QPushButton::clicked, this, [this] { playback_.play(selectedLine()); });
    connect(pause_, &QPushButton::clicked, &playback_, &Playback::pause);
    connect(add_, &QPushButton::clicked, this, &FromPlayer::openSelector);
    connect(remove_, &QPushButton::clicked, this, [this] {
        const int line = selectedLine();
        commands_.remove(line >= 0 ? model_->index(line).data().toString() : QString(),
                         playback_.playingTrack());
    });
    connect(clear_, &QPushButton::clicked, this, [this] { commands_.clear(playback_.isPlaying()); });
    connect(open_, &QPushButton::clicked, &commands_, &PlayListCommands::open);
    connect(saveAs_, &QPushButton::clicked, &commands_, &PlayListCommands::saveAs);
    connect(createNew_, &QPushButton::clicked, &commands_, &PlayListCommands::createNew);
    connect(makeDefault_, &QPushButton::clicked, &commands_, &PlayListCommands::makeDefault);
    // The two boxes act as buttons: a click switches the order and the box stays clear.
    for (QCheckBox* box : {toStored_, toShuffled_}) {
        connect(box, &QCheckBox::clicked, this, [this, box] {
            box->setChecked(false);
            commands_.switchOrder();
        });
    }
    connect(throughToEnd_, &QRadioButton::clicked, this,
            [this] { playback_.setMode(PlayMode::ThroughToEnd); });
    connect(repeatTrack_, &QRadioButton::clicked, this, [this] { playback_.setMode(PlayMode::RepeatTrack); });
    connect(repeatAll_, &QRadioButton::clicked, this, [this] { playback_.setMode(PlayMode::RepeatAll); });
    connect(tracks_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const int line = selectedLine();
        tracks_->setToolTip(line >= 0 ? model_->index(line).data().toString() : QString());
    });
    connect(tracks_, &QListView::doubleClicked, this,
            [this](const QModelIndex& index) { playback_.playLine(index.row()); });
    // Only the operator's moves seek; the refresh's own setValue triggers no action.
    connect(slider_, &QSlider::actionTriggered, this, [this] { playback_.seek(slider_->sliderPosition()); });
    connect(refresh_, &QTimer::timeout, this, &FromPlayer::refreshPosition);

    connect(&list_, &PlayList::changed, this, &FromPlayer::showList);
    connect(&list_, &PlayList::replaced, this, &FromPlayer::closeSelector);
    connect(&commands_, &PlayListCommands::dialogsClosed, this, [this] {
        if (closeSelectorPending_) {
            closeSelector();
        }
    });
    connect(&playback_, &Playback::changed, this, &FromPlayer::showPlayback);
    connect(&playback_, &Playback::trackOpened, this, &FromPlayer::setUpDisplay);
    // The picture shows from the first frame of a track with video until that track is over.
    connect(&playback_, &Playback::frameShown, video_, &VideoView::showFrame);
    connect(&playback_, &Playback::videoDrawn, video_, &VideoView::showDrawn);
    connect(&playback_, &Playback::trackOpened, video_, &VideoView::clear);
    // On X11 the sink draws into the view's window itself, which costs a fraction of painting images.
    if (const quintptr window = video_->windowForSink(); window && playback_.setVideoWindow(window)) {
        video_->setDrawnBySink(true);
        connect(video_, &VideoView::windowChanged, this,
                [this](quintptr changed) { playback_.setVideoWindow(changed); });
    }
    connect(&playback_, &Playback::changed, this, [this] {
        if (!playback_.isOpen()) {
            video_->clear();
        }
    });
    connect(&playback_, &Playback::durationChanged, this, &FromPlayer::setUpDisplay);
    // Paused, the refresh is off: a seek shows where it went at once.
    connect(&playback_, &Playback::positionMoved, this, &FromPlayer::showPosition);
}

void FromPlayer::showList() {
    const QString file = list_.realFileName();
    fileName_->setText(QStringLiteral("文件:") + fileNamePart(file));
    fileName_->setToolTip(QStringLiteral("当前播放列表文件：") + file);
    // The name shows at once; until the tracks are checked the edits that write the file wait.
    const bool checking = list_.isChecking();
    checking_->setVisible(checking);
    for (QPushButton* b : {add_, remove_, clear_, saveAs_}) {
        b->setEnabled(!checking);
    }
    makeDefault_->setEnabled(!list_.isDefault());
    makeDefault_->setToolTip(QStringLiteral("当前的默认播放列表文件是：") + list_.defaultPath());
    const bool shuffled = list_.order() == PlayOrder::Shuffled;
    toStored_->setVisible(shuffled);
    toShuffled_->setVisible(!shuffled);
    if (shownRevision_ != list_.tracksRevision() || model_->rowCount() != list_.trackCount()) {
        shownRevision_ = list_.tracksRevision();
        model_->setStringList(list_.tracks());
        // The playback may have been told of the change first and selected a line of the old list.
        selectLine(playback_.currentIndex());
    }
    count_->setText(QString::number(list_.trackCount()));
}

void FromPlayer::showPlayback() {
    const bool playing = playback_.isPlaying();
    play_->setVisible(!playing);
    pause_->setVisible(playing);
    number_->setText(QString::number(playback_.currentNumber()));
    selectLine(playback_.currentIndex());
    switch (playback_.mode()) {
        case PlayMode::ThroughToEnd:
            throughToEnd_->setChecked(true);
            break;
        case PlayMode::RepeatTrack:
            repeatTrack_->setChecked(true);
            break;
        case PlayMode::RepeatAll:
            repeatAll_->setChecked(true);
            break;
    }
    if (!playback_.isOpen()) {
        duration_->setText(QStringLiteral("0"));
    }
    updateRefresh();
}

// The duration is known only some time after a track opens; until then the slider keeps its range.
void FromPlayer::setUpDisplay() {
    const double seconds = playback_.duration();
    duration_->setText(QString::number(qint64(seconds)));
    if (seconds > 0) {
        slider_->setRange(0, int(qRound64(seconds)));
        slider_->setValue(int(qRound64(playback_.position())));
    }
}

void FromPlayer::refreshPosition() {
    showPosition(playback_.position());
}

void FromPlayer::showPosition(double seconds) {
    if (!slider_->isSliderDown()) {
        slider_->setValue(int(qRound64(seconds)));
    }
    position_->setText(QString::number(qint64(seconds)));
}

// The position moves only while a track plays, and only a shown window needs it: otherwise the
// timer is off and an idle player costs no wakeups.
void FromPlayer::updateRefresh() {
    const bool wanted = playback_.isPlaying() && isVisible();
    if (wanted && !refresh_->isActive()) {
        refresh_->start();
    } else if (!wanted && refresh_->isActive()) {
        refresh_->stop();
    }
    if (!wanted) {
        refreshPosition();
    }
}

void FromPlayer::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    updateRefresh();
}

void FromPlayer::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    updateRefresh();
}

int FromPlayer::selectedLine() const {
    const QModelIndexList rows = tracks_->selectionModel()->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void FromPlayer::selectLine(int line) {
    if (line < 0 || line >= model_->rowCount()) {
        tracks_->clearSelection();
        return;
    }
    const QModelIndex index = model_->index(line);
    tracks_->setCurrentIndex(index);
    tracks_->scrollTo(index);
}

void FromPlayer::openSelector() {
    if (!selector_) {
        selector_ = new FormSelectFiles(commands_, this);
    }
    showOver(selector_, this);
}

// A selector left open must not add to the list that replaced the one it was opened for. If a dialog
// of the player is open (the selector's own among them), it closes once that dialog has.
void FromPlayer::closeSelector() {
    if (!selector_) {
        return;
    }
    if (commands_.inDialog()) {
        closeSelectorPending_ = true;
        selector_->hide();
        return;
    }
    closeSelectorPending_ = false;
    selector_->close();
}

}  // namespace quel
