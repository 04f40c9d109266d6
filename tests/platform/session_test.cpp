// The single-instance guard and the autostart entry: the two services that reach outside the program.

#include <QDBusConnection>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/autostart.h"
#include "platform/files.h"
#include "platform/instance.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>

using namespace quel;

class SessionTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // Sockets go to a private runtime folder, never the user's; lock files to the test's folders.
        qputenv("XDG_RUNTIME_DIR", runtime_.path().toUtf8());
    }

    void theMachinesServicesAreOutOfReach() {
        // The test environment leads every bus and sound-server address nowhere.
        for (const char* name : {"DBUS_SYSTEM_BUS_ADDRESS", "DBUS_SESSION_BUS_ADDRESS", "PULSE_SERVER"})
            QVERIFY2(qEnvironmentVariable(name).contains(QStringLiteral("/nonexistent/")), name);
        QVERIFY(!QDBusConnection::systemBus().isConnected());
        QVERIFY(!QDBusConnection::sessionBus().isConnected());
    }

    void aSecondStartFindsTheFirstAndBringsItForward() {
        const QString folder = programFolder("a");
        LocalInstanceGuard first(folder);
        QVERIFY(!first.anotherIsRunning());
        QSignalSpy activated(&first, &InstanceGuard::activateRequested);
        {
            LocalInstanceGuard second(folder);
            QVERIFY(second.anotherIsRunning());
            second.activateOther();
        }
        QTRY_COMPARE_WITH_TIMEOUT(activated.size(), 1, 5000);
    }

    void programFoldersAreToldApart() {
        LocalInstanceGuard a(programFolder("one"));
        LocalInstanceGuard b(programFolder("two"));
        QVERIFY(!a.anotherIsRunning());
        QVERIFY(!b.anotherIsRunning());
    }

    void aFolderReachedThroughALinkIsTheSameProgram() {
        const QString folder = programFolder("linked");
        const QString link = homes_.filePath(QStringLiteral("link to linked"));
        QVERIFY(QFile::link(folder, link));
        QCOMPARE(instanceKey(link), instanceKey(folder));
        QCOMPARE(instanceKey(folder + QStringLiteral("/")), instanceKey(folder));
        LocalInstanceGuard first(folder);
        QVERIFY(!first.anotherIsRunning());
        QSignalSpy activated(&first, &InstanceGuard::activateRequested);
        LocalInstanceGuard second(link);
        QVERIFY(second.anotherIsRunning());
        second.activateOther();
        QTRY_COMPARE_WITH_TIMEOUT(activated.size(), 1, 5000);
    }

    // cron and ssh may bring another runtime folder, or none: the lock in the program folder still
    // holds them off.
    void aStartWithAnotherRuntimeFolderIsStillSecond() {
        const QString folder = programFolder("runtimes");
        LocalInstanceGuard first(folder);
        QVERIFY(!first.anotherIsRunning());
        QTemporaryDir elsewhere;
        QFile::setPermissions(elsewhere.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", elsewhere.path().toUtf8());
        LocalInstanceGuard second(folder);
        qputenv("XDG_RUNTIME_DIR", runtime_.path().toUtf8());
        QVERIFY(second.anotherIsRunning());
    }

    void theNextStartRunsOnceTheFirstHasEnded() {
        const QString folder = programFolder("b");
        {
            LocalInstanceGuard first(folder);
            QVERIFY(!first.anotherIsRunning());
        }
        LocalInstanceGuard next(folder);
        QVERIFY(!next.anotherIsRunning());
    }

    void aCrashedInstanceDoesNotBlockTheNextStart() {
        const QString folder = programFolder("c");
        // A child takes the guard and dies without letting go, as a crash would.
        const pid_t child = fork();
        if (child == 0) {
            LocalInstanceGuard crashed(folder);
            _exit(crashed.anotherIsRunning() ? 1 : 0);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QCOMPARE(WEXITSTATUS(status), 0);
        QVERIFY(QFile::exists(LocalInstanceGuard::lockPath(folder)));
        LocalInstanceGuard next(folder);
        QVERIFY(!next.anotherIsRunning());
    }

    // A lock file's age says nothing while its owner runs: a school's program runs for weeks.
    void aLiveFirstInstanceKeepsItsLockPastThirtySeconds() {
        const QString folder = programFolder("d");
        int toChild[2];
        int fromChild[2];
        QVERIFY(::pipe(toChild) == 0 && ::pipe(fromChild) == 0);
        const pid_t child = fork();
        if (child == 0) {
            ::close(toChild[1]);
            ::close(fromChild[0]);
            LocalInstanceGuard first(folder);
            const char answer = first.anotherIsRunning() ? 'n' : 'y';
            ssize_t ignored = ::write(fromChild[1], &answer, 1);
            char wait = 0;
            ignored = ::read(toChild[0], &wait, 1);  // until the test closes its end
            (void)ignored;
            _exit(0);
        }
        ::close(toChild[0]);
        ::close(fromChild[1]);
        const auto endChild = qScopeGuard([&] {
            ::close(toChild[1]);
            ::close(fromChild[0]);
            waitpid(child, nullptr, 0);
        });
        char firstTookIt = 0;
        QCOMPARE(::read(fromChild[0], &firstTookIt, 1), ssize_t(1));
        QCOMPARE(firstTookIt, 'y');
        const QString lock = LocalInstanceGuard::lockPath(folder);
        const timespec anHourAgo{::time(nullptr) - 3600, 0};
        const timespec times[2] = {anHourAgo, anHourAgo};
        QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(lock).constData(), times, 0) == 0);
        QVERIFY(QFileInfo(lock).lastModified().secsTo(QDateTime::currentDateTime()) > 30);

        LocalInstanceGuard second(folder);
        QVERIFY(second.anotherIsRunning());
        QVERIFY(QFile::exists(lock));
    }

    void runtimeFoldersInOrder() {
        const QString uid = QString::number(::getuid());
        const QStringList fallbacks{"/run/user/" + uid, "/tmp/quelbrook-" + uid};
        QCOMPARE(runtimeFolderCandidates(QString()), fallbacks);
        QCOMPARE(runtimeFolderCandidates(QStringLiteral("/run/x")), QStringList{"/run/x"} + fallbacks);
    }

    void theRuntimeFolderIsPrivate() {
        QTemporaryDir dir;
        const QString open = dir.filePath(QStringLiteral("open"));
        const QString mine = dir.filePath(QStringLiteral("mine"));
        const QString file = dir.filePath(QStringLiteral("file"));
        const QString link = dir.filePath(QStringLiteral("link"));
        const QString made = dir.filePath(QStringLiteral("made"));
        QVERIFY(QDir().mkdir(open) && QDir().mkdir(mine));
        QFile::setPermissions(open, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                        QFile::ReadOther | QFile::ExeOther);
        QFile::setPermissions(mine, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(QFile(file).open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(mine, link));
        QCOMPARE(privateRuntimeFolder({open, file, link, mine}), mine);
        QCOMPARE(privateRuntimeFolder({open, made}), made);
        QCOMPARE(QFileInfo(made).permissions() & (QFile::ReadOther | QFile::ReadGroup), QFile::Permissions());
        QCOMPARE(privateRuntimeFolder({dir.filePath(QStringLiteral("missing")), open}), QString());
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
        // The key file's escapes come on top of the quoting: \$ in the quoted argument is \\$ in the file.
        QVERIFY2(text.contains(QStringLiteral("Exec=\"/a/\\\\$b\\\\\"c%%d\"\n")), qPrintable(text));
    }

private:
    QString programFolder(const char* name) const {
        const QString folder = homes_.filePath(QString::fromLatin1(name));
        QDir().mkpath(folder);
        return folder;
    }

    QTemporaryDir runtime_;
    QTemporaryDir homes_;
};

QTEST_GUILESS_MAIN(SessionTest)
#include "session_test.moc"
