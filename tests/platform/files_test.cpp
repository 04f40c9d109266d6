#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>

#include <sys/stat.h>

#include "fakes/odd_files.h"
#include "fakes/unprivileged.h"
#include "platform/files.h"
#include "platform/program_folder.h"

using namespace quel;

class FilesTest : public QObject {
    Q_OBJECT
private slots:
    void firstField_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("field");
        QTest::addRow("a quoted value loses its quotes") << "\"开60\"\r\n" << QStringLiteral("开60");
        QTest::addRow("a bare number runs to the line end") << "1000\r\n"
                                                            << "1000";
        QTest::addRow("leading blanks are skipped") << "   \"show\"\r\n"
                                                    << "show";
        QTest::addRow("a bare field stops at a comma") << "12,34\r\n"
                                                       << "12";
        QTest::addRow("a quoted field keeps its commas") << "\"C:\\a,b\\x.DTT\",junk"
                                                         << "C:\\a,b\\x.DTT";
        QTest::addRow("only the first line counts") << "\"one\"\r\n\"two\"\r\n"
                                                    << "one";
        QTest::addRow("an unclosed quote runs to the end") << "\"open"
                                                           << "open";
        QTest::addRow("an unclosed quote ends with its line") << "\"/a/timeup.mp3\r\n"
                                                              << "/a/timeup.mp3";
        QTest::addRow("an empty quoted value") << "\"\"\r\n"
                                               << "";
        QTest::addRow("an empty file") << ""
                                       << "";
        QTest::addRow("a quote after text is kept as text") << "ab\"c\"\r\n"
                                                            << "ab\"c\"";
    }
    void firstField() {
        QFETCH(QString, text);
        QFETCH(QString, field);
        QCOMPARE(fileformat::firstField(text), field);
    }

    void numbers_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("value");  // -99999 for none
        QTest::addRow("a whole number") << "1000" << 1000;
        QTest::addRow("a negative one") << "-5" << -5;
        QTest::addRow("text is no number") << "abc" << -99999;
        QTest::addRow("empty is no number") << "" << -99999;
        QTest::addRow("beyond 16 bits is no number") << "40000" << -99999;
        QTest::addRow("a fraction is no whole number") << "1.5" << -99999;
    }
    void numbers() {
        QFETCH(QString, field);
        QFETCH(int, value);
        const auto n = fileformat::toNumber(field);
        QCOMPARE(n ? int(*n) : -99999, value);
    }

    void decodesUtf8AndGb18030_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        const QString table = QStringLiteral("\"|8:00:00*没有注释>每天<校时|9:00:00*早操>星期一<校时\"");
        const QByteArray gb = QStringEncoder("GB18030").encode(table);
        const QByteArray utf8 = table.toUtf8();
        const qsizetype comment = utf8.indexOf("*") + 1;
        const QString withStray = QString(table).insert(table.indexOf(QLatin1Char('*')) + 1, QChar(0xFFFD));
        QTest::addRow("UTF-8") << utf8 << table;
        QTest::addRow("GB18030 from the Windows version") << gb << table;
        QTest::addRow("one stray byte in a UTF-8 comment costs one character")
            << QByteArray(utf8).insert(comment, '\xFF') << withStray;
        QTest::addRow("a stray 0x80 likewise") << QByteArray(utf8).insert(comment, '\x80') << withStray;
        QTest::addRow("one stray byte in a GB18030 comment costs one character")
            << QByteArray(gb).insert(gb.indexOf("*") + 1, '\xFF') << withStray;
        // Six UTF-8 bytes of 关关 are also three valid GB18030 pairs; with one invalid sequence either
        // way, UTF-8 is taken.
        QTest::addRow("a tie reads as UTF-8")
            << QByteArray("\xE5\x85\xB3\xE5\x85\xB3\xFF") << QStringLiteral("关关") + QChar(0xFFFD);
        QTest::addRow("a broken-off UTF-8 character at the end")
            << QByteArray(utf8).append("\xE5\x85") << table + QString(2, QChar(0xFFFD));
        QTest::addRow("nothing") << QByteArray() << QString();
    }
    void decodesUtf8AndGb18030() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(fileformat::decode(bytes), text);
    }

    void writesOneQuotedLineWithCrLf() {
        QCOMPARE(fileformat::quotedLine(QStringLiteral("关")), QByteArray("\"\xE5\x85\xB3\"\r\n"));
        QCOMPARE(fileformat::numberLine(1000), QByteArray("1000\r\n"));
    }

    void readsAndWritesWholeFiles() {
        QTemporaryDir dir;
        DiskFiles files;
        const QString path = dir.filePath(QStringLiteral("Toll.txt"));
        QVERIFY(!files.read(path));
        QCOMPARE(files.readField(path), QString());
        QVERIFY(files.writeText(path, QStringLiteral("开/x/toll/A/A")));
        QCOMPARE(files.readField(path), QStringLiteral("开/x/toll/A/A"));
        // The write leaves no temporary file behind.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Toll.txt")});
    }

    void readsOnlyRegularFilesUpToTheCap_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<qint64>("cap");
        QTest::addColumn<ReadStatus>("status");
        const qint64 settings = Files::kSettingsCap;
        QTest::addRow("a file") << "a file" << settings << ReadStatus::Read;
        QTest::addRow("nothing") << "nothing" << settings << ReadStatus::Missing;
        QTest::addRow("nothing in a missing folder") << "missing folder" << settings << ReadStatus::Missing;
        for (const QString& kind : fakes::kOddKinds)
            QTest::addRow("%s", qPrintable(kind)) << kind << settings << ReadStatus::Unreadable;
        QTest::addRow("a long table within its own cap")
            << fakes::kOddKinds[4] << Files::kDocumentCap << ReadStatus::Read;
        QTest::addRow("no read permission") << "no permission" << settings << ReadStatus::Unreadable;
    }
    void readsOnlyRegularFilesUpToTheCap() {
        QFETCH(QString, kind);
        QFETCH(qint64, cap);
        QFETCH(ReadStatus, status);
        if (kind == "no permission")
            QUEL_AS_UNPRIVILEGED_USER();
        QTemporaryDir dir;
        DiskFiles files;
        QString path = dir.filePath(QStringLiteral("Toll.txt"));
        if (kind == "a file" || kind == "no permission")
            QVERIFY(files.write(path, "\"x\"\r\n"));
        else if (kind == "missing folder")
            path = dir.filePath(QStringLiteral("gone/Toll.txt"));
        else if (kind != "nothing")
            QVERIFY(fakes::makeOddFile(path, kind));
        if (kind == "no permission") {
            QFile::setPermissions(path, QFile::WriteOwner);
            QVERIFY(!QFile(path).open(QIODevice::ReadOnly));
        }
        const ReadResult result = files.readFile(path, cap);
        QCOMPARE(result.status, status);
        QCOMPARE(files.exists(path), status != ReadStatus::Missing);
        QCOMPARE(files.read(path, cap).has_value(), status == ReadStatus::Read);
        if (status != ReadStatus::Read)
            QVERIFY(result.bytes.isEmpty());
        if (kind == "a file")
            QCOMPARE(files.readField(path), QStringLiteral("x"));
    }

    void aFailedWriteKeepsTheOldFile() {
        QUEL_AS_UNPRIVILEGED_USER();
        QTemporaryDir dir;
        DiskFiles files;
        const QString path = dir.filePath(QStringLiteral("show.txt"));
        QVERIFY(files.writeText(path, QStringLiteral("show")));
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        const bool wrote = files.writeText(path, QStringLiteral("hide"));
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!wrote);
        QCOMPARE(files.readField(path), QStringLiteral("show"));
    }

    void findsFixedNamesInAnyCase() {
        QTemporaryDir dir;
        QFile f(dir.filePath(QStringLiteral("USERWAV.TXT")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QCOMPARE(nameInFolder(dir.path(), QStringLiteral("Userwav.txt")),
                 dir.filePath(QStringLiteral("USERWAV.TXT")));
        QCOMPARE(nameInFolder(dir.path(), QStringLiteral("Toll.txt")),
                 dir.filePath(QStringLiteral("Toll.txt")));
        QCOMPARE(fileNamePart(QStringLiteral("/a/b/Default.DTT")), QStringLiteral("Default.DTT"));
        QVERIFY(!samePath(QStringLiteral("/a/X.DTT"), QStringLiteral("/a/x.dtt")));
    }

    void pathsInTheProgramFolderAreFoundInAnyCase_data() {
        QTest::addColumn<QString>("path");  // %P stands for the program folder
        QTest::addColumn<QString>("found");
        QTest::addRow("as written") << "%P/toll/A/A1.WAV"
                                    << "%P/toll/A/A1.WAV";
        QTest::addRow("a folder in capitals") << "%P/TOLL/A/A1.WAV"
                                              << "%P/toll/A/A1.WAV";
        QTest::addRow("every part in another case") << "%P/Toll/a/a1.wav"
                                                    << "%P/toll/A/A1.WAV";
        QTest::addRow("a file in capitals") << "%P/TIMEUP.MP3"
                                            << "%P/timeup.mp3";
        QTest::addRow("doubled separators") << "%P//TOLL//A/A1.WAV"
                                            << "%P/toll/A/A1.WAV";
        QTest::addRow("nothing in any case keeps its text") << "%P/TOLL/A/A13.WAV"
                                                            << "%P/TOLL/A/A13.WAV";
        QTest::addRow("outside the program folder keeps its text") << "/NOWHERE/toll/A/A1.WAV"
                                                                   << "/NOWHERE/toll/A/A1.WAV";
        QTest::addRow("a folder that only begins like the program folder") << "%Px/TIMEUP.MP3"
                                                                           << "%Px/TIMEUP.MP3";
        QTest::addRow("empty") << ""
                               << "";
    }
    void pathsInTheProgramFolderAreFoundInAnyCase() {
        QFETCH(QString, path);
        QFETCH(QString, found);
        QTemporaryDir home;
        QDir(home.path()).mkpath(QStringLiteral("toll/A"));
        for (const char* name : {"toll/A/A1.WAV", "timeup.mp3"})
            QVERIFY(QFile(home.filePath(QString::fromLatin1(name))).open(QIODevice::WriteOnly));
        QCOMPARE(resolveInFolder(home.path(), path.replace("%P", home.path())),
                 found.replace("%P", home.path()));
    }

    // Looking many paths up at once must answer exactly as looking each up alone, whichever way the
    // folder is read: name by name in a short run, from its listing in a long one, and name by name
    // again when the listing would be far longer than the run.
    void kindsOfManyPathsAnswerAsEachAlone_data() {
        QTest::addColumn<int>("tracks");
        QTest::addColumn<int>("others");
        QTest::addRow("a short run") << 2 << 0;
        QTest::addRow("a long run") << 40 << 0;
        QTest::addRow("a long run in a huge folder") << 40 << 1000;
    }
    void kindsOfManyPathsAnswerAsEachAlone() {
        QFETCH(int, tracks);
        QFETCH(int, others);
        QTemporaryDir dir;
        const QString f = dir.path() + QStringLiteral("/曲 目");
        QVERIFY(QDir().mkpath(f + "/sub"));
        DiskFiles disk;
        for (int i = 0; i < others; ++i)
            QVERIFY(disk.write(f + QStringLiteral("/other%1").arg(i), {}));
        QStringList paths;
        for (int i = 0; i < tracks; ++i) {
            paths << f + QStringLiteral("/%1.mp3").arg(i);
            if (i % 3 != 0)  // every third is gone
                QVERIFY(disk.write(paths.last(), {}));
        }
        QVERIFY(QFile::link(f + "/1.mp3", f + "/to-file"));
        QVERIFY(QFile::link(f + "/sub", f + "/to-sub"));
        QVERIFY(QFile::link(f + "/nowhere", f + "/dangling"));
        QCOMPARE(::mkfifo(QFile::encodeName(f + "/fifo").constData(), 0600), 0);
        paths << f + "/sub" << f + "/to-file" << f + "/to-sub" << f + "/dangling" << f + "/fifo"
              << f + "/sub/" << f + "/missing/a.mp3" << f + "/missing/b.mp3" << f + "/sub/../1.mp3"
              << "relative.mp3"
              << "/";
        QList<Files::Kind> alone;
        for (const QString& path : paths)
            alone << disk.kind(path);
        QCOMPARE(disk.kinds(paths), alone);
        QVERIFY(alone.contains(Files::Kind::Nothing) && alone.contains(Files::Kind::Folder));
    }

    void programFolderChoice() {
        QTemporaryDir exe;
        ProgramFolderInputs in{QString(), exe.path(), QStringLiteral("/home/u/.local/share/quelbrook")};
        QCOMPARE(chooseProgramFolder(in), in.userDataDir);  // the executable's folder holds no data
        for (const QString& name : installed::all()) {
            if (name.contains(QLatin1Char('.')))
                QFile(exe.filePath(name)).open(QIODevice::WriteOnly);
            else
                QDir(exe.path()).mkdir(name);
        }
        QCOMPARE(chooseProgramFolder(in), exe.path());
        in.homeOverride = QStringLiteral("/srv/bells/");
        QCOMPARE(chooseProgramFolder(in), QStringLiteral("/srv/bells"));
    }

    void strayTempFilesOfTheProgramsOwnFilesGo_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("removed");
        QTest::addRow("beside a settings file") << "Toll.txt.aBcDeF" << true;
        QTest::addRow("beside a settings file of another case") << "USERWAV.TXT.QwErTy" << true;
        QTest::addRow("beside the spoken-time hand-over") << "SayTimeFile.txt.xYzAbC" << true;
        QTest::addRow("beside the radio's input") << "RadioSource.txt.gHaBcD" << true;
        QTest::addRow("beside the hold against sleep") << "KeepAwake.txt.tUvWxY" << true;
        QTest::addRow("beside ringing on the system second") << "OnTheSecond.txt.pQrStU" << true;
        QTest::addRow("beside a table") << "DayTimeTable/Default.DTT.mNoPqR" << true;
        QTest::addRow("beside a table of any name") << "DayTimeTable/秋季.dtt.ZzYyXx" << true;
        QTest::addRow("beside a play list") << "PlayListFile/Default.PLF.hIjKlM" << true;
        QTest::addRow("a copy named with a word") << "Toll.txt.backup" << false;
        QTest::addRow("a copy named with a capitalised word") << "DayTimeTable/Default.DTT.Summer" << false;
        QTest::addRow("a copy named in capitals") << "DayTimeTable/Default.DTT.WINTER" << false;
        QTest::addRow("five letters") << "Toll.txt.aBcDe" << false;
        QTest::addRow("seven letters") << "Toll.txt.aBcDeFg" << false;
        QTest::addRow("a digit") << "Toll.txt.aB3DeF" << false;
        QTest::addRow("beside a file that is not the program's") << "notes.txt.aBcDeF" << false;
        QTest::addRow("a settings name in the tables folder") << "DayTimeTable/Toll.txt.aBcDeF" << false;
        QTest::addRow("a table in the play lists folder") << "PlayListFile/a.DTT.aBcDeF" << false;
        QTest::addRow("beside a sound") << "toll/A/A1.WAV.aBcDeF" << false;
        QTest::addRow("the suffix alone") << "DayTimeTable/.DTT.aBcDeF" << false;
    }
    void strayTempFilesOfTheProgramsOwnFilesGo() {
        QFETCH(QString, name);
        QFETCH(bool, removed);
        QTemporaryDir home;
        for (const char* sub : {"DayTimeTable", "PlayListFile", "toll/A"})
            QDir(home.path()).mkpath(QString::fromLatin1(sub));
        const QString stray = home.filePath(name);
        const QString kept = home.filePath(name.left(name.lastIndexOf(QLatin1Char('.'))));
        for (const QString& path : {stray, kept}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QCOMPARE(removeStrayTempFiles(home.path()), removed ? QStringList{stray} : QStringList{});
        QCOMPARE(QFile::exists(stray), !removed);
        QVERIFY(QFile::exists(kept));
    }

    // The stray names above follow the scheme Qt's temporary files use; a Qt that changed it would
    // leave strays behind unnoticed.
    void qtNamesItsTemporaryFilesAsTheCleanUpExpects() {
        QTemporaryDir home;
        const QRegularExpression scheme(QStringLiteral("^Toll\\.txt\\.[A-Za-z]{6}$"));
        for (int i = 0; i < 20; ++i) {
            QTemporaryFile file(home.filePath(QStringLiteral("Toll.txt")));
            QVERIFY(file.open());
            const QString name = QFileInfo(file.fileName()).fileName();
            QVERIFY2(scheme.match(name).hasMatch(), qPrintable(name));
        }
    }

    void fillingAProgramFolderKeepsWhatIsThere() {
        QTemporaryDir data;
        QDir(data.path()).mkpath(QStringLiteral("toll/A"));
        QDir(data.path()).mkpath(QStringLiteral("SayTimeWav/M"));
        QDir(data.path()).mkpath(QStringLiteral("DayTimeTable"));
        DiskFiles files;
        files.write(data.filePath(QStringLiteral("toll/A/A1.WAV")), "bell");
        files.write(data.filePath(QStringLiteral("timeup.mp3")), "ring");
        QTemporaryDir home;
        files.write(home.filePath(QStringLiteral("TIMEUP.MP3")), "mine");
        const QString folder = home.filePath(QStringLiteral("new/folder"));
        QVERIFY(!fillProgramFolder(folder, data.path() + QStringLiteral("/missing")));
        QVERIFY(fillProgramFolder(folder, data.path()));
        QCOMPARE(*files.read(folder + QStringLiteral("/toll/A/A1.WAV")), QByteArray("bell"));
        QVERIFY(QFileInfo(folder + QStringLiteral("/PlayListFile")).isDir());
        QVERIFY(QFileInfo(folder + QStringLiteral("/SayTimeWav/M")).isDir());
        // An existing file in another letter case counts as present and is not replaced.
        QVERIFY(fillProgramFolder(home.path(), data.path()));
        QCOMPARE(*files.read(home.filePath(QStringLiteral("TIMEUP.MP3"))), QByteArray("mine"));
        QVERIFY(!QFile::exists(home.filePath(QStringLiteral("timeup.mp3"))));
    }
};

QTEST_GUILESS_MAIN(FilesTest)
#include "files_test.moc"
