// The player's play list on a temporary program folder: what its load, its commands and their
// messages leave in the files, byte for byte, and what they refuse.

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "fakes/fake_platform.h"
#include "fakes/file_bytes.h"
#include "fakes/odd_files.h"
#include "platform/settings_names.h"
#include "player/play_list.h"
#include "player/play_list_commands.h"
#include "player/shuffle.h"

using namespace quel;
using namespace quel::fakes;

namespace {

using quel::testing::quoted;

struct Fixture {
    Fixture()
        : fake(dir.path()),
          list(fake.files, dir.path(), shuffler, fake.worker),
          commands(list, fake.files, fake.dialogs) {
        QDir(dir.path()).mkpath(QStringLiteral("PlayListFile"));
        QDir(dir.path()).mkpath(QStringLiteral("music"));
        for (const char* name : {"a.mp3", "b.wav", "c.ogg", "d.flac"}) {
            put(QStringLiteral("music/") + QLatin1String(name), "sound");
        }
        put(settings::kDefaultPlf, quoted(settings::kResetMarker));
        put(settings::kDefaultPlayList, {});
    }
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    QString track(const char* name) const { return path(QStringLiteral("music/") + QLatin1String(name)); }
    QString bar(std::initializer_list<const char*> names) const {
        QString text;
        for (const char* n : names)
            text += QLatin1Char('|') + track(n);
        return text;
    }
    void put(const QString& name, const QByteArray& bytes) const {
        QVERIFY(DiskFiles().write(path(name), bytes));
    }
    QByteArray bytes(const QString& name) const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    // A list file as the default, loaded as the player's load does.
    void loadWith(const QByteArray& listBytes, const QString& name = QStringLiteral("PlayListFile/day.PLF")) {
        put(name, listBytes);
        put(settings::kDefaultPlf, quoted(path(name)));
        list.loadDefault();
        fake.files.writes.clear();
    }
    QStringList texts() const {
        QStringList out;
        for (const ShownMessage& m : fake.dialogs.messages)
            out << m.text;
        return out;
    }

    QTemporaryDir dir;
    FakePlatform fake;
    Shuffler shuffler{42};
    PlayList list;
    PlayListCommands commands;
};

}  // namespace

