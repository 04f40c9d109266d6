#include <QAction>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include "fakes/fake_platform.h"
#include "history/history.h"
#include "platform/settings_names.h"
#include "platform/settings_store.h"
#include "remote/web/page_settings.h"
#include "remote/web/web_fakes.h"
#include "shell/main_menus.h"
#include "shell/main_window.h"
#include "shell/remote_page_wiring.h"
#include "shell/unattended.h"

using namespace quel;
using namespace quel::fakes;

// The page for a phone in the program: off unless its settings say on, its start and its changes in
// the history, its settings window under 系统 → 远程控制.
class RemotePageShellTest : public QObject {
    Q_OBJECT

private slots:
    void startsWithTheProgram_data() {
        QTest::addColumn<bool>("on");
        QTest::addColumn<bool>("withPassword");
        QTest::addColumn<bool>("running");
        QTest::addColumn<QStringList>("history");
        QTest::addRow("nothing set up: nothing listens") << false << false << false << QStringList{};
        QTest::addRow("on without a password: refused, and the history says why")
            << true << false << false
            << QStringList{"远程控制\t开启远程控制\t失败：没有设置密码，远程控制页面不能开启"};
        QTest::addRow("on; a change before the program's actions are handed in")
            << true << true << true
            << QStringList{"远程控制\t127.0.0.1 登录\t完成",
                           "远程控制\t127.0.0.1 立即打铃\t失败：程序尚未接通远程控制"};
    }
    void startsWithTheProgram() {
        QFETCH(bool, on);
        QFETCH(bool, withPassword);
        QFETCH(bool, running);
        QFETCH(QStringList, history);
        QTemporaryDir dir;
        FakePlatform fake(dir.path());
        QDir(dir.path()).mkpath(QStringLiteral("DayTimeTable"));
        DiskFiles files;
        files.writeNumber(dir.filePath(settings::kResetSystem), 1);
        files.writeText(dir.filePath(settings::kShow), QStringLiteral("show"));
        files.writeText(dir.filePath(settings::kDefaultDtt), dir.filePath(settings::kDefaultTable));
        files.writeText(dir.filePath(settings::kDefaultTable), QString());
        if (on || withPassword) {
            QVERIFY(savePageSettings(
                SettingsStore(files, dir.path()),
                {on, "127.0.0.1", 0, withPassword ? passwordDigest("bell", 1000) : QString()}));
        }
        MainWindow window(fake.platform);
        window.load();
        RemotePage& page = window.remotePage().feature().page();
        QCOMPARE(page.running(), running);
        if (running) {
            const quint16 port = page.port();
            const RawReply login = offThread([port] {
                return rawExchange(port,
                                   "POST /api/login HTTP/1.1\r\nHost: h\r\nContent-Length: 19\r\n"
                                   "Connection: close\r\n\r\n{\"password\":\"bell\"}");
            });
            const QByteArray session =
                "Cookie: " + login.header("set-cookie").split(';').first() + "\r\nX-Quel-Token: " +
                QJsonDocument::fromJson(login.body).object().value("token").toString().toLatin1();
            offThread([port, session] {
                return rawExchange(port, "POST /api/ring HTTP/1.1\r\nHost: h\r\n" + session +
                                             "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            });
        }
        History& h = window.unattended().history();
        h.flush();
        QStringList lines;
        QFile f(dir.filePath(QStringLiteral("History/2026-12.log")));
        if (f.open(QIODevice::ReadOnly)) {
            for (const QString& line : QString::fromUtf8(f.readAll()).split("\r\n", Qt::SkipEmptyParts)) {
                if (line.section('\t', 1, 1) == QStringLiteral("远程控制"))
                    lines << line.section('\t', 1);
            }
        }
        QCOMPARE(lines, history);

        QAction* item = window.menus().action(QStringLiteral("MenuRemote"));
        QVERIFY(item);
        QCOMPARE(item->text(), QStringLiteral("远程控制"));
        item->trigger();
        QWidget* settings = window.findChild<QWidget*>(QStringLiteral("FormRemote"));
        QVERIFY(settings && settings->isVisible());
    }
};

QTEST_MAIN(RemotePageShellTest)
#include "remote_page_test.moc"
