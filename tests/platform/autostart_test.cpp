// The autostart entry read back by GLib, which desktop sessions use to start it at login: the
// program runs with exactly its path as written and the program folder it was started on.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "desktop_launch.h"
#include "platform/autostart.h"

using namespace quel;

class AutostartTest : public QObject {
    Q_OBJECT
private slots:
    void theEntryStartsTheProgramOnItsFolder_data() {
        QTest::addColumn<QString>("folder");  // empty: the program folder was not named by QUELBROOK_HOME
        QTest::addColumn<QString>("program");
        QTest::addRow("plain names") << "bells"
                                     << "quelbrook";
        QTest::addRow("no folder to hand on") << ""
                                              << "quelbrook";
        QTest::addRow("blanks") << "my bells"
                                << "run me";
        QTest::addRow("shell characters") << "a$b`c\"d'e"
                                          << "x\\y%z;*?#~&|<>";
        QTest::addRow("a backslash before a quote") << "end\\"
                                                    << "q\\\"r";
        QTest::addRow("Chinese") << QStringLiteral("铃声 文件夹") << QStringLiteral("程序");
    }
    void theEntryStartsTheProgramOnItsFolder() {
        QFETCH(QString, folder);
        QFETCH(QString, program);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString home = folder.isEmpty() ? QString() : dir.filePath(folder);
        const QString executable = dir.filePath(program);
        const QString marker = dir.filePath(QStringLiteral("started.txt"));
        // The stand-in program records the folder it was given and its own path.
        QFile script(executable);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(
            "#!/bin/sh\nprintf '%s\\n' \"${QUELBROOK_HOME-<none>}\" \"$0\" \"$#\" > \"$(dirname \"$0\")/"
            "started.tmp\"\nmv \"$(dirname \"$0\")/started.tmp\" \"$(dirname \"$0\")/started.txt\"\n");
        script.close();
        QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

        XdgAutostart autostart(dir.filePath(QStringLiteral("config")), home);
        QVERIFY(autostart.enable(executable));
        qunsetenv("QUELBROOK_HOME");
        const QString failure = launchDesktopEntry(autostart.entryPath());
        QVERIFY2(failure.isEmpty(), qPrintable(failure));

        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 10000);
        QFile started(marker);
        QVERIFY(started.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(started.readAll()).split(QLatin1Char('\n'));
        QCOMPARE(lines.value(0), home.isEmpty() ? QStringLiteral("<none>") : home);
        QCOMPARE(lines.value(1), executable);
        QCOMPARE(lines.value(2), QStringLiteral("0"));  // no stray arguments

        // Once the program is removed, sessions skip the entry rather than fail to start it.
        QVERIFY(QFile::remove(executable));
        QCOMPARE(launchDesktopEntry(autostart.entryPath()), QStringLiteral("GLib refused the entry"));
    }
};

QTEST_GUILESS_MAIN(AutostartTest)
#include "autostart_test.moc"
