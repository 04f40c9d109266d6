// The campus in the main window on fakes: following from the menu brings the source's table in and
// locks the table editing; off, the window is as it always was.

#include <QAction>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "campus/bundle.h"
#include "campus/campus_fixture.h"
#include "campus/signing.h"
#include "fakes/fake_platform.h"
#include "platform/settings_names.h"
#include "platform/settings_store.h"
#include "remote/command_line.h"
#include "remote/web/page_settings.h"
#include "remote/web/web_fakes.h"
#include "schedule/table_document.h"
#include "shell/campus_shell.h"
#include "shell/main_window.h"
#include "shell/remote_page_wiring.h"
#include "shell/remote_wiring.h"

using namespace quel;
using namespace quel::fakes;

namespace {

const QString kSourceEntry = QStringLiteral("8:00:00*第一节>每天<校时");
const char* const kEditing[] = {"EntryEditor", "Command5", "Command6", "Command2", "Command4"};

struct Fixture {
    Fixture() : fake(dir.path()) {
        DiskFiles files;
        QDir(dir.path()).mkpath(QStringLiteral("DayTimeTable"));
        files.writeNumber(path(settings::kResetSystem), 1);
        files.writeText(path(settings::kShow), QStringLiteral("show"));
        files.writeText(path(settings::kDefaultDtt), path(settings::kDefaultTable));
        files.writeText(path(settings::kDefaultTable), QStringLiteral("|9:00:00*本机>每天<校时"));
    }
    void start() {
        window = std::make_unique<MainWindow>(fake.platform);
        window->load();
    }
    // The page for a phone on at the next start, on a port the system chooses.
    void pageOn() {
        DiskFiles files;
        QVERIFY(savePageSettings(SettingsStore(files, dir.path()),
                                 {true, "127.0.0.1", 0, passwordDigest(QStringLiteral("bell"), 1000)}));
    }
    RemotePage& page() const { return window->remotePage().feature().page(); }
    // What `quelbrook status` prints.
    QString statusAnswer() const {
        return parseAnswerLine(
                   answerRequest(window->attachRemote(), requestLine({QStringLiteral("status"), {}})))
            .message;
    }
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    QAction* item(const char* name) const {
        auto* a = window->findChild<QAction*>(QLatin1String(name));
        if (!a)
            qFatal("no menu item %s", name);
        return a;
    }
    QWidget* control(const char* name) const { return window->findChild<QWidget*>(QLatin1String(name)); }

    QTemporaryDir dir;
    FakePlatform fake;
    std::unique_ptr<MainWindow> window;
};

}  // namespace

class CampusShellTest : public QObject {
    Q_OBJECT
private slots:
    void followingBringsTheSourcesTableAndLocksEditing() {
        QTemporaryDir source, bundle;
        DiskFiles files;
        QDir(source.path()).mkpath(QStringLiteral("DayTimeTable"));
        files.writeText(source.filePath(settings::kDefaultTable), QStringLiteral("|") + kSourceEntry);
        files.writeText(source.filePath(settings::kDefaultDtt), source.filePath(settings::kDefaultTable));
        const campus::StoredKeys keys = campus::loadOrMakeKeys(source.path());
        QVERIFY(keys.keys);
        QVERIFY(
            campus::publishBundle(source.path(), bundle.path(), *keys.keys, QDateTime::currentDateTime()).ok);

        Fixture f;
        f.start();
        f.fake.dialogs.inputAnswers = {bundle.path(), campus::publicKeyText(keys.keys->publicKey)};
        f.item("MenuCampusFollow")->trigger();
        QCOMPARE(f.fake.dialogs.messages.last().text, QStringLiteral("已跟随 %1").arg(bundle.path()));
        QCOMPARE(f.window->table().entries(), QStringList{kSourceEntry});
        QCOMPARE(f.window->table().currentPath(), f.path(settings::kDefaultTable));
        for (const char* name : kEditing) {
            QVERIFY2(!f.control(name)->isEnabled(), name);
            QVERIFY2(f.control(name)->toolTip().contains(QStringLiteral("分控")), name);
        }
        QVERIFY(!f.control("Command7")->isEnabled());

        f.item("MenuCampusStop")->trigger();
        for (const char* name : kEditing)
            QVERIFY2(f.control(name)->isEnabled(), name);
        QVERIFY(!f.control("Command7")->isEnabled());  // the shown table is the default
    }

    // 按系统秒打铃 travels with the table: a follower rings on the second as soon as the bundle is in.
    void onTheSecondArrivesWithTheBundle() {
        QTemporaryDir source, bundle;
        DiskFiles files;
        files.writeText(source.filePath(settings::kOnTheSecond), QStringLiteral("YES"));
        const campus::StoredKeys keys = campus::loadOrMakeKeys(source.path());
        QVERIFY(
            campus::publishBundle(source.path(), bundle.path(), *keys.keys, QDateTime::currentDateTime()).ok);
        Fixture f;
        f.start();
        QVERIFY(!f.item("MenuOnTheSecond")->isChecked());
        QVERIFY(f.window->campus()
                    .campus()
                    .follow(bundle.path(), campus::publicKeyText(keys.keys->publicKey))
                    .ok);
        QVERIFY(f.item("MenuOnTheSecond")->isChecked());
    }

