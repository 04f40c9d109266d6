#include <QCheckBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include "fakes/fake_platform.h"
#include "platform/settings_store.h"
#include "remote/web/page_settings.h"
#include "remote/web/remote_page.h"
#include "remote/web/remote_page_feature.h"
#include "remote/web/remote_settings_window.h"
#include "web_fakes.h"

using namespace quel;
using namespace quel::fakes;

namespace {

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

}  // namespace

class RemoteSettingsTest : public QObject {
    Q_OBJECT

private slots:
    void passwordMatches_data() {
        QTest::addColumn<QString>("digest");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("matches");
        const QString good = passwordDigest(QStringLiteral("上课铃"), 1000);
        const QStringList parts = good.split('$');
        QTest::addRow("the password") << good << "上课铃" << true;
        QTest::addRow("another password") << good << "上课" << false;
        QTest::addRow("no password set") << QString() << "" << false;
        QTest::addRow("a clear-text password in the file") << "上课铃"
                                                           << "上课铃" << false;
        QTest::addRow("another scheme")
            << QString(good).replace("pbkdf2-sha256", "pbkdf2-sha1") << "上课铃" << false;
        QTest::addRow("other rounds")
            << QStringList{parts[0], "999", parts[2], parts[3]}.join('$') << "上课铃" << false;
        QTest::addRow("rounds that would hold a thread for minutes")
            << QStringList{parts[0], "2000000000", parts[2], parts[3]}.join('$') << "上课铃" << false;
        QTest::addRow("no salt") << QStringList{parts[0], parts[1], "", parts[3]}.join('$') << "上课铃"
                                 << false;
        QTest::addRow("a short key") << QStringList{parts[0], parts[1], parts[2], "AAAA"}.join('$')
                                     << "上课铃" << false;
    }
    void passwordMatches() {
        QFETCH(QString, digest);
        QFETCH(QString, password);
        QFETCH(bool, matches);
        QCOMPARE(quel::passwordMatches(digest, password), matches);
    }

    void digestsAreSalted() {
        const QString a = passwordDigest(QStringLiteral("bell"), 1000);
        const QString b = passwordDigest(QStringLiteral("bell"), 1000);
        QVERIFY(a != b);
        QVERIFY(!a.contains(QStringLiteral("bell")));
        QVERIFY(a.startsWith(QStringLiteral("pbkdf2-sha256$1000$")));
    }

    // What the files hold, as the page reads it: anything damaged reads as a page that is off.
    void load_data() {
        QTest::addColumn<QStringList>("files");  // name=content
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("port");
        QTest::addRow("nothing written: off") << QStringList{} << false << "0.0.0.0" << 8080;
        QTest::addRow("as written") << QStringList{"RemotePage.txt=\"YES\"",
                                                   "RemoteAddress.txt=\"192.168.1.5\"",
                                                   "RemotePort.txt=\"8181\""}
                                    << true << "192.168.1.5" << 8181;
        QTest::addRow("a port beyond 65535")
            << QStringList{"RemotePort.txt=\"70000\""} << false << "0.0.0.0" << 8080;
        QTest::addRow("a port that is no number")
            << QStringList{"RemotePort.txt=\"80a\""} << false << "0.0.0.0" << 8080;
        QTest::addRow("an address that is none")
            << QStringList{"RemoteAddress.txt=\"school\""} << false << "0.0.0.0" << 8080;
        QTest::addRow("anything but YES is off")
            << QStringList{"RemotePage.txt=\"1\""} << false << "0.0.0.0" << 8080;
    }
    void load() {
        QFETCH(QStringList, files);
        QFETCH(bool, enabled);
        QFETCH(QString, address);
        QFETCH(int, port);
        QTemporaryDir dir;
        FakeFiles disk;
        SettingsStore store(disk, dir.path());
        for (const QString& f : files)
            QVERIFY(disk.write(dir.path() + '/' + f.section('=', 0, 0), f.section('=', 1).toUtf8() + "\r\n"));
        const PageSettings s = loadPageSettings(store);
        QCOMPARE(s.enabled, enabled);
        QCOMPARE(s.address, address);
        QCOMPARE(int(s.port), port);
    }