class PlayListTest : public QObject {
    Q_OBJECT
private slots:
    void loadsTheDefaultList_data() {
        QTest::addColumn<QString>("defaultPlf");    // DefaultPLF.txt's value, "@" the folder
        QTest::addColumn<QString>("listName");      // the list file present, empty for none
        QTest::addColumn<QByteArray>("listBytes");  // "@" the music folder
        QTest::addColumn<QString>("expectedDefault");
        QTest::addColumn<QStringList>("tracks");
        QTest::addColumn<QByteArray>("afterwards");
        QTest::addColumn<bool>("listWritten");

        QTest::addRow("after a reset the default list is the reset's file and stays empty")
            << settings::kResetMarker << "PlayListFile/Default.PLF" << QByteArray()
            << "@/PlayListFile/Default.PLF" << QStringList() << QByteArray() << false;
        QTest::addRow("a default list from Windows is found in any case")
            << settings::kResetMarker << "PlayListFile/DEFAULT.plf" << QByteArray("\"|@/a.mp3\"\r\n")
            << "@/PlayListFile/DEFAULT.plf" << QStringList{"@/a.mp3"} << QByteArray("\"|@/a.mp3\"\r\n")
            << false;
        QTest::addRow("a missing default list is created empty")
            << "@/PlayListFile/gone.PLF"
            << "" << QByteArray() << "@/PlayListFile/Default.PLF" << QStringList() << QByteArray() << true;
        QTest::addRow("a chosen default list loads with its tracks")
            << "@/PlayListFile/day.PLF"
            << "PlayListFile/day.PLF" << QByteArray("\"|@/a.mp3|@/b.wav\"\r\n") << "@/PlayListFile/day.PLF"
            << QStringList{"@/a.mp3", "@/b.wav"} << QByteArray("\"|@/a.mp3|@/b.wav\"\r\n") << false;
        QTest::addRow("deleted tracks leave the file, every copy of them")
            << "@/PlayListFile/day.PLF"
            << "PlayListFile/day.PLF" << QByteArray("\"|@/a.mp3|@/gone.mp3|@/b.wav|@/gone.mp3\"\r\n")
            << "@/PlayListFile/day.PLF" << QStringList{"@/a.mp3", "@/b.wav"}
            << QByteArray("\"|@/a.mp3|@/b.wav\"\r\n") << true;
        QTest::addRow("tracks on absent media stay and the file is not rewritten")
            << "@/PlayListFile/day.PLF"
            << "PlayListFile/day.PLF"
            << QByteArray("\"|/media/usb-stick/x.mp3|D:\\MUSIC\\Y.MP3|@/a.mp3\"\r\n")
            << "@/PlayListFile/day.PLF"
            << QStringList{"/media/usb-stick/x.mp3", "D:\\MUSIC\\Y.MP3", "@/a.mp3"}
            << QByteArray("\"|/media/usb-stick/x.mp3|D:\\MUSIC\\Y.MP3|@/a.mp3\"\r\n") << false;
        QTest::addRow("a list written by hand keeps its first path")
            << "@/PlayListFile/day.PLF"
            << "PlayListFile/day.PLF" << QByteArray("@/a.mp3|@/b.wav\r\n") << "@/PlayListFile/day.PLF"
            << QStringList{"@/a.mp3", "@/b.wav"} << QByteArray("@/a.mp3|@/b.wav\r\n") << false;
    }
    void loadsTheDefaultList() {
        QFETCH(QString, defaultPlf);
        QFETCH(QString, listName);
        QFETCH(QByteArray, listBytes);
        QFETCH(QString, expectedDefault);
        QFETCH(QStringList, tracks);
        QFETCH(QByteArray, afterwards);
        QFETCH(bool, listWritten);
        Fixture f;
        QFile::remove(f.path(settings::kDefaultPlayList));
        const QString music = f.path(QStringLiteral("music"));
        if (!listName.isEmpty())
            f.put(listName, listBytes.replace("@", music.toUtf8()));
        f.put(settings::kDefaultPlf, quoted(defaultPlf.replace("@", f.dir.path())));
        expectedDefault.replace("@", f.dir.path());
        tracks.replaceInStrings("@", music);
        QSignalSpy replaced(&f.list, &PlayList::replaced);

        f.list.loadDefault();
        QCOMPARE(f.list.defaultPath(), expectedDefault);
        QCOMPARE(f.list.realFileName(), expectedDefault);
        QVERIFY(f.list.isDefault());
        QCOMPARE(f.list.tracks(), tracks);
        QCOMPARE(f.list.storedTracks(), tracks);
        QCOMPARE(f.bytes(expectedDefault.mid(f.dir.path().size() + 1)),
                 afterwards.replace("@", music.toUtf8()));
        QCOMPARE(f.fake.files.writes.contains(expectedDefault), listWritten);
        QCOMPARE(f.bytes(settings::kDefaultPlf), quoted(expectedDefault));
        QCOMPARE(f.list.playerPath(), tracks.isEmpty() ? QString() : tracks.last());
        QCOMPARE(replaced.count(), 1);
        QVERIFY(f.fake.dialogs.messages.isEmpty());
    }

    void anUnreadableListIsNeverOverwritten() {
        Fixture f;
        const QString day = f.path(QStringLiteral("PlayListFile/day.PLF"));
        f.put(QStringLiteral("PlayListFile/day.PLF"), quoted(f.bar({"a.mp3"})));
        f.put(settings::kDefaultPlf, quoted(day));
        f.fake.files.unreadable << day;
        f.list.loadDefault();
        QCOMPARE(f.list.fileState(), ReadStatus::Unreadable);
        QCOMPARE(f.list.trackCount(), 0);

        f.commands.add({f.track("b.wav")});
        f.commands.remove(f.track("a.mp3"), QString());
        f.fake.dialogs.answers = {Answer::Yes};
        f.commands.clear(false);
        const QString refused = day + QStringLiteral("无法读取,未作修改!");
        QCOMPARE(f.texts(), QStringList({refused, refused, refused}));
        QCOMPARE(f.fake.dialogs.messages.first().icon, MessageIcon::Warning);
        QVERIFY(!f.fake.files.writes.contains(day));
        QCOMPARE(f.bytes(QStringLiteral("PlayListFile/day.PLF")), quoted(f.bar({"a.mp3"})));
    }

