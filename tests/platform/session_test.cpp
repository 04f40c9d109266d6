// The single-instance guard and the autostart entry: the two services that reach outside the program.

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/autostart.h"
#include "platform/files.h"
#include "platform/instance.h"

#include <sys/wait.h>
#include <unistd.h>

using namespace quel;

class SessionTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // Lock files and sockets go to a private runtime folder, never the user's.
        qputenv("XDG_RUNTIME_DIR", runtime_.path().toUtf8());
    }

    void aSecondStartFindsTheFirstAndBringsItForward() {
        const QString key = instanceKey(QStringLiteral("/tmp/quelbrook-test-a"));
        LocalInstanceGuard first(key);
        QVERIFY(!first.anotherIsRunning());
        QSignalSpy activated(&first, &InstanceGuard::activateRequested);
        {
            LocalInstanceGuard second(key);
            QVERIFY(second.anotherIsRunning());
            second.activateOther();
        }
        QTRY_COMPARE_WITH_TIMEOUT(activated.size(), 1, 5000);
    }

    void programFoldersAreToldApart() {
        LocalInstanceGuard a(instanceKey(QStringLiteral("/srv/one")));
        LocalInstanceGuard b(instanceKey(QStringLiteral("/srv/two")));
        QVERIFY(!a.anotherIsRunning());
        QVERIFY(!b.anotherIsRunning());
    }

    void theNextStartRunsOnceTheFirstHasEnded() {
        const QString key = instanceKey(QStringLiteral("/tmp/quelbrook-test-b"));
        {
            LocalInstanceGuard first(key);
            QVERIFY(!first.anotherIsRunning());
        }
        LocalInstanceGuard next(key);
        QVERIFY(!next.anotherIsRunning());
    }

    void aCrashedInstanceDoesNotBlockTheNextStart() {
        const QString key = instanceKey(QStringLiteral("/tmp/quelbrook-test-c"));
        // A child takes the guard and dies without letting go, as a crash would.
        const pid_t child = fork();
        if (child == 0) {
            LocalInstanceGuard crashed(key);
            _exit(crashed.anotherIsRunning() ? 1 : 0);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QCOMPARE(WEXITSTATUS(status), 0);
        QVERIFY(QFile::exists(runtime_.filePath(key + QStringLiteral(".lock"))));
        LocalInstanceGuard next(key);
        QVERIFY(!next.anotherIsRunning());
    }

    void autostartOnWritesTheEntryAndOffDeletesIt() {
        QTemporaryDir config;
        XdgAutostart autostart(config.path());
        // The installed desktop entry's id: a session manager shows the entry with that program's icon.
        const QString entry =
            config.filePath(QStringLiteral("autostart/io.github.quelbrook.quelbrook.desktop"));
        QCOMPARE(autostart.entryPath(), entry);
        QVERIFY(autostart.enable(QStringLiteral("/opt/my bells/quelbrook")));
        const QString text = QString::fromUtf8(*DiskFiles().read(entry));
        QVERIFY(text.startsWith(QStringLiteral("[Desktop Entry]\n")));
        QVERIFY(text.contains(QStringLiteral("\nType=Application\n")));
        QVERIFY(text.contains(QStringLiteral("\nIcon=io.github.quelbrook.quelbrook\n")));
        QVERIFY(text.contains(QStringLiteral("\nExec=\"/opt/my bells/quelbrook\"\n")));
        QVERIFY(autostart.enable(QStringLiteral("/opt/quelbrook")));  // on twice: still one entry
        QVERIFY(autostart.disable());
        QVERIFY(!QFile::exists(entry));
        QVERIFY(autostart.disable());  // off when already off is no failure
    }

    void execQuotingKeepsSpecialCharacters() {
        QTemporaryDir config;
        XdgAutostart autostart(config.path());
        QVERIFY(autostart.enable(QStringLiteral("/a/$b\"c%d")));
        const QString text = QString::fromUtf8(*DiskFiles().read(autostart.entryPath()));
        QVERIFY2(text.contains(QStringLiteral("Exec=\"/a/\\$b\\\"c%%d\"\n")), qPrintable(text));
    }

private:
    QTemporaryDir runtime_;
};

QTEST_GUILESS_MAIN(SessionTest)
#include "session_test.moc"
