// The player window and the broadcaster that owns it, offscreen on fakes: loading and unloading,
// what the controls show and forward, the position refresh, and the schedule acting under a dialog.

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "fakes/fake_platform.h"
#include "fakes/file_bytes.h"
#include "platform/settings_names.h"
#include "player/broadcaster.h"
#include "player/from_player.h"
#include "player/player_session.h"

using namespace quel;
using namespace quel::fakes;

namespace {

using quel::testing::quoted;

struct Fixture {
    Fixture() : fake(dir.path()), broadcaster(fake.platform) {
        DiskFiles disk;
        QDir(dir.path()).mkpath(QStringLiteral("PlayListFile"));
        for (QChar c : QStringLiteral("abcxy"))
            disk.write(track(c), "sound");
        writeList(QStringLiteral("day.PLF"), QStringLiteral("abc"));
        writeList(QStringLiteral("other.PLF"), QStringLiteral("xy"));
        disk.writeText(path(settings::kDefaultPlf), path(QStringLiteral("PlayListFile/day.PLF")));
    }
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    QString track(QChar c) const { return path(QString(c) + QStringLiteral(".wav")); }
    QString writeList(const QString& name, const QString& tracks) const {
        QString text;
        for (QChar c : tracks)
            text += QLatin1Char('|') + track(c);
        const QString file = path(QStringLiteral("PlayListFile/") + name);
        DiskFiles().write(file, quoted(text));
        return file;
    }
    FromPlayer* window() const { return qobject_cast<FromPlayer*>(broadcaster.window()); }
    template <typename T>
    T* child(const char* name) const {
        T* found = window()->findChild<T*>(QString::fromLatin1(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    QString text(const char* name) const { return child<QLineEdit>(name)->text(); }
    QString label(const char* name) const { return child<QLabel>(name)->text(); }
    bool shown(const char* name) const { return !child<QWidget>(name)->isHidden(); }
    void click(const char* name) const { QTest::mouseClick(child<QAbstractButton>(name), Qt::LeftButton); }
    FakeMedia& media() const { return *fake.media.made.last(); }
    QStringList log() const {
        QStringList out;
        for (QString line : fake.media.log) {
            line.remove(0, 3);
            for (QChar c : QStringLiteral("abcxy"))
                line.replace(track(c), QString(c));
            out << line;
        }
        return out;
    }
    void settle() const {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QTemporaryDir dir;
    FakePlatform fake;
    Broadcaster broadcaster;
};

}  // namespace

class PlayerWindowTest : public QObject {
    Q_OBJECT
private slots:
    void theMenuLoadsOneWindowThatUnloadsWhenClosed() {
        Fixture f;
        QSignalSpy loaded(&f.broadcaster, &Broadcaster::playerLoadedChanged);
        f.broadcaster.showPlayer();
        QPointer<FromPlayer> window = f.window();
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("实时播音器<框内点右键控制窗体>"));
        QVERIFY(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        f.broadcaster.showPlayer();
        QCOMPARE(f.window(), window.data());
        QCOMPARE(f.fake.media.made.size(), 1);
        QCOMPARE(loaded.count(), 1);
        QCOMPARE(loaded.at(0).at(0).toBool(), true);

        // Loaded, the default list shows, idle; nothing plays and nothing ticks.
        QCOMPARE(f.child<QListView>("List1")->model()->rowCount(), 3);
        QCOMPARE(f.text("Text1"), QStringLiteral("3"));
        QCOMPARE(f.text("Text4"), QStringLiteral("1"));
        QCOMPARE(f.label("Label1"), QStringLiteral("文件:day.PLF"));
        QCOMPARE(f.child<QLabel>("Label1")->toolTip(),
                 QStringLiteral("当前播放列表文件：") + f.path("PlayListFile/day.PLF"));
        QVERIFY(!f.child<QPushButton>("Command14")->isEnabled());
        QVERIFY(f.shown("Command5"));
        QVERIFY(!f.shown("Command6"));
        QVERIFY(f.child<QRadioButton>("Option1")->isChecked());
        QVERIFY(!f.child<QTimer>("Timer3")->isActive());
        QVERIFY(f.log().isEmpty());

        window->close();
        QCOMPARE(loaded.count(), 2);
        QCOMPARE(loaded.at(1).at(0).toBool(), false);
        QVERIFY(!f.broadcaster.isLoaded());
        f.settle();
        QVERIFY(!window);
    }

    void aBroadcastShowsAndPlaysItsList() {
        Fixture f;
        QSignalSpy loaded(&f.broadcaster, &Broadcaster::playerLoadedChanged);
        f.broadcaster.broadcastOn(f.path("PlayListFile/other.PLF"), PlayOrder::Stored);
        QVERIFY(f.window()->isVisible());
        QCOMPARE(loaded.count(), 1);
        QCOMPARE(f.label("Label1"), QStringLiteral("文件:other.PLF"));
        QVERIFY(f.child<QPushButton>("Command14")->isEnabled());
        QCOMPARE(f.child<QPushButton>("Command14")->toolTip(),
                 QStringLiteral("当前的默认播放列表文件是：") + f.path("PlayListFile/day.PLF"));
        QCOMPARE(f.text("Text1"), QStringLiteral("2"));
        QCOMPARE(f.text("Text4"), QStringLiteral("1"));
        QCOMPARE(f.child<QListView>("List1")->currentIndex().row(), 0);
        QCOMPARE(f.child<QListView>("List1")->toolTip(), f.track('x'));
        QVERIFY(!f.shown("Command5"));
        QVERIFY(f.shown("Command6"));
        QVERIFY(f.child<QTimer>("Timer3")->isActive());
        QCOMPARE(f.log(), QStringList{"file x"});

        f.broadcaster.broadcastOff();
        QCOMPARE(f.log(), QStringList({"file x", "stop", "file "}));
        QCOMPARE(loaded.count(), 2);
        f.settle();
        QVERIFY(!f.broadcaster.window());
        f.broadcaster.broadcastOff();  // nothing loaded: nothing happens
        QCOMPARE(loaded.count(), 2);
    }

    // The duration arrives after the track opened; the refresh moves the slider without seeking,
    // and only the operator's moves seek.
    void theSliderFollowsAndOnlyTheOperatorSeeks() {
        Fixture f;
        f.broadcaster.broadcastOn(f.path("PlayListFile/other.PLF"), PlayOrder::Stored);
        auto* slider = f.child<QSlider>("Slider1");
        QCOMPARE(slider->maximum(), 300);
        QCOMPARE(f.label("LabelDuration"), QStringLiteral("0"));
        f.media().announceDuration(125.6);
        QCOMPARE(f.label("LabelDuration"), QStringLiteral("125"));
        QCOMPARE(slider->maximum(), 126);

        f.media().positionSeconds = 42.6;
        f.window()->refreshPosition();
        QCOMPARE(slider->value(), 43);
        QCOMPARE(f.label("LabelPosition"), QStringLiteral("42"));
        QVERIFY(f.media().seeks.isEmpty());

        slider->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(f.media().seeks, QList<double>{43.0 + slider->pageStep()});
    }

    // Paused, the refresh is off; a seek shows its place at once all the same.
    void aSeekWhilePausedShowsTheNewPosition() {
        Fixture f;
        f.broadcaster.broadcastOn(f.path("PlayListFile/other.PLF"), PlayOrder::Stored);
        f.media().announceDuration(200);
        f.click("Command6");
        auto* slider = f.child<QSlider>("Slider1");
        slider->triggerAction(QAbstractSlider::SliderPageStepAdd);
        const double to = f.media().seeks.value(0, -1);
        QVERIFY(to > 0);
        QCOMPARE(f.label("LabelPosition"), QString::number(qint64(to)));
        QCOMPARE(slider->value(), int(to));
    }

    // The standard window is centred as it shows, not as Qt's default size before the first show.
    void theStandardWindowIsCentredByItsOwnSize() {
        Fixture f;
        DiskFiles().write(f.path(settings::kPlayerActive), "1\r\n");
        f.broadcaster.showPlayer();
        FromPlayer* window = f.window();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const QRect screen = window->screen()->availableGeometry();
        QVERIFY(window->size() != QSize(640, 480));
        QCOMPARE(window->pos(), screen.center() - QPoint(window->width() / 2, window->height() / 2));
    }

    void theRefreshRunsOnlyWhilePlayingAndShown() {
        Fixture f;
        f.broadcaster.broadcastOn(f.path("PlayListFile/other.PLF"), PlayOrder::Stored);
        auto* refresh = f.child<QTimer>("Timer3");
        QCOMPARE(refresh->interval(), FromPlayer::kRefreshMs);
        QVERIFY(refresh->isActive());
        f.click("Command6");
        QVERIFY(f.shown("Command5"));
        QVERIFY(!f.shown("Command6"));
        QVERIFY(!refresh->isActive());
        f.click("Command5");
        QVERIFY(refresh->isActive());
        f.window()->hide();
        QVERIFY(!refresh->isActive());
        QVERIFY(f.broadcaster.isLoaded());  // hiding does not stop the sound
        f.window()->show();
        QVERIFY(refresh->isActive());
        QCOMPARE(f.log(), QStringList({"file x", "pause", "play"}));
    }

    void aDoubleClickAndTheModesDriveTheLoop() {
        Fixture f;
        f.broadcaster.showPlayer();
        QVERIFY(QTest::qWaitForWindowExposed(f.window()));
        auto* list = f.child<QListView>("List1");
        const QModelIndex third = list->model()->index(2, 0);
        const QPoint at = list->visualRect(third).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(f.text("Text4"), QStringLiteral("3"));
        f.click("Option3");
        f.media().finish();
        QCOMPARE(f.text("Text4"), QStringLiteral("1"));
        QCOMPARE(list->currentIndex().row(), 0);
        QCOMPARE(f.log(), QStringList({"file c", "file a"}));
    }

    void playStartsTheSelectedLineOfAListWithoutCurrentTrack() {
        Fixture f;
        DiskFiles().write(f.path("PlayListFile/day.PLF"), {});
        f.broadcaster.showPlayer();
        QCOMPARE(f.text("Text4"), QStringLiteral("0"));
        f.broadcaster.session()->listCommands().add({f.track('a'), f.track('b')});
        QCOMPARE(f.text("Text1"), QStringLiteral("2"));
        auto* list = f.child<QListView>("List1");
        list->setCurrentIndex(list->model()->index(1, 0));
        f.click("Command5");
        QCOMPARE(f.log(), QStringList{"file b"});
        QCOMPARE(f.text("Text4"), QStringLiteral("2"));
    }

    void theOrderSwitchKeepsTheCurrentTrack() {
        Fixture f;
        f.broadcaster.showPlayer();
        f.click("Command5");
        QVERIFY(f.shown("Check4"));
        QVERIFY(!f.shown("Check3"));
        f.click("Check4");
        QVERIFY(f.shown("Check3"));
        QVERIFY(!f.shown("Check4"));
        QVERIFY(!f.child<QCheckBox>("Check4")->isChecked());
        QCOMPARE(DiskFiles().read(f.path(settings::kPlayOrder)).value_or("<none>"), quoted("2"));
        auto* list = f.child<QListView>("List1");
        QCOMPARE(list->currentIndex().data().toString(), f.track('a'));
        QVERIFY(list->model()->index(0, 0).data().toString() != f.track('a'));
        QCOMPARE(f.text("Text4"), QString::number(list->currentIndex().row() + 1));
        QCOMPARE(f.log(), QStringList{"file a"});
    }

    // 播音关 while an operator's dialog of the player is open silences at once and unloads after it.
    void broadcastOffUnderADialogWaitsForIt() {
        Fixture f;
        f.broadcaster.broadcastOn(f.path("PlayListFile/other.PLF"), PlayOrder::Stored);
        QPointer<FromPlayer> window = f.window();
        bool aliveDuringDialog = false;
        f.fake.dialogs.whileOpen = [&] {
            f.broadcaster.broadcastOff();
            f.settle();
            aliveDuringDialog = window && f.broadcaster.isLoaded() && f.media().fileName().isEmpty();
        };
        f.click("Command9");
        QVERIFY(aliveDuringDialog);
        QCOMPARE(f.log(), QStringList({"file x", "stop", "file "}));
        f.settle();
        f.settle();
        QVERIFY(!f.broadcaster.isLoaded());
        QVERIFY(!window);
    }

    void theSelectorClosesWhenTheListIsReplaced() {
        Fixture f;
        f.broadcaster.showPlayer();
        f.click("Command1");
        QPointer<FormSelectFiles> selector = f.window()->selector();
        QVERIFY(selector && selector->isVisible());
        f.broadcaster.broadcastOn(f.path("PlayListFile/other.PLF"), PlayOrder::Shuffled);
        f.settle();
        QVERIFY(!selector);
    }

    void theListCommandsAreWired() {
        Fixture f;
        f.broadcaster.showPlayer();
        auto* list = f.child<QListView>("List1");
        list->setCurrentIndex(list->model()->index(1, 0));
        f.click("Command2");
        QCOMPARE(f.text("Text1"), QStringLiteral("2"));
        QCOMPARE(DiskFiles().read(f.path("PlayListFile/day.PLF")).value_or("<none>"),
                 quoted('|' + f.track('a') + '|' + f.track('c')));
        f.fake.dialogs.answers = {Answer::Yes};
        f.click("Command3");
        QCOMPARE(f.text("Text1"), QStringLiteral("0"));
        QCOMPARE(f.text("Text4"), QStringLiteral("0"));
        QCOMPARE(DiskFiles().read(f.path("PlayListFile/day.PLF")).value_or("<none>"), QByteArray());
        f.fake.dialogs.fileAnswers = {f.path("PlayListFile/other.PLF")};
        f.click("Command9");
        QCOMPARE(f.label("Label1"), QStringLiteral("文件:other.PLF"));
        f.click("Command14");
        QVERIFY(!f.child<QPushButton>("Command14")->isEnabled());
        QCOMPARE(f.fake.dialogs.messages.last().text,
                 f.path("PlayListFile/other.PLF") +
                     QStringLiteral("已被设置为默认的播放列表文件,下次程序启动时它将被调用!"));
    }
};

QTEST_MAIN(PlayerWindowTest)
#include "player_window_test.moc"