    void theStoredOrderFileChoosesTheOrderAtLoad() {
        Fixture f;
        f.put(settings::kPlayOrder, quoted("2"));
        f.loadWith(quoted(f.bar({"a.mp3", "b.wav", "c.ogg", "d.flac"})));
        QCOMPARE(f.list.order(), PlayOrder::Shuffled);
        const QStringList stored{f.track("a.mp3"), f.track("b.wav"), f.track("c.ogg"), f.track("d.flac")};
        QCOMPARE(f.list.storedTracks(), stored);
        for (int i = 0; i < 4; ++i)
            QVERIFY(f.list.tracks()[i] != stored[i]);

        f.commands.switchOrder();
        QCOMPARE(f.list.order(), PlayOrder::Stored);
        QCOMPARE(f.list.tracks(), stored);
        QCOMPARE(f.bytes(settings::kPlayOrder), quoted("1"));
        f.commands.switchOrder();
        QCOMPARE(f.bytes(settings::kPlayOrder), quoted("2"));
        QCOMPARE(f.list.order(), PlayOrder::Shuffled);
    }

    void addAppendsAndWritesFirst() {
        Fixture f;
        f.loadWith({});
        QSignalSpy changed(&f.list, &PlayList::changed);
        f.commands.add({f.track("a.mp3"), f.track("b.wav")});
        QCOMPARE(f.bytes(QStringLiteral("PlayListFile/day.PLF")), quoted(f.bar({"a.mp3", "b.wav"})));
        f.commands.add({f.track("a.mp3")});
        QCOMPARE(f.bytes(QStringLiteral("PlayListFile/day.PLF")), quoted(f.bar({"a.mp3", "b.wav", "a.mp3"})));
        QCOMPARE(f.list.tracks(), QStringList({f.track("a.mp3"), f.track("b.wav"), f.track("a.mp3")}));
        QCOMPARE(f.list.playerPath(), f.track("a.mp3"));
        QCOMPARE(changed.count(), 2);

        // A disk that refuses the write changes nothing and says so.
        const QString day = f.path(QStringLiteral("PlayListFile/day.PLF"));
        f.fake.files.unwritable << day;
        f.commands.add({f.track("c.ogg")});
        QCOMPARE(f.texts(), QStringList{day + QStringLiteral("无法写入,未作修改!")});
        QCOMPARE(f.fake.dialogs.messages.first().icon, MessageIcon::Error);
        QCOMPARE(f.list.trackCount(), 3);
        QCOMPARE(f.bytes(QStringLiteral("PlayListFile/day.PLF")), quoted(f.bar({"a.mp3", "b.wav", "a.mp3"})));
    }

