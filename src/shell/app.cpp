#include "shell/app.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "media/gst_backend.h"
#include "media/gst_media.h"
#include "platform/platform.h"
#include "platform/power.h"
#include "platform/process_launcher.h"
#include "platform/program_folder.h"
#include "platform/pulse_line_in.h"
#include "shell/info/app_icon.h"
#include "shell/info/splash_window.h"
#include "shell/info/version.h"
#include "shell/main_window.h"

namespace quel {

QString installedDataDir(const QString& executableDir) {
    const QString installed =
        QDir::cleanPath(executableDir + QLatin1Char('/') + QStringLiteral(QUELBROOK_DATA_FROM_BIN));
    if (QFileInfo(installed).isDir())
        return installed;
    return executableDir;
}

QString prepareProgramFolder(const QString& executableDir) {
    ProgramFolderInputs in;
    in.homeOverride = qEnvironmentVariable("QUELBROOK_HOME");
    in.executableDir = executableDir;
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty())
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    in.userDataDir = dataHome + QStringLiteral("/quelbrook");
    const QString folder = chooseProgramFolder(in);
    fillProgramFolder(folder, installedDataDir(executableDir));
    return folder;
}

int runProgram(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(version::kTitle);
    QApplication::setApplicationVersion(version::text());
    // Ties the windows to the installed desktop entry, so the desktop shows its name and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(QUELBROOK_APP_ID));
    QApplication::setWindowIcon(appIcon());
    // The window may sit in the tray with no window shown; the program goes on.
    QApplication::setQuitOnLastWindowClosed(false);
    initMedia(&argc, &argv);

    const QString exeDir = QCoreApplication::applicationDirPath();
    const QString folder = prepareProgramFolder(exeDir);

    SystemClock clock;
    WidgetDialogs dialogs;
    DiskFiles files;
    LocalInstanceGuard instance(folder);
    // A folder named by QUELBROOK_HOME goes into the autostart entry; the login session lacks it.
    XdgAutostart autostart({}, qEnvironmentVariableIsEmpty("QUELBROOK_HOME") ? QString() : folder);
    SystemTray tray;
    GstMediaFactory media;
    ProcessLauncher launcher;
    PulseLineIn lineIn;
    // The one place that reaches the machine's login manager and session manager.
    LogindPower power(QDBusConnection::systemBus(), QDBusConnection::sessionBus());
    LogindInhibitor sleepInhibitor(QDBusConnection::systemBus());
    Platform platform{clock,
                      dialogs,
                      files,
                      instance,
                      autostart,
                      tray,
                      media,
                      launcher,
                      lineIn,
                      power,
                      sleepInhibitor,
                      folder,
                      QCoreApplication::applicationFilePath()};

    std::unique_ptr<MainWindow> main;
    auto* splash = new SplashWindow;
    QObject::connect(splash, &SplashWindow::handOver, &app, [&] {
        main = std::make_unique<MainWindow>(platform);
        if (!main->load())
            QCoreApplication::exit(0);
    });
    splash->show();
    return app.exec();
}

}  // namespace quel
