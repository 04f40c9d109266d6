// The check of a play list off the GUI thread, with the player window on fakes: the window shows the
// list's name and a busy mark at once, the tracks when the check is done, a check that another load
// overtook is thrown away, and the file is written back only when the check dropped a track. Each
// check is held until the test lets it finish, so results arrive late and in any order.

#include <QDir>
#include <QLabel>
#include <QListView>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "fakes/fake_platform.h"
#include "fakes/file_bytes.h"
#include "platform/settings_names.h"
#include "player/broadcaster.h"
#include "player/from_player.h"
#include "player/player_session.h"

using namespace quel;
using namespace quel::fakes;

namespace {

using quel::testing::quoted;

struct Fixture {
    Fixture() : fake(dir.path()), broadcaster(fake.platform) {
        fake.worker.hold = true;
        QDir(dir.path()).mkpath(QStringLiteral("PlayListFile"));
        for (QChar c : QStringLiteral("abxy"))
            DiskFiles().write(track(c), "sound");
        // g names a file deleted for good: its folder is there, the file is not.
        writeList(QStringLiteral("day.PLF"), QStringLiteral("abg"));
        writeList(QStringLiteral("other.PLF"), QStringLiteral("xy"));
        DiskFiles().writeText(path(settings::kDefaultPlf), listPath(QStringLiteral("day")));
    }
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    QString track(QChar c) const { return path(QString(c) + QStringLiteral(".wav")); }
    QString listPath(const QString& name) const {
        return path(QStringLiteral("PlayListFile/") + name + ".PLF");
    }
    void writeList(const QString& name, const QString& tracks) const {
        QString text;
        for (QChar c : tracks)
            text += QLatin1Char('|') + track(c);
        DiskFiles().write(path(QStringLiteral("PlayListFile/") + name), quoted(text));
    }
    QString letters(const QStringList& paths) const {
        QString out;
        for (const QString& p : paths)
            out += fileNamePart(p).left(1);
        return out;
    }
    void run(const QString& step) {
        const QString verb = step.section(QLatin1Char(' '), 0, 0);
        const QString what = step.section(QLatin1Char(' '), 1);
        PlayerSession& session = *broadcaster.session();
        if (verb == QStringLiteral("finish")) {
            fake.worker.finish(what.toInt());
            // The result comes back through the event loop, as it does from the worker.
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
        } else if (verb == QStringLiteral("broadcast")) {
            broadcaster.broadcastOn(listPath(what), PlayOrder::Stored);
        } else if (verb == QStringLiteral("open")) {
            fake.dialogs.fileAnswers = {listPath(what)};
            session.listCommands().open();
        } else if (verb == QStringLiteral("new")) {
            fake.dialogs.fileAnswers = {listPath(what)};
            session.listCommands().createNew();
        } else if (verb == QStringLiteral("add")) {
            session.listCommands().add({track(what.at(0))});
        } else {
            qFatal("unknown step %s", qPrintable(step));
        }
    }

    QTemporaryDir dir;
    FakePlatform fake;
    Broadcaster broadcaster;
};

}  // namespace

class ListCheckTest : public QObject {
    Q_OBJECT
private slots:
    // Check 0 is the default list's, started when the player opens; later loads number on from there.
    void theCheckedListReplacesTheListItWasFor_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("file");     // the list the window names
        QTest::addColumn<QString>("tracks");   // the lines of the window's list
        QTest::addColumn<bool>("busy");        // the busy mark shows
        QTest::addColumn<QString>("playing");  // the track opened in the player
        QTest::addColumn<QStringList>("written");
        QTest::addColumn<int>("messages");

