// Writes the program's icon as the PNG files of an icon theme, <folder>/<n>x<n>/apps/<name>.png, from
// the same drawing the windows and the tray use, so the installed icons and the running program agree.

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

#include "shell/info/app_icon.h"

int main(int argc, char** argv) {
    // Only an image is painted: no display is needed, and a build machine may have none.
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        QTextStream(stderr) << "usage: " << args.value(0) << " <icon folder> <icon name>\n";
        return 2;
    }
    for (int size : quel::kAppIconSizes) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(args[1]).arg(size);
        const QString file = dir + QLatin1Char('/') + args[2] + QStringLiteral(".png");
        if (!QDir().mkpath(dir) || !quel::appIconImage(size).save(file, "PNG")) {
            QTextStream(stderr) << "cannot write " << file << '\n';
            return 1;
        }
    }
    return 0;
}
