// The track selector offscreen: which files it offers and in what order, what it adds to the list,
// what it refuses, and where it opens.

#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "fakes/fake_platform.h"
#include "platform/settings_names.h"
#include "player/form_select_files.h"
#include "player/play_list.h"
#include "player/play_list_commands.h"
#include "player/shuffle.h"

using namespace quel;
using namespace quel::fakes;

namespace {

struct Fixture {
    explicit Fixture(const QStringList& files = {"b.MP3", "notes.txt", "d.Flac", "e.OGG", "Z.opus"})
        : fake(dir.path()),
          list(fake.files, dir.path(), shuffler, fake.worker),
          commands(list, fake.files, fake.dialogs) {
        QDir(dir.path()).mkpath(QStringLiteral("PlayListFile"));
        QDir(dir.path()).mkpath(QStringLiteral("music/sub"));
        // The list's one track lies in the music folder, so the selector opens there.
        for (const QString& name : files + QStringList{"A.wav"})
            DiskFiles().write(music(name), "sound");
        DiskFiles().write(music(QStringLiteral("sub/deep.wav")), "sound");
        DiskFiles().write(listFile(), QByteArray("\"|") + music(QStringLiteral("A.wav")).toUtf8() + "\"\r\n");
        DiskFiles().writeText(dir.path() + QLatin1Char('/') + settings::kDefaultPlf, listFile());
        list.loadDefault();
        selector = new FormSelectFiles(commands);
        selector->show();
        fake.files.writes.clear();
    }
    ~Fixture() { delete selector.data(); }
    QString music(const QString& name = {}) const {
        return dir.path() + QStringLiteral("/music") + (name.isEmpty() ? QString() : QLatin1Char('/') + name);
    }
    QString listFile() const { return dir.path() + QStringLiteral("/PlayListFile/day.PLF"); }
    QListWidget* files() const { return selector->findChild<QListWidget*>(QStringLiteral("File1")); }
    QListWidget* folders() const { return selector->findChild<QListWidget*>(QStringLiteral("Dir1")); }
    QStringList names(QListWidget* w) const {
        QStringList out;
        for (int i = 0; i < w->count(); ++i)
            out << w->item(i)->text();
        return out;
    }
    void select(const QString& name) const {
        files()->findItems(name, Qt::MatchExactly).first()->setSelected(true);
    }
    void click(const char* name) const {
        QTest::mouseClick(selector->findChild<QPushButton*>(QString::fromLatin1(name)), Qt::LeftButton);
    }
    void settle() const { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    QTemporaryDir dir;
    FakePlatform fake;
    Shuffler shuffler{1};
    PlayList list;
    PlayListCommands commands;
    QPointer<FormSelectFiles> selector;
};

}  // namespace

class SelectFilesTest : public QObject {
    Q_OBJECT
private slots:
    void opensInTheFolderOfTheLastTrackAndListsMediaByName() {
        Fixture f;
        QCOMPARE(f.selector->folder(), f.music());
        QCOMPARE(f.names(f.files()), QStringList({"A.wav", "b.MP3", "d.Flac", "e.OGG", "Z.opus"}));
        QCOMPARE(f.names(f.folders()), QStringList({"..", "sub"}));
        QVERIFY(f.files()->selectionMode() == QAbstractItemView::ExtendedSelection);

        emit f.folders()->itemActivated(f.folders()->item(1));
        QCOMPARE(f.selector->folder(), f.music(QStringLiteral("sub")));
        QCOMPARE(f.names(f.files()), QStringList{"deep.wav"});
        emit f.folders()->itemActivated(f.folders()->item(0));
        QCOMPARE(f.selector->folder(), f.music());
    }

    void addsTheSelectionInListOrder() {
        Fixture f;
        f.select(QStringLiteral("e.OGG"));
        f.select(QStringLiteral("b.MP3"));
        f.click("Command3");
        QCOMPARE(f.list.tracks(), QStringList({f.music("A.wav"), f.music(QStringLiteral("b.MP3")),
                                               f.music(QStringLiteral("e.OGG"))}));
        QCOMPARE(f.fake.files.writes, QStringList{f.listFile()});
        f.settle();
        QVERIFY(!f.selector);
    }

    void aTrackAlreadyListedCanBeAddedAgain() {
        Fixture f;
        f.select(QStringLiteral("A.wav"));
        f.click("Command3");
        QCOMPARE(f.list.tracks(), QStringList({f.music("A.wav"), f.music("A.wav")}));
    }