        QTest::addRow("the window names the list at once and is busy until its check is done")
            << QStringList{} << "day.PLF"
            << "" << true << "" << QStringList{} << 0;
        QTest::addRow("the checked tracks show and the deleted one leaves the file")
            << QStringList{"finish 0"} << "day.PLF"
            << "ab" << false << "" << QStringList{"day.PLF"} << 0;
        QTest::addRow("a broadcast waits for its check, then plays its first track")
            << QStringList{"broadcast other", "finish 1"} << "other.PLF"
            << "xy" << false << "x" << QStringList{} << 0;
        QTest::addRow("the late check of the list the broadcast replaced is dropped, nothing written")
            << QStringList{"broadcast other", "finish 1", "finish 0"} << "other.PLF"
            << "xy" << false << "x" << QStringList{} << 0;
        QTest::addRow("an early check of a replaced list is dropped as well")
            << QStringList{"broadcast other", "finish 0"} << "other.PLF"
            << "" << true << "" << QStringList{} << 0;
        QTest::addRow("a broadcast overtaken by 打开 does not play the list opened instead")
            << QStringList{"broadcast other", "open day", "finish 1", "finish 2"} << "day.PLF"
            << "ab" << false << "" << QStringList{"day.PLF"} << 0;
        QTest::addRow("the same list loaded anew takes only the newer check")
            << QStringList{"broadcast day", "finish 1", "finish 0"} << "day.PLF"
            << "ab" << false << "a" << QStringList{"day.PLF"} << 0;
        QTest::addRow("新建 during a check keeps the new empty list")
            << QStringList{"new fresh", "finish 0"} << "fresh.PLF"
            << "" << false << "" << QStringList{"fresh.PLF"} << 0;
        QTest::addRow("添加 during a check is refused rather than written over the unchecked file")
            << QStringList{"add x"} << "day.PLF"
            << "" << true << "" << QStringList{} << 1;
    }
    void theCheckedListReplacesTheListItWasFor() {
        QFETCH(QStringList, steps);
        QFETCH(QString, file);
        QFETCH(QString, tracks);
        QFETCH(bool, busy);
        QFETCH(QString, playing);
        QFETCH(QStringList, written);
        QFETCH(int, messages);
        Fixture f;
        f.broadcaster.showPlayer();
        f.fake.files.writes.clear();
        for (const QString& step : steps)
            f.run(step);

        auto* window = qobject_cast<FromPlayer*>(f.broadcaster.window());
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->findChild<QLabel*>(QStringLiteral("Label1"))->text(),
                 QStringLiteral("文件:") + file);
        auto* shown =
            qobject_cast<QStringListModel*>(window->findChild<QListView*>(QStringLiteral("List1"))->model());
        QCOMPARE(f.letters(shown->stringList()), tracks);
        QCOMPARE(!window->findChild<QLabel*>(QStringLiteral("LabelChecking"))->isHidden(), busy);
        QCOMPARE(f.letters({f.fake.media.made.first()->fileName()}), playing);
        QStringList names;
        for (const QString& w : std::as_const(f.fake.files.writes))
            if (w.contains(QStringLiteral("/PlayListFile/")))
                names << fileNamePart(w);
        QCOMPARE(names, written);
        QCOMPARE(f.fake.dialogs.messages.size(), messages);
        if (written.contains(QStringLiteral("day.PLF"))) {
            QFile day(f.listPath(QStringLiteral("day")));
            QVERIFY(day.open(QIODevice::ReadOnly));
            QCOMPARE(day.readAll(),
                     quoted(QLatin1Char('|') + f.track('a') + QLatin1Char('|') + f.track('b')));
        }
    }

    // The time is spoken while a broadcast's list is still being checked: the list does not sound
    // over the words, and the broadcast starts again once they are over, as one that had begun would.
    void aBroadcastStillCheckedWhenTheTimeIsSpokenResumesAfterIt() {
        Fixture f;
        f.broadcaster.broadcastOn(f.listPath(QStringLiteral("other")), PlayOrder::Stored);
        f.broadcaster.announce({});
        f.run(QStringLiteral("finish 1"));
        FakeMedia& media = *f.fake.media.made.first();
        QCOMPARE(media.fileName(), QString());
        for (int second = 0; second < Broadcaster::kResumeSeconds; ++second)
            f.broadcaster.resumeTick();
        QVERIFY(f.broadcaster.isLoaded());
        f.run(QStringLiteral("finish 2"));
        QCOMPARE(media.fileName(), f.track('x'));
    }
};

QTEST_MAIN(ListCheckTest)
#include "list_check_test.moc"