    // 系统 → 远程控制: what the operator applies is written first; the page follows only what was
    // written, and the password is kept only as its digest.
    void window_data() {
        QTest::addColumn<bool>("on");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("unwritable");
        QTest::addColumn<bool>("running");
        QTest::addColumn<QString>("state");
        QTest::addRow("on with a password")
            << true << "铃声" << false << true << "远程控制已开启：http://127.0.0.1:";
        QTest::addRow("on without a password ever set")
            << true << "" << false << false << "没有设置密码，远程控制页面不能开启";
        QTest::addRow("off") << false << "铃声" << false << false << "远程控制已关闭";
        QTest::addRow("a settings file that cannot be written")
            << true << "铃声" << true << false << "设置文件写入失败，远程控制未更改";
    }
    void window() {
        QFETCH(bool, on);
        QFETCH(QString, password);
        QFETCH(bool, unwritable);
        QFETCH(bool, running);
        QFETCH(QString, state);
        QTemporaryDir dir;
        FakeFiles disk;
        SettingsStore store(disk, dir.path());
        if (unwritable)
            disk.unwritable << store.pathForWriting(pagesettings::kPort);
        FakeClock clock;
        FakeRemoteActions actions;
        FakeRemoteLog log;
        RemotePage page(clock, actions, log, loadPageSettings(store));
        RemotePageSetup setup(store, page);
        RemoteSettingsWindow window(setup);
        const quint16 port = freePort();
        window.findChild<QCheckBox*>("RemoteOn")->setChecked(on);
        window.findChild<QLineEdit*>("RemoteAddress")->setText("127.0.0.1");
        window.findChild<QSpinBox*>("RemotePort")->setValue(port);
        window.findChild<QLineEdit*>("RemotePassword")->setText(password);
        QSignalSpy applied(&setup, &RemotePageSetup::applied);
        QTest::mouseClick(window.findChild<QPushButton*>("RemoteApply"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(applied.size(), 1, 10000);
        QVERIFY2(window.findChild<QLabel*>("RemoteState")->text().startsWith(state),
                 qPrintable(window.findChild<QLabel*>("RemoteState")->text()));
        QCOMPARE(page.running(), running);
        QVERIFY(window.findChild<QLineEdit*>("RemotePassword")->text().isEmpty());
        if (running)
            QCOMPARE(page.port(), port);
        const QByteArray kept =
            disk.read(store.pathForWriting(pagesettings::kPassword)).value_or(QByteArray());
        QVERIFY(!kept.contains(password.toUtf8()) || password.isEmpty());
        if (!unwritable && !password.isEmpty()) {
            QVERIFY(quel::passwordMatches(loadPageSettings(store).digest, password));
            QCOMPARE(loadPageSettings(store).enabled, on);
        }
    }

    // At start-up the page follows its settings files, and answers for the program only once the
    // program's actions are handed in.
    void feature_data() {
        QTest::addColumn<bool>("on");
        QTest::addColumn<bool>("withPassword");
        QTest::addColumn<bool>("actionsHandedIn");
        QTest::addColumn<QString>("startError");
        QTest::addColumn<QString>("ringAnswer");
        QTest::addRow("on, connected") << true << true << true << ""
                                       << "ok 已完成";
        QTest::addRow("on, the program's actions not yet handed in") << true << true << false << ""
                                                                     << "failed 程序尚未接通远程控制";
        QTest::addRow("on without a password")
            << true << false << true << "没有设置密码，远程控制页面不能开启"
            << "";
        QTest::addRow("off") << false << true << true << ""
                             << "";
    }
    void feature() {
        QFETCH(bool, on);
        QFETCH(bool, withPassword);
        QFETCH(bool, actionsHandedIn);
        QFETCH(QString, startError);
        QFETCH(QString, ringAnswer);
        QTemporaryDir dir;
        FakeFiles disk;
        SettingsStore store(disk, dir.path());
        const QString password = QStringLiteral("bell");
        QVERIFY(savePageSettings(
            store, {on, "127.0.0.1", freePort(), withPassword ? passwordDigest(password, 1000) : QString()}));
        FakeClock clock;
        FakeRemoteActions actions;
        FakeRemoteLog log;
        RemotePageFeature feature(clock, store, log);
        if (actionsHandedIn)
            feature.setActions(&actions);
        QCOMPARE(feature.startIfEnabled(), startError);
        QCOMPARE(feature.page().running(), ringAnswer != "");
        if (!feature.page().running())
            return;
        const quint16 port = feature.page().port();
        const RawReply login = offThread([port] {
            return rawExchange(port,
                               "POST /api/login HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 19\r\n"
                               "Connection: close\r\n\r\n{\"password\":\"bell\"}");
        });
        QCOMPARE(login.status, 200);
        const QByteArray session =
            "Cookie: " + login.header("set-cookie").split(';').first() + "\r\nX-Quel-Token: " +
            QJsonDocument::fromJson(login.body).object().value("token").toString().toLatin1();
        const RawReply ring = offThread([port, session] {
            return rawExchange(port, "POST /api/ring HTTP/1.1\r\nHost: 127.0.0.1\r\n" + session +
                                         "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        });
        const QJsonObject answer = QJsonDocument::fromJson(ring.body).object();
        QCOMPARE((answer.value("ok").toBool() ? "ok " : "failed ") + answer.value("message").toString(),
                 ringAnswer);
        QCOMPARE(actions.calls, actionsHandedIn ? QStringList{"ringNow()"} : QStringList{});
    }
};

QTEST_MAIN(RemoteSettingsTest)
#include "remote_settings_test.moc"
