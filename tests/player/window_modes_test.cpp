// The player window's modes with PlayerActive.txt, the slide-in's placing, and the audio panel and
// 隐藏窗体 of the window offscreen on fakes.

#include <QAction>
#include <QCheckBox>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>

#include "fakes/fake_platform.h"
#include "platform/settings_names.h"
#include "player/broadcaster.h"
#include "player/from_player.h"
#include "player/player_session.h"
#include "player/window_modes.h"

using namespace quel;
using namespace quel::fakes;

Q_DECLARE_METATYPE(quel::WindowMode)

namespace {

QString stored(const QTemporaryDir& dir) {
    return QString::fromLatin1(DiskFiles().read(dir.filePath(settings::kPlayerActive)).value_or("none"));
}

}  // namespace

class WindowModesTest : public QObject {
    Q_OBJECT
private slots:
    void theStoredModeIsRestoredWithoutWriting_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("slideIn");
        QTest::addColumn<WindowMode>("mode");
        QTest::addRow("1") << QByteArray("1\r\n") << true << WindowMode::Standard;
        QTest::addRow("2 on X11") << QByteArray("2\r\n") << true << WindowMode::Active;
        QTest::addRow("2 where no slide-in works") << QByteArray("2\r\n") << false << WindowMode::Standard;
        QTest::addRow("3") << QByteArray("3\r\n") << true << WindowMode::None;
        QTest::addRow("text") << QByteArray("\"x\"\r\n") << true << WindowMode::None;
    }
    void theStoredModeIsRestoredWithoutWriting() {
        QFETCH(QByteArray, file);
        QFETCH(bool, slideIn);
        QFETCH(WindowMode, mode);
        QTemporaryDir dir;
        FakeFiles files;
        files.write(dir.filePath(settings::kPlayerActive), file);
        files.writes.clear();
        WindowModes modes(files, dir.path(), slideIn);
        modes.restore();
        QCOMPARE(modes.mode(), mode);
        QVERIFY(files.writes.isEmpty());
    }

    void aClickOnTheTickedItemSwitchesToTheOther_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("slideIn");
        QTest::addColumn<bool>("clickStandard");
        QTest::addColumn<WindowMode>("mode");
        QTest::addColumn<QString>("written");
        QTest::addRow("标准窗体 from none")
            << QByteArray() << true << true << WindowMode::Standard << "1\r\n";
        QTest::addRow("ticked 标准窗体") << QByteArray("1") << true << true << WindowMode::Active << "2\r\n";
        QTest::addRow("活动窗体 from standard")
            << QByteArray("1") << true << false << WindowMode::Active << "2\r\n";
        QTest::addRow("ticked 活动窗体")
            << QByteArray("2") << true << false << WindowMode::Standard << "1\r\n";
        QTest::addRow("ticked 标准窗体 without slide-in")
            << QByteArray("1") << false << true << WindowMode::Standard << "1\r\n";
    }
    void aClickOnTheTickedItemSwitchesToTheOther() {
        QFETCH(QByteArray, file);
        QFETCH(bool, slideIn);
        QFETCH(bool, clickStandard);
        QFETCH(WindowMode, mode);
        QFETCH(QString, written);
        QTemporaryDir dir;
        FakeFiles files;
        if (!file.isEmpty())
            files.write(dir.filePath(settings::kPlayerActive), file);
        WindowModes modes(files, dir.path(), slideIn);
        modes.restore();
        clickStandard ? modes.clickStandard() : modes.clickActive();
        QCOMPARE(modes.mode(), mode);
        QCOMPARE(stored(dir), written);
    }

    // A file carried over from Windows is read in its spelling, but the choice is written in the program's,
    // so the settings files of a folder never end up spelled two ways by chance.
    void aChoiceIsWrittenInTheProgramsSpelling() {
        QTemporaryDir dir;
        FakeFiles files;
        files.write(dir.filePath(QStringLiteral("PLAYERACTIVE.TXT")), "1\r\n");
        WindowModes modes(files, dir.path(), true);
        modes.restore();
        QCOMPARE(modes.mode(), WindowMode::Standard);
        modes.clickActive();
        QCOMPARE(stored(dir), QStringLiteral("2\r\n"));
        QCOMPARE(files.read(dir.filePath(QStringLiteral("PLAYERACTIVE.TXT"))).value_or("none"), "1\r\n");
    }

    void theSlideInFollowsTheMouse_data() {
        QTest::addColumn<bool>("out");  // the window waits beyond the edge
        QTest::addColumn<QPoint>("mouse");
        QTest::addColumn<bool>("shown");
        QTest::addRow("at the edge, row 101") << true << QPoint(1919, 101) << true;
        QTest::addRow("4 pixels from the edge") << true << QPoint(1915, 200) << true;
        QTest::addRow("5 pixels from the edge") << true << QPoint(1914, 200) << false;
        QTest::addRow("at the edge, row 100") << true << QPoint(1919, 100) << false;
        QTest::addRow("at the edge, row 320") << true << QPoint(1919, 320) << false;
        QTest::addRow("over the shown window") << false << QPoint(1600, 100) << true;
        QTest::addRow("25 rows below it") << false << QPoint(1600, 325) << true;
        QTest::addRow("26 rows below it") << false << QPoint(1600, 326) << false;
        QTest::addRow("left of it") << false << QPoint(1519, 100) << false;
        QTest::addRow("where it would be while out") << true << QPoint(1600, 50) << false;
    }
    void theSlideInFollowsTheMouse() {
        QFETCH(bool, out);
        QFETCH(QPoint, mouse);
        QFETCH(bool, shown);
        const QRect screen(0, 0, 1920, 1080);
        const QRect window(out ? QPoint(1920, 0) : QPoint(1520, 0), QSize(400, 300));
        const WindowModes::Place place = WindowModes::slidePlace(screen, window, mouse);
        QCOMPARE(place.shown, shown);
        QCOMPARE(place.topLeft, shown ? QPoint(1520, 0) : QPoint(1920, 0));
    }

    // Shown from the menu in 活动窗体, the window comes in and stays until the mouse has been on it;
    // from then on it follows the mouse again.
    void aWindowHeldInStaysUntilTheMouseReachesIt_data() {
        QTest::addColumn<bool>("held");
        QTest::addColumn<QPoint>("mouse");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("reached");
        QTest::addRow("held, the mouse far away") << true << QPoint(10, 900) << true << false;
        QTest::addRow("held, the mouse on it") << true << QPoint(1700, 100) << true << true;
        QTest::addRow("not held, the mouse far away") << false << QPoint(10, 900) << false << false;
        QTest::addRow("not held, the mouse at the edge") << false << QPoint(1919, 200) << true << true;
    }
    void aWindowHeldInStaysUntilTheMouseReachesIt() {
        QFETCH(bool, held);
        QFETCH(QPoint, mouse);
        QFETCH(bool, shown);
        QFETCH(bool, reached);
        const QRect screen(0, 0, 1920, 1080);
        const QRect out(QPoint(1920, 0), QSize(400, 300));
        const WindowModes::Place place = WindowModes::slidePlace(screen, out, mouse, held);
        QCOMPARE(place.shown, shown);
        QCOMPARE(place.reached, reached);
        QCOMPARE(place.topLeft, shown ? QPoint(1520, 0) : QPoint(1920, 0));
    }

    void theAudioPanelDrivesTheComponent() {
        QTemporaryDir dir;
        FakePlatform fake(dir.path());
        Broadcaster broadcaster(fake.platform);
        broadcaster.showPlayer();
        auto* window = qobject_cast<FromPlayer*>(broadcaster.window());
        FakeMedia& media = *fake.media.made.last();
        auto* panel = window->findChild<QWidget*>(QStringLiteral("AudioPanel"));
        auto* volume = window->findChild<QSlider*>(QStringLiteral("Slider2"));
        QCOMPARE(volume->value(), 5000);  // full, as the component starts
        QVERIFY(!panel->isVisible());
        const int height = window->height();
        window->findChild<QCheckBox*>(QStringLiteral("Check2"))->click();
        QVERIFY(panel->isVisible());
        QVERIFY(window->height() > height);
        volume->setValue(0);
        QCOMPARE(media.volume(), -5000);
        volume->setValue(2500);
        QCOMPARE(media.volume(), -2500);
        window->findChild<QCheckBox*>(QStringLiteral("Check1"))->click();
        QVERIFY(media.muted);
        QCOMPARE(media.volume(), -2500);
        window->findChild<QCheckBox*>(QStringLiteral("Check1"))->click();
        QVERIFY(!media.muted);
        window->findChild<QSlider*>(QStringLiteral("Slider3"))->setValue(-10000);
        QCOMPARE(media.balance, -10000);
        window->findChild<QCheckBox*>(QStringLiteral("Check2"))->click();
        QVERIFY(!panel->isVisible());
    }

    // Offscreen has no slide-in: a stored 2 shows the standard window and stays in the file.
    void hidingKeepsThePlayerAndOffersTheMenuItem() {
        QTemporaryDir dir;
        FakePlatform fake(dir.path());
        DiskFiles().write(dir.filePath(settings::kPlayerActive), "2\r\n");
        Broadcaster broadcaster(fake.platform);
        QSignalSpy loaded(&broadcaster, &Broadcaster::playerLoadedChanged);
        broadcaster.showPlayer();
        auto* window = qobject_cast<FromPlayer*>(broadcaster.window());
        QCOMPARE(window->modes().mode(), WindowMode::Standard);
        QVERIFY(!window->findChild<QAction*>(QStringLiteral("MenuActiveWindow"))->isEnabled());
        QVERIFY(window->findChild<QAction*>(QStringLiteral("MenuStandardWindow"))->isChecked());
        QCOMPARE(stored(dir), QStringLiteral("2\r\n"));

        window->findChild<QAction*>(QStringLiteral("MenuHideWindow"))->trigger();
        QVERIFY(!window->isVisible());
        QVERIFY(broadcaster.isLoaded());
        QCOMPARE(loaded.last().at(0).toBool(), false);
        broadcaster.showPlayer();
        QVERIFY(window->isVisible());
        QCOMPARE(loaded.last().at(0).toBool(), true);
        broadcaster.unload();
        QCOMPARE(loaded.last().at(0).toBool(), false);
        QCOMPARE(loaded.size(), 4);
    }
};

QTEST_MAIN(WindowModesTest)
#include "window_modes_test.moc"
