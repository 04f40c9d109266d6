#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/process_launcher.h"
#include "platform/short_turns.h"

using quel::Command;
using quel::ProcessLauncher;

namespace {

constexpr int kMarkerTimeoutMs = 10000;

// Processes whose parent is this test, zombies included.
QList<int> childrenOfThisProcess() {
    QList<int> children;
    const QString self = QString::number(getpid());
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool isPid = false;
        const int pid = entry.toInt(&isPid);
        if (!isPid)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        // pid (comm) state ppid ...; comm may hold blanks and parentheses, so count from the last ')'.
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields.at(1) == self.toLatin1())
            children << pid;
    }
    return children;
}

bool writeFile(const QString& path, const QByteArray& content, QFile::Permissions permissions) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return false;
    file.close();
    return file.setPermissions(permissions);
}

constexpr QFile::Permissions kExecutable =
    QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup;
constexpr QFile::Permissions kNotExecutable = QFile::ReadOwner | QFile::WriteOwner;

// The descriptors of `ls -l /proc/PID/fd`: number -> target.
QMap<int, QString> parseFdListing(const QByteArray& listing) {
    QMap<int, QString> fds;
    for (const QByteArray& line : listing.split('\n')) {
        const int arrow = line.indexOf(" -> ");
        if (arrow < 0)
            continue;
        const QByteArray left = line.left(arrow);
        const int fd = left.mid(left.lastIndexOf(' ') + 1).toInt();
        fds.insert(fd, QString::fromUtf8(line.mid(arrow + 4)));
    }
    return fds;
}

}  // namespace

class LauncherTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void splitsLikeAWindowsCommandLine_data();
    void splitsLikeAWindowsCommandLine();
    void aQuotedWordSplitsBackWhole_data();
    void aQuotedWordSplitsBackWhole();
    void takesAnExistingPathWholeAndSplitsTheRest_data();
    void takesAnExistingPathWholeAndSplitsTheRest();
    void startedProgramSeesItsArgumentsAndNoneOfOurDescriptors_data();
    void startedProgramSeesItsArgumentsAndNoneOfOurDescriptors();
    void startsAProgramFoundOnThePath();
    void reportsWhatCannotBeStartedAndLeavesNoChild_data();
    void reportsWhatCannotBeStartedAndLeavesNoChild();
    void keepsInheritedShortTurnsOnlyUntilItRuns_data();
    void keepsInheritedShortTurnsOnlyUntilItRuns();

private:
    QString resolved(QString text) const { return text.replace(QStringLiteral("{dir}"), dir_.path()); }

    QTemporaryDir dir_;
    QString tool_;  // an executable file in a folder whose name has a blank
};

void LauncherTest::initTestCase() {
    QVERIFY(dir_.isValid());
    QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("my tools")));
    tool_ = dir_.filePath(QStringLiteral("my tools/run me.sh"));
    QVERIFY(writeFile(tool_, "#!/bin/sh\nexit 0\n", kExecutable));
    QVERIFY(childrenOfThisProcess().isEmpty());
}