    void removeTakesEveryCopyOfThePath_data() {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("playing");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("afterwards");
        QTest::addRow("every copy of a track goes, a longer path that begins with it stays")
            << "a.mp3"
            << ""
            << "" << QByteArray("|@/b.wav|@/a.mp3.bak");
        QTest::addRow("the track that sounds cannot go")
            << "b.wav"
            << "b.wav"
            << "不能删除正在播放的曲目!" << QByteArray("|@/a.mp3|@/b.wav|@/a.mp3|@/a.mp3.bak");
        QTest::addRow("nor another copy of it")
            << "a.mp3"
            << "a.mp3"
            << "不能删除正在播放的曲目!" << QByteArray("|@/a.mp3|@/b.wav|@/a.mp3|@/a.mp3.bak");
        QTest::addRow("another track goes while one sounds")
            << "b.wav"
            << "a.mp3"
            << "" << QByteArray("|@/a.mp3|@/a.mp3|@/a.mp3.bak");
        QTest::addRow("nothing selected")
            << ""
            << ""
            << "请选择要删除的曲目" << QByteArray("|@/a.mp3|@/b.wav|@/a.mp3|@/a.mp3.bak");
    }
    void removeTakesEveryCopyOfThePath() {
        QFETCH(QString, selected);
        QFETCH(QString, playing);
        QFETCH(QString, message);
        QFETCH(QByteArray, afterwards);
        Fixture f;
        f.put(QStringLiteral("music/a.mp3.bak"), "x");
        f.loadWith(quoted(f.bar({"a.mp3", "b.wav", "a.mp3", "a.mp3.bak"})));
        auto full = [&](const QString& name) { return name.isEmpty() ? name : f.track(qPrintable(name)); };
        f.commands.remove(full(selected), full(playing));
        QCOMPARE(f.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        const QByteArray music = f.path(QStringLiteral("music")).toUtf8();
        QCOMPARE(f.bytes(QStringLiteral("PlayListFile/day.PLF")),
                 '"' + afterwards.replace("@", music) + "\"\r\n");
        QCOMPARE(f.list.listText().toUtf8(), afterwards);
    }

    void clearEmptiesTheFileOnYesOnly_data() {
        QTest::addColumn<bool>("playing");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("cleared");
        QTest::addRow("yes leaves a file of no bytes")
            << false << Answer::Yes << QStringList{"要全部清空曲目吗?"} << true;
        QTest::addRow("no keeps the list")
            << false << Answer::No << QStringList{"要全部清空曲目吗?"} << false;
        QTest::addRow("not while a track sounds")
            << true << Answer::Yes << QStringList{"系统播放状态,不能清空曲目!"} << false;
    }
    void clearEmptiesTheFileOnYesOnly() {
        QFETCH(bool, playing);
        QFETCH(Answer, answer);
        QFETCH(QStringList, messages);
        QFETCH(bool, cleared);
        Fixture f;
        const QByteArray before = quoted(f.bar({"a.mp3", "b.wav"}));
        f.loadWith(before);
        f.fake.dialogs.answers = {answer};
        f.commands.clear(playing);
        QCOMPARE(f.texts(), messages);
        QCOMPARE(f.bytes(QStringLiteral("PlayListFile/day.PLF")), cleared ? QByteArray() : before);
        QCOMPARE(f.list.trackCount(), cleared ? 0 : 2);
    }

    void openAsksAgainForAMissingFile() {
        Fixture f;
        f.loadWith(quoted(f.bar({"a.mp3"})));
        const QString other = f.path(QStringLiteral("PlayListFile/other.plf"));
        f.put(QStringLiteral("PlayListFile/other.plf"), quoted(f.bar({"b.wav", "gone.mp3", "c.ogg"})));
        QSignalSpy replaced(&f.list, &PlayList::replaced);
        f.fake.dialogs.fileAnswers = {f.path(QStringLiteral("nothing.PLF")), other};

        f.commands.open();
        QCOMPARE(f.fake.dialogs.fileDialogs.size(), 2);
        const FileRequest& asked = f.fake.dialogs.fileDialogs.first().request;
        QCOMPARE(asked.title, QStringLiteral("打开播放列表文件：(*.PLF)"));
        QCOMPARE(asked.folder, f.path(QStringLiteral("PlayListFile")));
        QCOMPARE(asked.filter, QStringLiteral("播放列表文件(*.PLF)|*.plf"));
        QCOMPARE(f.texts(), QStringList{f.path(QStringLiteral("nothing.PLF")) +
                                        QStringLiteral("不存在!请重新选择一个!")});
        QCOMPARE(f.fake.dialogs.messages.first().icon, MessageIcon::Error);
        QCOMPARE(f.list.realFileName(), other);
        QVERIFY(!f.list.isDefault());
        QCOMPARE(f.list.tracks(), QStringList({f.track("b.wav"), f.track("c.ogg")}));
        QCOMPARE(f.bytes(QStringLiteral("PlayListFile/other.plf")), quoted(f.bar({"b.wav", "c.ogg"})));
        QCOMPARE(replaced.count(), 1);

        f.commands.open();  // cancelled
        QCOMPARE(f.list.realFileName(), other);
        QCOMPARE(replaced.count(), 1);
    }

    // 另存 stores the order the list plays in, and from then on that is the file's stored order.
    void saveAsWritesThePlayOrderAndKeepsIt() {
        Fixture f;
        f.put(settings::kPlayOrder, quoted("2"));
        f.loadWith(quoted(f.bar({"a.mp3", "b.wav", "c.ogg"})));
        const QStringList shuffled = f.list.tracks();
        const QString saved = f.path(QStringLiteral("PlayListFile/saved.PLF"));
        f.put(QStringLiteral("PlayListFile/saved.PLF"), "old");
        f.fake.dialogs.fileAnswers = {saved, f.path(QStringLiteral("PlayListFile/saved"))};
        f.fake.dialogs.answers = {Answer::No, Answer::Yes};

        f.commands.saveAs();
        const FileRequest& asked = f.fake.dialogs.fileDialogs.first().request;
        QCOMPARE(asked.title, QStringLiteral("将当前的播音序列存为一个播音列表文件(*.PLF):"));
        QCOMPARE(asked.filter, QStringLiteral("播音列表文件(*.PLF)|*.PLF"));
        const QString question = QStringLiteral("文件：") + saved + QStringLiteral("已存在，要覆盖它吗？");
        QCOMPARE(f.texts(), QStringList({question, question}));
        QCOMPARE(f.list.realFileName(), saved);
        QCOMPARE(f.list.tracks(), shuffled);
        QCOMPARE(f.bytes(QStringLiteral("PlayListFile/saved.PLF")), playlistBytes(shuffled));

        f.commands.switchOrder();  // to the stored order: the saved one
        QCOMPARE(f.list.tracks(), shuffled);
        f.commands.add({f.track("d.flac")});
        QCOMPARE(f.bytes(QStringLiteral("PlayListFile/saved.PLF")),
                 playlistBytes(shuffled + QStringList{f.track("d.flac")}));
    }

    void saveAsRefusesAnEmptyList() {
        Fixture f;
        f.loadWith({});
        f.commands.saveAs();
        QCOMPARE(f.texts(), QStringList{"播音列表为空!"});
        QCOMPARE(f.fake.dialogs.messages.first().icon, MessageIcon::Information);
        QVERIFY(f.fake.dialogs.fileDialogs.isEmpty());
    }

    void createNewWritesAnEmptyQuotedLine() {
        Fixture f;
        f.loadWith(quoted(f.bar({"a.mp3"})));
        f.put(QStringLiteral("PlayListFile/new.PLF"), "old");
        f.fake.dialogs.fileAnswers = {f.path(QStringLiteral("PlayListFile/new"))};
        f.fake.dialogs.answers = {Answer::Yes};
        QSignalSpy replaced(&f.list, &PlayList::replaced);
        f.commands.createNew();
        QCOMPARE(f.fake.dialogs.fileDialogs.first().request.title,
                 QStringLiteral("请输入要创建的播放列表文件名：(*.PLF)"));
        QCOMPARE(f.texts(), QStringList{f.path(QStringLiteral("PlayListFile/new.PLF")) +
                                        QStringLiteral("已存在，要覆盖它吗？")});
        QCOMPARE(f.bytes(QStringLiteral("PlayListFile/new.PLF")), QByteArray("\"\"\r\n"));
        QCOMPARE(f.list.realFileName(), f.path(QStringLiteral("PlayListFile/new.PLF")));
        QCOMPARE(f.list.trackCount(), 0);
        QCOMPARE(replaced.count(), 1);
    }

    void makeDefaultWritesTheSettingsFile() {
        Fixture f;
        f.loadWith(quoted(f.bar({"a.mp3"})));
        const QString other = f.path(QStringLiteral("PlayListFile/other.PLF"));
        f.put(QStringLiteral("PlayListFile/other.PLF"), quoted(f.bar({"b.wav"})));
        f.fake.dialogs.fileAnswers = {other};
        f.commands.open();
        QVERIFY(!f.list.isDefault());

        f.fake.files.unwritable << f.path(settings::kDefaultPlf);
        f.commands.makeDefault();
        QVERIFY(!f.list.isDefault());
        QCOMPARE(f.texts().last(), settings::kDefaultPlf + QStringLiteral("无法写入,未作修改!"));
        f.fake.files.unwritable.clear();

        f.commands.makeDefault();
        QVERIFY(f.list.isDefault());
        QCOMPARE(f.list.defaultPath(), other);
        QCOMPARE(f.bytes(settings::kDefaultPlf), quoted(other));
        QCOMPARE(f.texts().last(),
                 other + QStringLiteral("已被设置为默认的播放列表文件,下次程序启动时它将被调用!"));
        QCOMPARE(f.fake.dialogs.messages.last().icon, MessageIcon::Information);
    }

    void makeDefaultRefusesAPathWithAQuote() {
        Fixture f;
        f.loadWith(quoted(f.bar({"a.mp3"})));
        const QString odd = f.path(QStringLiteral("PlayListFile/say \"hi\".PLF"));
        f.put(QStringLiteral("PlayListFile/say \"hi\".PLF"), quoted(f.bar({"b.wav"})));
        f.fake.dialogs.fileAnswers = {odd};
        f.commands.open();
        const QByteArray before = f.bytes(settings::kDefaultPlf);
        f.commands.makeDefault();
        QVERIFY(!f.list.isDefault());
        QCOMPARE(f.bytes(settings::kDefaultPlf), before);
        QCOMPARE(f.texts().last(), QStringLiteral("文件路径中不能包含 \" 字符：") + odd);
    }

    // DefaultPLF.txt that stands there but cannot be read still holds the operator's choice: the
    // reset's list plays for this run and the file is left as it is.
    void anUnreadableDefaultSettingIsNeverReplaced_data() {
        QTest::addColumn<QString>("kind");
        for (const QString& kind : kOddKinds)
            QTest::addRow("%s", qPrintable(kind)) << kind;
        QTest::addRow("write-only") << QStringLiteral("write-only");
    }
    void anUnreadableDefaultSettingIsNeverReplaced() {
        QFETCH(QString, kind);
        Fixture f;
        const QString setting = f.path(settings::kDefaultPlf);
        if (kind == QStringLiteral("write-only")) {
            // Root reads a mode-0200 file all the same, so the fake refuses it as a user's read would.
            f.put(settings::kDefaultPlf, quoted(f.path(QStringLiteral("PlayListFile/day.PLF"))));
            f.fake.files.unreadable << setting;
        } else {
            QVERIFY(makeOddFile(setting, kind));
        }
        f.list.loadDefault();
        QCOMPARE(f.list.realFileName(), f.path(settings::kDefaultPlayList));
        QVERIFY(!f.fake.files.writes.contains(setting));
        if (kind != QStringLiteral("write-only"))
            QVERIFY(oddFileKept(setting, kind));
    }

    // The schedule runs on under a dialog of the player; a question answered about a list that has
    // since been replaced changes nothing.
    void aCommandWhoseListWasReplacedDuringItsDialogDoesNothing_data() {
        QTest::addColumn<int>("command");
        QTest::addRow("清空") << 0;
        QTest::addRow("打开") << 1;
        QTest::addRow("另存") << 2;
        QTest::addRow("新建") << 3;
    }
    void aCommandWhoseListWasReplacedDuringItsDialogDoesNothing() {
        QFETCH(int, command);
        Fixture f;
        f.loadWith(quoted(f.bar({"a.mp3"})));
        const QString other = f.path(QStringLiteral("PlayListFile/other.PLF"));
        f.put(QStringLiteral("PlayListFile/other.PLF"), quoted(f.bar({"b.wav"})));
        f.put(QStringLiteral("PlayListFile/third.PLF"), quoted(f.bar({"c.ogg"})));
        const QString broadcast = f.path(QStringLiteral("PlayListFile/broadcast.PLF"));
        f.put(QStringLiteral("PlayListFile/broadcast.PLF"), quoted(f.bar({"d.flac"})));
        f.fake.dialogs.answers = {Answer::Yes};
        f.fake.dialogs.fileAnswers = {f.path(QStringLiteral("PlayListFile/third.PLF"))};
        f.fake.dialogs.whileOpen = [&] { f.list.loadForBroadcast(broadcast, PlayOrder::Stored); };
        QSignalSpy dialogsClosed(&f.commands, &PlayListCommands::dialogsClosed);
        switch (command) {
            case 0:
                f.commands.clear(false);
                break;
            case 1:
                f.commands.open();
                break;
            case 2:
                f.commands.saveAs();
                break;
            case 3:
                f.commands.createNew();
                break;
        }
        QCOMPARE(f.list.realFileName(), broadcast);
        QCOMPARE(f.list.tracks(), QStringList{f.track("d.flac")});
        QCOMPARE(f.bytes(QStringLiteral("PlayListFile/broadcast.PLF")), quoted(f.bar({"d.flac"})));
        QCOMPARE(f.bytes(QStringLiteral("PlayListFile/third.PLF")), quoted(f.bar({"c.ogg"})));
        QCOMPARE(f.bytes(QStringLiteral("PlayListFile/day.PLF")), quoted(f.bar({"a.mp3"})));
        QVERIFY(!f.commands.inDialog());
        QCOMPARE(dialogsClosed.count(), 1);
    }

private:
    static QByteArray playlistBytes(const QStringList& tracks) {
        QString text;
        for (const QString& t : tracks)
            text += '|' + t;
        return quoted(text);
    }
};

QTEST_MAIN(PlayListTest)
#include "play_list_test.moc"