    // The page's server offers the bundle only while the page runs and this PC is the source; a
    // follower's or a stopped source's folder stays private.
    void bundleOfferedOnlyBySourceWithThePageOn_data() {
        QTest::addColumn<bool>("pageOn");
        QTest::addColumn<QString>("role");  // "", "source", "follower", "source, then stopped"
        QTest::addColumn<int>("status");    // of GET /campus/manifest.signed; 0: nothing listens
        QTest::addRow("page on, source") << true << "source" << 200;
        QTest::addRow("page on, not on a campus") << true << "" << 404;
        QTest::addRow("page on, follower") << true << "follower" << 404;
        QTest::addRow("page on, source no more") << true << "source, then stopped" << 404;
        QTest::addRow("page on, source, page stopped") << true << "source, page stopped" << 0;
        QTest::addRow("page off, source") << false << "source" << 0;
    }
    void bundleOfferedOnlyBySourceWithThePageOn() {
        QFETCH(bool, pageOn);
        QFETCH(QString, role);
        QFETCH(int, status);
        QTemporaryDir bundle;
        Fixture f;
        if (pageOn)
            f.pageOn();
        f.start();
        campus::Campus& c = f.window->campus().campus();
        if (role.startsWith(QLatin1String("source")))
            QVERIFY(c.publish(bundle.path()).ok);
        if (role == QLatin1String("follower")) {
            QTemporaryDir source;
            const campus::StoredKeys keys = campus::loadOrMakeKeys(source.path());
            QVERIFY(
                campus::publishBundle(source.path(), bundle.path(), *keys.keys, QDateTime::currentDateTime())
                    .ok);
            QVERIFY(c.follow(bundle.path(), campus::publicKeyText(keys.keys->publicKey)).ok);
        }
        if (role == QLatin1String("source, then stopped"))
            QVERIFY(c.stop().ok);
        const quint16 port = f.page().port();
        if (role == QLatin1String("source, page stopped"))
            f.page().stop();
        const RawReply r = offThread([port] {
            return rawExchange(
                port, "GET /campus/manifest.signed HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
        });
        QCOMPARE(r.status, status);
        if (status == 200)
            QCOMPARE(r.body, campus::test::readBytes(bundle.filePath(QStringLiteral("manifest.signed"))));
    }

    // `quelbrook status` on a source whose page served a follower: the campus's facts follow the
    // day's line, the follower among them with the version it rings from. Off a campus, the one line
    // it always was.
    void statusNamesTheCampusAndItsFollowers() {
        QTemporaryDir bundle;
        Fixture f;
        f.pageOn();
        f.start();
        QVERIFY(!f.statusAnswer().contains(u'\n'));
        QVERIFY(f.statusAnswer().startsWith(QStringLiteral("今日时间表 ")));

        const campus::CampusResult published = f.window->campus().campus().publish(bundle.path());
        QVERIFY(published.ok);
        QTemporaryDir followerFolder;
        campus::test::RecordingLog log;
        campus::test::FixedClockState clockState;
        campus::Campus follower(f.fake.clock, followerFolder.path(), log, clockState);
        follower.start();
        QVERIFY(follower
                    .follow(QStringLiteral("http://127.0.0.1:%1/campus/").arg(f.page().port()),
                            published.message.split(u'\n').last())
                    .ok);
        QTRY_VERIFY(!follower.busy());
        QVERIFY2(follower.status().lastOk, qPrintable(follower.status().lastResult));
        f.fake.clock.advance(campus::Campus::kSyncIntervalMs);
        follower.onTick();
        QTRY_VERIFY(!follower.busy());

        const QStringList lines = f.statusAnswer().split(u'\n');
        QVERIFY(lines.first().startsWith(QStringLiteral("今日时间表 ")));
        const QString version = QString::number(f.window->campus().campus().status().version);
        QVERIFY2(lines.value(1).contains(bundle.path()), qPrintable(lines.join(u'\n')));
        QVERIFY2(lines.value(2).contains(version), qPrintable(lines.join(u'\n')));
        QVERIFY2(lines.last().contains(QStringLiteral("127.0.0.1")) && lines.last().contains(version),
                 qPrintable(lines.join(u'\n')));
    }

    void offLeavesEverythingAsItWas() {
        Fixture f;
        f.start();
        for (const char* name : kEditing)
            QVERIFY2(f.control(name)->isEnabled(), name);
        f.fake.clock.advance(120000);
        QVERIFY(!QFileInfo::exists(f.path(QStringLiteral("Campus"))));
        f.item("MenuCampusStatus")->trigger();
        QCOMPARE(f.fake.dialogs.messages.last().text, QStringLiteral("本机未加入多机同步"));
    }
};

QTEST_MAIN(CampusShellTest)
#include "campus_test.moc"
