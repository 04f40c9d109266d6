#include "shell/app.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QTranslator>
#include <memory>

#include "engine/clock_tick.h"
#include "media/gst_backend.h"
#include "media/gst_media.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "platform/power.h"
#include "platform/process_launcher.h"
#include "platform/program_folder.h"
#include "platform/pulse_line_in.h"
#include "platform/settings_names.h"
#include "platform/short_turns.h"
#include "platform/wall_timer.h"
#include "remote/client.h"
#include "remote/dbus_control.h"
#include "shell/info/app_icon.h"
#include "shell/info/splash_window.h"
#include "shell/info/version.h"
#include "shell/main_window.h"
#include "shell/player_mpris.h"
#include "shell/remote_wiring.h"

namespace quel {

QString installedDataDir(const QString& executableDir) {
    const QString installed =
        QDir::cleanPath(executableDir + QLatin1Char('/') + QStringLiteral(QUELBROOK_DATA_FROM_BIN));
    if (QFileInfo(installed).isDir())
        return installed;
    return executableDir;
}

namespace {

QString programFolderFor(const QString& executableDir) {
    ProgramFolderInputs in;
    in.homeOverride = qEnvironmentVariable("QUELBROOK_HOME");
    in.executableDir = executableDir;
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty())
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    in.userDataDir = dataHome + QStringLiteral("/quelbrook");
    return chooseProgramFolder(in);
}

// `quelbrook <verb>`: no window, no display needed (cron, ssh); the running program of the same
// program folder does the work and answers in one line.
int runCommandLine(int argc, char** argv, const CommandLine& command) {
    QCoreApplication app(argc, argv);
    LocalInstanceGuard instance(programFolderFor(QCoreApplication::applicationDirPath()));
    QTextStream out(stdout);
    QTextStream err(stderr);
    return runRequest(command, instance, out, err);
}

}  // namespace

QString prepareProgramFolder(const QString& executableDir) {
    const QString folder = programFolderFor(executableDir);
    fillProgramFolder(folder, installedDataDir(executableDir));
    return folder;
}

QTranslator* installQtChineseTexts() {
    auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_zh_CN"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator.get()))
        return nullptr;
    return translator.release();
}

int runProgram(int argc, char** argv) {
    QStringList words;
    for (int i = 1; i < argc; ++i)
        words << QString::fromLocal8Bit(argv[i]);
    const CommandLine command = parseCommandLine(words, QDir::currentPath());
    if (command.kind != CommandLine::Kind::StartProgram)
        return runCommandLine(argc, argv, command);

    // The window is still all day but for the clock's label. On X11, Qt hands each repaint over in
    // shared memory and waits for the server's word that it was read: two more wakeups a second for
    // one label. A repaint that small costs nothing sent over the socket. The operator's own choice
    // of the variable stands.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
    QApplication app(argc, argv);
    QApplication::setApplicationName(version::kTitle);
    QApplication::setApplicationVersion(version::text());
    // Ties the windows to the installed desktop entry, so the desktop shows its name and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(QUELBROOK_APP_ID));
    QApplication::setWindowIcon(appIcon());
    // The window may sit in the tray with no window shown; the program goes on.
    QApplication::setQuitOnLastWindowClosed(false);
    installQtChineseTexts();
    initMedia(&argc, &argv);

    const QString exeDir = QCoreApplication::applicationDirPath();
    const QString folder = prepareProgramFolder(exeDir);

    SystemClock clock;
    WidgetDialogs dialogs;
    DiskFiles files;
    LocalInstanceGuard instance(folder);
    instance.setNotReadyAnswer(answerLine({false, QStringLiteral("程序正在启动,请稍后再试")}));
    // A folder named by QUELBROOK_HOME goes into the autostart entry; the login session lacks it.
    XdgAutostart autostart({}, qEnvironmentVariableIsEmpty("QUELBROOK_HOME") ? QString() : folder);
    SystemTray tray;
    GstMediaFactory media(QFile::encodeName(files.readField(nameInFolder(folder, settings::kSnapcastPipe))));
    ProcessLauncher launcher;
    PulseLineIn lineIn;
    // The one place that reaches the machine's login manager and session manager.
    LogindPower power(QDBusConnection::systemBus(), QDBusConnection::sessionBus());
    LogindInhibitor sleepInhibitor(QDBusConnection::systemBus());
    ThreadWorker worker;
    Platform platform{
        clock,    dialogs, files, instance,       autostart, tray,   media,
        launcher, lineIn,  power, sleepInhibitor, worker,    folder, QCoreApplication::applicationFilePath()};

    // Rings the tick on the system's second when the operator has put it there.
    KernelWallTimer wallTimer;
    // The tick and the bells run on this thread. On a busy computer it then wakes on the second
    // rather than a scheduler's period later, and so does a program it starts.
    turns::askShort();
    std::unique_ptr<MainWindow> main;
    std::unique_ptr<DBusControl> control;
    std::unique_ptr<PlayerMpris> mpris;
    auto* splash = new SplashWindow;
    QObject::connect(splash, &SplashWindow::handOver, &app, [&] {
        main = std::make_unique<MainWindow>(platform);
        main->clockTick().setWallTimer(&wallTimer);
        dialogs.setHome(main.get());
        if (!main->load()) {
            QCoreApplication::exit(0);
            return;
        }
        // The ways in from afar; on a desktop without a session bus only the command line remains.
        control = std::make_unique<DBusControl>(main->attachRemote());
        control->publish(QDBusConnection::sessionBus());
        mpris = std::make_unique<PlayerMpris>(main->remote()->broadcaster(), QDBusConnection::sessionBus());
    });
    splash->show();
    return app.exec();
}

}  // namespace quel
