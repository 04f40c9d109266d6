// The list text, the bytes of a .PLF file, which tracks a load keeps, and the random order.

#include <QDir>
#include <QMap>
#include <QTemporaryDir>
#include <QtTest>

#include "fakes/fake_platform.h"
#include "player/play_list_text.h"
#include "player/shuffle.h"

using namespace quel;

class PlayListTextTest : public QObject {
    Q_OBJECT
private slots:
    void splitsTheListText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("tracks");
        QTest::addRow("the empty text is the empty list") << QString() << QStringList();
        QTest::addRow("two tracks") << "|/m/a.mp3|/m/b.wav" << QStringList{"/m/a.mp3", "/m/b.wav"};
        QTest::addRow("text before the first bar is a whole track")
            << "/m/a.mp3|/m/b.wav" << QStringList{"/m/a.mp3", "/m/b.wav"};
        QTest::addRow("a lone track without a bar") << "/m/a.mp3" << QStringList{"/m/a.mp3"};
        QTest::addRow("duplicates stay") << "|/m/a.mp3|/m/a.mp3" << QStringList{"/m/a.mp3", "/m/a.mp3"};
        QTest::addRow("Windows paths and Chinese names stay as written")
            << QStringLiteral("|D:\\MUSIC\\A.MP3|/音乐/课间 操.mp3")
            << QStringList{"D:\\MUSIC\\A.MP3", QStringLiteral("/音乐/课间 操.mp3")};
        QTest::addRow("empty tracks are kept by the split")
            << "|/m/a.mp3||" << QStringList{"/m/a.mp3", "", ""};
    }
    void splitsTheListText() {
        QFETCH(QString, text);
        QFETCH(QStringList, tracks);
        QCOMPARE(playlist::splitTracks(text), tracks);
        if (text.isEmpty() || text.startsWith('|')) {
            QCOMPARE(playlist::joinTracks(tracks), text);
        }
    }

    void readsAndWritesTheFileBytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("tracks");
        QTest::addColumn<QByteArray>("written");
        QTest::addRow("two tracks, byte for byte")
            << QByteArray("\"|/m/a.mp3|/m/b.wav\"\r\n") << QStringList{"/m/a.mp3", "/m/b.wav"}
            << QByteArray("\"|/m/a.mp3|/m/b.wav\"\r\n");
        QTest::addRow("a new list") << QByteArray("\"\"\r\n") << QStringList() << QByteArray("\"\"\r\n");
        QTest::addRow("a cleared list has no bytes")
            << QByteArray() << QStringList() << QByteArray("\"\"\r\n");
        QTest::addRow("a file without its closing quote ends with its line")
            << QByteArray("\"|/m/a.mp3\r\n") << QStringList{"/m/a.mp3"} << QByteArray("\"|/m/a.mp3\"\r\n");
        QTest::addRow("an unquoted line runs to the comma")
            << QByteArray("|/m/a.mp3,more\r\n") << QStringList{"/m/a.mp3"} << QByteArray("\"|/m/a.mp3\"\r\n");
        QTest::addRow("GB18030 from the Windows version is read and written as UTF-8")
            << QByteArray("\"|D:\\\xd2\xf4\xc0\xd6\\\xc9\xcf\xbf\xce.mp3\"\r\n")
            << QStringList{QStringLiteral("D:\\音乐\\上课.mp3")}
            << QStringLiteral("\"|D:\\音乐\\上课.mp3\"\r\n").toUtf8();
    }
    void readsAndWritesTheFileBytes() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, tracks);
        QFETCH(QByteArray, written);
        QCOMPARE(playlist::splitTracks(playlist::listTextFromBytes(bytes)), tracks);
        QCOMPARE(playlist::listFileBytes(tracks), written);
    }

    void refusesPathsThatWouldCorruptTheFile_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("fits");
        QTest::addRow("an ordinary path") << QStringLiteral("/音乐/a b#.mp3") << true;
        QTest::addRow("a bar would split it") << "/m/a|b.mp3" << false;
        QTest::addRow("a quote would end the file") << "/m/\"live\".mp3" << false;
        QTest::addRow("an empty path names nothing") << "" << false;
    }
    void refusesPathsThatWouldCorruptTheFile() {
        QFETCH(QString, path);
        QFETCH(bool, fits);
        QCOMPARE(playlist::fitsInList(path), fits);
    }

    void keepsTracksThatCannotBeChecked_data() {
        QTest::addColumn<QStringList>("tracks");
        QTest::addColumn<QStringList>("kept");
        QTest::addRow("present files stay")
            << QStringList{"@/a.wav", "@/b.wav"} << QStringList{"@/a.wav", "@/b.wav"};
        QTest::addRow("a file deleted from a present folder goes, every copy of it")
            << QStringList{"@/a.wav", "@/gone.wav", "@/b.wav", "@/gone.wav"}
            << QStringList{"@/a.wav", "@/b.wav"};
        QTest::addRow("a path that merely begins with a deleted one stays")
            << QStringList{"@/a.wav", "@/a.wav.bak/x"} << QStringList{"@/a.wav", "@/a.wav.bak/x"};
        QTest::addRow("an unplugged stick's tracks stay")
            << QStringList{"/media/stick-that-is-not-here/a.mp3"}
            << QStringList{"/media/stick-that-is-not-here/a.mp3"};
        QTest::addRow("Windows paths and relative paths stay")
            << QStringList{"D:\\MUSIC\\A.MP3", "music/a.mp3"}
            << QStringList{"D:\\MUSIC\\A.MP3", "music/a.mp3"};
        QTest::addRow("a folder named as a track goes")
            << QStringList{"@/sub", "@/a.wav"} << QStringList{"@/a.wav"};
        QTest::addRow("empty tracks go") << QStringList{"", "@/a.wav", ""} << QStringList{"@/a.wav"};
        QTest::addRow("a link to a file stays, and so does one whose file is on absent media")
            << QStringList{"@/to-a.wav", "@/to-stick.wav"} << QStringList{"@/to-a.wav", "@/to-stick.wav"};
        QTest::addRow("a link to a folder goes") << QStringList{"@/to-sub"} << QStringList{};
        QTest::addRow("a folder reached through .. is looked in like any other")
            << QStringList{"@/sub/../a.wav", "@/sub/../gone.wav", "@/sub/../b.wav"}
            << QStringList{"@/sub/../a.wav", "@/sub/../b.wav"};
        QTest::addRow("a track ending in a slash names its folder and goes")
            << QStringList{"@/sub/", "@/a.wav"} << QStringList{"@/a.wav"};
        QTest::addRow("a missing folder's run of tracks stays")
            << QStringList{"@/nowhere/a.wav", "@/nowhere/b.wav", "@/a.wav"}
            << QStringList{"@/nowhere/a.wav", "@/nowhere/b.wav", "@/a.wav"};
    }
    void keepsTracksThatCannotBeChecked() {
        QFETCH(QStringList, tracks);
        QFETCH(QStringList, kept);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("sub"));
        DiskFiles disk;
        QVERIFY(disk.write(dir.filePath("a.wav"), "x"));
        QVERIFY(disk.write(dir.filePath("b.wav"), "x"));
        QVERIFY(QFile::link(dir.filePath("a.wav"), dir.filePath("to-a.wav")));
        QVERIFY(
            QFile::link(QStringLiteral("/media/stick-that-is-not-here/a.mp3"), dir.filePath("to-stick.wav")));
        QVERIFY(QFile::link(dir.filePath("sub"), dir.filePath("to-sub")));
        tracks.replaceInStrings("@", dir.path());
        kept.replaceInStrings("@", dir.path());
        QCOMPARE(playlist::keptTracks(tracks, disk), kept);
    }

    void shuffleLeavesShortListsAndReversesTwo_data() {
        QTest::addColumn<QStringList>("tracks");
        QTest::addColumn<QStringList>("shuffled");
        QTest::addRow("no tracks") << QStringList() << QStringList();
        QTest::addRow("one track") << QStringList{"a"} << QStringList{"a"};
        QTest::addRow("two tracks always swap") << QStringList{"a", "b"} << QStringList{"b", "a"};
    }
    void shuffleLeavesShortListsAndReversesTwo() {
        QFETCH(QStringList, tracks);
        QFETCH(QStringList, shuffled);
        Shuffler shuffler;
        for (int run = 0; run < 50; ++run) {
            QStringList t = tracks;
            shuffler.shuffle(t);
            QCOMPARE(t, shuffled);
        }
    }

    // Every order is a permutation with no track in its stored place.
    void shuffleMovesEveryTrack() {
        Shuffler shuffler;
        for (int n = 3; n <= 40; ++n) {
            QStringList tracks;
            for (int i = 0; i < n; ++i)
                tracks << QString::number(i);
            for (int run = 0; run < 20; ++run) {
                QStringList t = tracks;
                shuffler.shuffle(t);
                QStringList sorted = t;
                std::sort(sorted.begin(), sorted.end(),
                          [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
                QCOMPARE(sorted, tracks);
                for (int i = 0; i < n; ++i)
                    QVERIFY2(t[i] != tracks[i], qPrintable(QStringLiteral("n=%1 i=%2").arg(n).arg(i)));
            }
        }
    }

    // Four tracks have six single cycles; each must come up as often as the others.
    void shuffleGivesEveryCycleEqually() {
        constexpr int kRuns = 24000;
        constexpr int kExpected = kRuns / 6;
        constexpr int kSlack = 300;
        Shuffler shuffler;
        QMap<QString, int> seen;
        for (int run = 0; run < kRuns; ++run) {
            QStringList t{"a", "b", "c", "d"};
            shuffler.shuffle(t);
            ++seen[t.join(QString())];
        }
        QCOMPARE(seen.size(), 6);
        for (auto it = seen.cbegin(); it != seen.cend(); ++it) {
            QVERIFY2(qAbs(it.value() - kExpected) <= kSlack,
                     qPrintable(it.key() + ": " + QString::number(it.value())));
        }
    }

    // Two shuffles in quick succession, and two shufflers made at once, give different orders.
    void shufflesInARowDiffer() {
        QStringList tracks;
        for (int i = 0; i < 20; ++i)
            tracks << QString::number(i);
        Shuffler shuffler;
        QStringList first = tracks;
        QStringList second = tracks;
        shuffler.shuffle(first);
        shuffler.shuffle(second);
        QVERIFY(first != second);
        Shuffler a;
        Shuffler b;
        QStringList fromA = tracks;
        QStringList fromB = tracks;
        a.shuffle(fromA);
        b.shuffle(fromB);
        QVERIFY(fromA != fromB);
    }
};

QTEST_GUILESS_MAIN(PlayListTextTest)
#include "play_list_text_test.moc"