void LauncherTest::splitsLikeAWindowsCommandLine_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("words");
    QTest::addRow("words are separated by blanks") << "a b c" << QStringList{"a", "b", "c"};
    QTest::addRow("runs of blanks and tabs are one separator") << "a   b\t\tc" << QStringList{"a", "b", "c"};
    QTest::addRow("leading and trailing blanks are dropped") << "  a b  " << QStringList{"a", "b"};
    QTest::addRow("an empty line has no words") << "" << QStringList{};
    QTest::addRow("a line of blanks has no words") << "   \t " << QStringList{};
    QTest::addRow("quotes group blanks into one word") << R"("a  b" c)" << QStringList{"a  b", "c"};
    QTest::addRow("a quote pair inside a word joins it") << R"(a"b c"d)" << QStringList{"ab cd"};
    QTest::addRow("an empty quote pair is an empty word") << R"(a "" b)" << QStringList{"a", "", "b"};
    QTest::addRow("an unclosed quote runs to the end") << R"(a "b  c)" << QStringList{"a", "b  c"};
    QTest::addRow("doubled quotes inside quotes are a literal quote")
        << R"("say ""hi""" x)" << QStringList{R"(say "hi")", "x"};
    QTest::addRow("backslashes not before a quote are kept") << R"(a\b\\c)" << QStringList{R"(a\b\\c)"};
    QTest::addRow("a backslash before a quote makes it literal") << R"(a\"b c)" << QStringList{R"(a"b)", "c"};
    QTest::addRow("an even run of backslashes halves and the quote still groups")
        << R"("a\\" b)" << QStringList{R"(a\)", "b"};
    QTest::addRow("single quotes group blanks into one word") << "'a  b' c" << QStringList{"a  b", "c"};
    QTest::addRow("a shell command in single quotes stays one word")
        << "/bin/sh -c 'date > f'" << QStringList{"/bin/sh", "-c", "date > f"};
    QTest::addRow("a single-quote pair inside a word joins it") << "a'b c'd" << QStringList{"ab cd"};
    QTest::addRow("an empty single-quote pair is an empty word") << "a '' b" << QStringList{"a", "", "b"};
    QTest::addRow("within single quotes double quotes and backslashes are plain")
        << R"('say "hi" \' x)" << QStringList{R"(say "hi" \)", "x"};
    QTest::addRow("within double quotes a single quote is plain")
        << R"("it's here" x)" << QStringList{"it's here", "x"};
    QTest::addRow("a single quote without a partner is an apostrophe")
        << "/home/bob's/run.sh now" << QStringList{"/home/bob's/run.sh", "now"};
    QTest::addRow("Chinese text passes unchanged") << QStringLiteral("/opt/工具/备份.sh 每日 “全部”")
                                                   << QStringList{"/opt/工具/备份.sh", "每日", "“全部”"};
}

void LauncherTest::splitsLikeAWindowsCommandLine() {
    QFETCH(QString, line);
    QFETCH(QStringList, words);
    QCOMPARE(quel::splitCommandLine(line), words);
}

void LauncherTest::aQuotedWordSplitsBackWhole_data() {
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("quoted");
    QTest::addRow("a word without blanks stays bare") << "/usr/bin/touch"
                                                      << "/usr/bin/touch";
    QTest::addRow("a path with blanks is put in single quotes")
        << QStringLiteral("/home/张/my tools/run me.sh") << QStringLiteral("'/home/张/my tools/run me.sh'");
    QTest::addRow("a tab counts as a blank") << "a\tb"
                                             << "'a\tb'";
    QTest::addRow("a double quote inside is kept literally") << R"(a "b)"
                                                             << R"('a "b')";
}

void LauncherTest::aQuotedWordSplitsBackWhole() {
    QFETCH(QString, word);
    QFETCH(QString, quoted);
    QCOMPARE(quel::quoteCommandWord(word), quoted);
    QCOMPARE(quel::splitCommandLine(quoted + QStringLiteral(" -v")), QStringList({word, "-v"}));
}

void LauncherTest::takesAnExistingPathWholeAndSplitsTheRest_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addRow("a path with blanks that names a file is taken whole")
        << "{dir}/my tools/run me.sh"
        << "{dir}/my tools/run me.sh" << QStringList{};
    QTest::addRow("a quoted path with blanks is split from its arguments")
        << R"("{dir}/my tools/run me.sh" -v "a b")"
        << "{dir}/my tools/run me.sh" << QStringList{"-v", "a b"};
    QTest::addRow("an unquoted path with blanks and arguments splits at every blank")
        << "{dir}/my tools/run me.sh -v"
        << "{dir}/my" << QStringList{"tools/run", "me.sh", "-v"};
    QTest::addRow("a single-quoted path with blanks is split from its arguments")
        << "'{dir}/my tools/run me.sh' -v 'a b'"
        << "{dir}/my tools/run me.sh" << QStringList{"-v", "a b"};
    QTest::addRow("a folder is not taken whole") << "{dir}/my tools"
                                                 << "{dir}/my" << QStringList{"tools"};
    QTest::addRow("only blanks give no program") << "   "
                                                 << "" << QStringList{};
}

void LauncherTest::takesAnExistingPathWholeAndSplitsTheRest() {
    QFETCH(QString, line);
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    const Command command = quel::parseCommandLine(resolved(line));
    QCOMPARE(command.program, resolved(program));
    QStringList expected;
    for (const QString& argument : arguments)
        expected << resolved(argument);
    QCOMPARE(command.arguments, expected);
}

void LauncherTest::startedProgramSeesItsArgumentsAndNoneOfOurDescriptors_data() {
    QTest::addColumn<QString>("arguments");  // after the quoted script path; empty: the bare path
    QTest::addColumn<QStringList>("seen");
    QTest::addRow("the bare path with blanks, no arguments") << QString() << QStringList{};
    QTest::addRow("quoted words, a quote pair inside a word and an empty word")
        << R"(one "two  words" a"b c"d "" 终)"
        << QStringList{"[one]", "[two  words]", "[ab cd]", "[]", "[终]"};
    QTest::addRow("single-quoted words, as a table can store them")
        << "'two  words' x'y > z'w ''" << QStringList{"[two  words]", "[xy > zw]", "[]"};
}

void LauncherTest::startedProgramSeesItsArgumentsAndNoneOfOurDescriptors() {
    QFETCH(QString, arguments);
    QFETCH(QStringList, seen);

    QTemporaryDir work;
    QVERIFY(work.isValid());
    QVERIFY(QDir(work.path()).mkpath(QStringLiteral("my tools")));
    const QString folder = work.filePath(QStringLiteral("my tools"));
    const QString script = folder + QStringLiteral("/record args.sh");
    const QString marker = work.filePath(QStringLiteral("args.txt"));
    // The listing is taken by ls, a child of the shell, so it shows the shell's own descriptors: the
    // standard streams, the script the shell reads, and while ls runs, stdout on the listing with the
    // shell's saved copy of the old stdout. The marker is moved into place last.
    const QByteArray body = QByteArrayLiteral(
                                "#!/bin/sh\n"
                                "out='@OUT@'\n"
                                "ls -l /proc/$$/fd > \"$out/fds.txt\"\n"
                                "pwd > \"$out/cwd.txt\"\n"
                                "for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > \"$out/args.tmp\"\n"
                                "read -r stat < /proc/$$/stat\n"
                                "set -- ${stat##*) }\n"
                                "echo \"$$ $3\" > \"$out/group.txt\"\n"
                                "mv \"$out/args.tmp\" \"$out/args.txt\"\n")
                                .replace("@OUT@", QFile::encodeName(work.path()));
    QVERIFY(writeFile(script, body, kExecutable));

    // Descriptors of ours that a careless start would hand on: a file and a pipe, both without
    // close-on-exec.
    const QString ours = work.filePath(QStringLiteral("ours.dat"));
    QVERIFY(writeFile(ours, "kept open by the launching process", kNotExecutable));
    const int leakedFile = ::open(QFile::encodeName(ours).constData(), O_RDONLY);
    int leakedPipe[2];
    QVERIFY(leakedFile > 2);
    QVERIFY(::pipe(leakedPipe) == 0);
    QCOMPARE(fcntl(leakedFile, F_GETFD) & FD_CLOEXEC, 0);
    const auto closeLeaks = qScopeGuard([&] {
        ::close(leakedFile);
        ::close(leakedPipe[0]);
        ::close(leakedPipe[1]);
    });

    const QString line = arguments.isNull() ? script : QStringLiteral("\"%1\" %2").arg(script, arguments);
    ProcessLauncher launcher;
    QVERIFY(launcher.run(line));
    // Reaped from the event loop once it ends: no zombie is left behind.
    QTRY_VERIFY_WITH_TIMEOUT(childrenOfThisProcess().isEmpty(), kMarkerTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), kMarkerTimeoutMs);

    QFile args(marker);
    QVERIFY(args.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(args.readAll()).split(u'\n', Qt::SkipEmptyParts), seen);

    QFile cwd(work.filePath(QStringLiteral("cwd.txt")));
    QVERIFY(cwd.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(cwd.readAll()).trimmed(), folder);

    // A process group of its own, so the signals of a terminal we were started from never reach it.
    QFile group(work.filePath(QStringLiteral("group.txt")));
    QVERIFY(group.open(QIODevice::ReadOnly));
    const QList<QByteArray> pidAndGroup = group.readAll().trimmed().split(' ');
    QCOMPARE(pidAndGroup.size(), 2);
    QCOMPARE(pidAndGroup.at(1), pidAndGroup.at(0));
    QVERIFY(pidAndGroup.at(1).toInt() != getpgrp());

    QFile listing(work.filePath(QStringLiteral("fds.txt")));
    QVERIFY(listing.open(QIODevice::ReadOnly));
    const QMap<int, QString> fds = parseFdListing(listing.readAll());
    const QString devNull = QStringLiteral("/dev/null");
    QCOMPARE(fds.value(0), devNull);
    QCOMPARE(fds.value(1), listing.fileName());
    QCOMPARE(fds.value(2), devNull);
    const QStringList theShellsOwn{devNull, script, listing.fileName()};
    for (auto it = fds.cbegin(); it != fds.cend(); ++it) {
        QVERIFY2(
            theShellsOwn.contains(it.value()),
            qPrintable(
                QStringLiteral("descriptor %1 -> %2 reached the program").arg(it.key()).arg(it.value())));
    }
}

void LauncherTest::startsAProgramFoundOnThePath() {
    ProcessLauncher launcher;
    QVERIFY(launcher.run(QStringLiteral("true --ignored")));
    // Reaped from the event loop once it ends: no zombie is left behind.
    QTRY_VERIFY_WITH_TIMEOUT(childrenOfThisProcess().isEmpty(), kMarkerTimeoutMs);
}

void LauncherTest::reportsWhatCannotBeStartedAndLeavesNoChild_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QByteArray>("fileContent");  // written to {dir}/file when not null
    QTest::addColumn<bool>("executable");
    QTest::addRow("an empty command line") << "" << QByteArray() << false;
    QTest::addRow("a command line of blanks") << "   " << QByteArray() << false;
    QTest::addRow("a path that does not exist") << "{dir}/nothing/here --flag" << QByteArray() << false;
    QTest::addRow("a name that is not on the path")
        << "quelbrook-no-such-program-4711" << QByteArray() << false;
    QTest::addRow("a file without execute permission") << "{dir}/file" << QByteArray("#!/bin/sh\n") << false;
    QTest::addRow("an executable file in no format the system runs")
        << "{dir}/file a" << QByteArray("[Desktop Entry]\nExec=true\n") << true;
    QTest::addRow("a folder") << "{dir}" << QByteArray() << false;
}

void LauncherTest::reportsWhatCannotBeStartedAndLeavesNoChild() {
    QFETCH(QString, line);
    QFETCH(QByteArray, fileContent);
    QFETCH(bool, executable);
    const QString file = dir_.filePath(QStringLiteral("file"));
    if (!fileContent.isNull())
        QVERIFY(writeFile(file, fileContent, executable ? kExecutable : kNotExecutable));
    const auto removeFile = qScopeGuard([&] { QFile::remove(file); });

    ProcessLauncher launcher;
    QVERIFY(!launcher.run(resolved(line)));
    QVERIFY(childrenOfThisProcess().isEmpty());
}

void LauncherTest::keepsInheritedShortTurnsOnlyUntilItRuns_data() {
    QTest::addColumn<int>("backAfterMs");
    QTest::addColumn<bool>("keepsShort");
    QTest::addRow("while it starts, the turns of the thread that started it") << 3'600'000 << true;
    QTest::addRow("once it runs, the ordinary ones") << 0 << false;
}

void LauncherTest::keepsInheritedShortTurnsOnlyUntilItRuns() {
    QFETCH(int, backAfterMs);
    QFETCH(bool, keepsShort);
    const unsigned long long ordinary = quel::turns::requested(0);
    // Before Linux 6.12 a thread has no turns of its own to ask for.
    if (!quel::turns::askShort())
        QSKIP("this kernel has no short turns to ask for");
    const auto back = qScopeGuard([] { quel::turns::giveBackOrdinary(getpid()); });

    ProcessLauncher launcher{std::chrono::milliseconds(backAfterMs)};
    QVERIFY(launcher.run(QStringLiteral("sleep 30")));
    const QList<int> children = childrenOfThisProcess();
    QCOMPARE(children.size(), 1);
    const pid_t child = children.first();
    const auto end = qScopeGuard([child] {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    });
    const unsigned long long expected = keepsShort ? quel::turns::kShortNanoseconds : ordinary;
    QTRY_COMPARE(quel::turns::requested(child), expected);
    // And so it stays once the event loop has had its turn.
    QTest::qWait(20);
    QCOMPARE(quel::turns::requested(child), expected);
}

QTEST_GUILESS_MAIN(LauncherTest)
#include "launcher_test.moc"
