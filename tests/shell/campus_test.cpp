// The campus in the main window on fakes: following from the menu brings the source's table in and
// locks the table editing; off, the window is as it always was.

#include <QAction>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "campus/bundle.h"
#include "campus/signing.h"
#include "fakes/fake_platform.h"
#include "platform/settings_names.h"
#include "schedule/table_document.h"
#include "shell/campus_shell.h"
#include "shell/main_window.h"

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