    void selectAllNoneAndCancel() {
        Fixture f;
        f.click("Command1");
        QCOMPARE(f.files()->selectedItems().size(), 5);
        f.click("Command2");
        QVERIFY(f.files()->selectedItems().isEmpty());
        f.click("Command3");  // nothing chosen: the list file is left alone
        QVERIFY(f.fake.files.writes.isEmpty());
        QCOMPARE(f.list.trackCount(), 1);

        Fixture g;
        g.click("Command1");
        g.click("Command4");
        QVERIFY(g.fake.files.writes.isEmpty());
        QCOMPARE(g.list.trackCount(), 1);
        g.settle();
        QVERIFY(!g.selector);
    }

    void refusesNamesThatWouldCorruptTheList() {
        Fixture f({"ok.mp3", "say \"hi\".mp3", "a|b.wav"});
        f.click("Command1");
        f.click("Command3");
        QCOMPARE(f.fake.dialogs.messages.size(), 1);
        const ShownMessage& shown = f.fake.dialogs.messages.first();
        QCOMPARE(shown.icon, MessageIcon::Warning);
        QVERIFY(shown.text.contains(f.music(QStringLiteral("a|b.wav"))));
        QVERIFY(shown.text.contains(f.music(QStringLiteral("say \"hi\".mp3"))));
        QVERIFY(!shown.text.contains(QStringLiteral("ok.mp3")));
        QCOMPARE(f.list.tracks(),
                 QStringList({f.music("A.wav"), f.music("A.wav"), f.music(QStringLiteral("ok.mp3"))}));
    }

    // The schedule replaced the list while the refusal was shown: the choice was for the old one.
    void addsNothingToAListThatReplacedItsOwn() {
        Fixture f({"ok.mp3", "a|b.wav"});
        const QString other = f.dir.path() + QStringLiteral("/PlayListFile/other.PLF");
        DiskFiles().write(other, "\"\"\r\n");
        f.fake.dialogs.whileOpen = [&] { f.list.loadForBroadcast(other, PlayOrder::Stored); };
        f.click("Command1");
        f.click("Command3");
        QCOMPARE(f.list.trackCount(), 0);
        QCOMPARE(DiskFiles().read(other).value_or("<none>"), QByteArray("\"\"\r\n"));
    }

    void startFolder_data() {
        QTest::addColumn<QString>("playerPath");
        QTest::addColumn<QString>("folder");  // "@" the temporary folder, "" the music folder or home
        QTest::addRow("the folder of a track") << "@/music/A.wav"
                                               << "@/music";
        QTest::addRow("the folder of a track that is gone") << "@/music/gone.wav"
                                                            << "@/music";
        QTest::addRow("a folder itself") << "@/music/sub"
                                         << "@/music/sub";
        QTest::addRow("an empty list") << ""
                                       << "";
        QTest::addRow("a path from Windows") << "D:\\MUSIC\\A.MP3"
                                             << "";
        QTest::addRow("a track on an unplugged stick") << "/media/no-such-stick/a.mp3"
                                                       << "";
    }
    void startFolder() {
        QFETCH(QString, playerPath);
        QFETCH(QString, folder);
        Fixture f;
        playerPath.replace("@", f.dir.path());
        folder.replace("@", f.dir.path());
        const QString start = FormSelectFiles::startFolder(playerPath);
        if (folder.isEmpty()) {
            const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
            QVERIFY2(start == QDir::homePath() || start == music, qPrintable(start));
        } else {
            QCOMPARE(start, folder);
        }
    }

    void offersHomeRootAndRealVolumesOnly() {
        const QStringList places = FormSelectFiles::volumes();
        QVERIFY(places.contains(QDir::homePath()));
        QVERIFY(places.contains(QStringLiteral("/")));
        for (const QString& p : places) {
            QVERIFY2(!p.startsWith("/proc") && !p.startsWith("/sys") && !p.startsWith("/dev"), qPrintable(p));
        }
        QStringList distinct = places;
        QCOMPARE(distinct.removeDuplicates(), 0);
        Fixture f;
        QCOMPARE(f.selector->findChild<QComboBox*>(QStringLiteral("Drive1"))->count(), places.size());
    }
};

QTEST_MAIN(SelectFilesTest)
#include "select_files_test.moc"
