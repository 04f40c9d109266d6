#include "shell/app.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/platform.h"
#include "platform/process_launcher.h"
#include "platform/program_folder.h"
#include "player/gst_backend.h"
#include "player/gst_media.h"
#include "shell/info/app_icon.h"
#include "shell/info/splash_window.h"
#include "shell/info/version.h"
#include "shell/main_window.h"

namespace quel {

QString installedDataDir(const QString& executableDir) {
    const QString installed = QDir::cleanPath(executableDir + QStringLiteral("/../share/quelbrook"));
    if (QFileInfo(installed).isDir()) return installed;
    return QStringLiteral(QUELBROOK_SOURCE_DATA);
}

QString prepareProgramFolder(const QString& executableDir) {
    ProgramFolderInputs in;
    in.homeOverride = qEnvironmentVariable("QUELBROOK_HOME");
    in.executableDir = executableDir;
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty()) dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    in.userDataDir = dataHome + QStringLiteral("/quelbrook");
    const QString folder = chooseProgramFolder(in);
    fillProgramFolder(folder, installedDataDir(executableDir));
    return folder;
}

int runProgram(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(version::kTitle);
    QApplication::setApplicationVersion(version::text());
    QApplication::setWindowIcon(appIcon());
    // The window may sit in the tray with no window shown; the program goes on.
    QApplication::setQuitOnLastWindowClosed(false);
    initMedia(&argc, &argv);

    const QString exeDir = QCoreApplication::applicationDirPath();
    const QString folder = prepareProgramFolder(exeDir);

    SystemClock clock;
    WidgetDialogs dialogs;
    DiskFiles files;
    LocalInstanceGuard instance(instanceKey(folder));
    XdgAutostart autostart;
    SystemTray tray;
    GstMediaFactory media;
    ProcessLauncher launcher;
    LogindInhibitor sleepInhibitor(QDBusConnection::systemBus());
    Platform platform{clock,
                      dialogs,
                      files,
                      instance,
                      autostart,
                      tray,
                      media,
                      launcher,
                      sleepInhibitor,
                      folder,
                      QCoreApplication::applicationFilePath()};

    std::unique_ptr<MainWindow> main;
    auto* splash = new SplashWindow;
    QObject::connect(splash, &SplashWindow::handOver, &app, [&] {
        main = std::make_unique<MainWindow>(platform);
        if (!main->load()) QCoreApplication::exit(0);
    });
    splash->show();
    return app.exec();
}

}  // namespace quel
