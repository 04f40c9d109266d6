#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <future>
#include <thread>

#include "fake_remote_actions.h"
#include "platform/instance.h"
#include "remote/client.h"
#include "remote/command_line.h"

using namespace quel;
using Kind = CommandLine::Kind;

Q_DECLARE_METATYPE(CommandLine::Kind)

class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // The instance socket goes to the runtime folder: a private one, never the user's.
        QVERIFY(runtime_.isValid());
        QVERIFY(QFile::setPermissions(
            runtime_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime_.path()));
        QVERIFY(QDir(work_.path()).mkpath(QStringLiteral("lists")));
        QFile list(work_.filePath(QStringLiteral("lists/Morning.PLF")));
        QVERIFY(list.open(QIODevice::WriteOnly));
    }

    // What the words after the program's name ask for. Relative paths are made absolute against the
    // folder the command was typed in, since the running program has another one.
    void parse_data() {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QStringList>("request");  // verb then arguments; for Invalid, the message
        const QString w = work_.path();
        QTest::addRow("no words start the program") << QStringList{} << Kind::StartProgram << QStringList{};
        QTest::addRow("Qt's own options start the program")
            << QStringList{"-platform", "offscreen"} << Kind::StartProgram << QStringList{};
        QTest::addRow("--help") << QStringList{"--help"} << Kind::Help << QStringList{};
        QTest::addRow("-h") << QStringList{"-h"} << Kind::Help << QStringList{};
        QTest::addRow("ring without a file rings the built-in tone")
            << QStringList{"ring"} << Kind::Request << QStringList{"ring"};
        QTest::addRow("ring a relative file")
            << QStringList{"ring", "bells/a.wav"} << Kind::Request << QStringList{"ring", w + "/bells/a.wav"};
        QTest::addRow("ring an absolute file")
            << QStringList{"ring", "/srv/b.wav"} << Kind::Request << QStringList{"ring", "/srv/b.wav"};
        QTest::addRow("ring two files")
            << QStringList{"ring", "a", "b"} << Kind::Invalid << QStringList{"ring: 参数太多"};
        QTest::addRow("next") << QStringList{"next"} << Kind::Request << QStringList{"next"};
        QTest::addRow("skip") << QStringList{"skip"} << Kind::Request << QStringList{"skip"};
        QTest::addRow("skip with a word")
            << QStringList{"skip", "2"} << Kind::Invalid << QStringList{"skip: 参数太多"};
        QTest::addRow("stop") << QStringList{"stop"} << Kind::Request << QStringList{"stop"};
        QTest::addRow("status") << QStringList{"status"} << Kind::Request << QStringList{"status"};
        QTest::addRow("a list found from here goes as its path")
            << QStringList{"broadcast", "lists/Morning.PLF"} << Kind::Request
            << QStringList{"broadcast", w + "/lists/Morning.PLF"};
        QTest::addRow("a bare name goes as a name for the program's own lists")
            << QStringList{"broadcast", "Morning"} << Kind::Request << QStringList{"broadcast", "Morning"};
        QTest::addRow("a path not found here still goes as a path")
            << QStringList{"broadcast", "gone/x.PLF"} << Kind::Request
            << QStringList{"broadcast", w + "/gone/x.PLF"};
        QTest::addRow("--random after the list")
            << QStringList{"broadcast", "Morning", "--random"} << Kind::Request
            << QStringList{"broadcast", "Morning", "--random"};
        QTest::addRow("--random before the list")
            << QStringList{"broadcast", "--random", "Morning"} << Kind::Request
            << QStringList{"broadcast", "Morning", "--random"};
        QTest::addRow("broadcast without a list") << QStringList{"broadcast", "--random"} << Kind::Invalid
                                                  << QStringList{"broadcast: 缺少播音列表"};
        QTest::addRow("say is male unless told")
            << QStringList{"say"} << Kind::Request << QStringList{"say", "male"};
        QTest::addRow("say female") << QStringList{"say", "female"} << Kind::Request
                                    << QStringList{"say", "female"};
        QTest::addRow("say with another voice") << QStringList{"say", "child"} << Kind::Invalid
                                                << QStringList{"say: 声音只能是 male 或 female,不是 child"};
        QTest::addRow("emergency start")
            << QStringList{"emergency", "start"} << Kind::Request << QStringList{"emergency", "start"};
        QTest::addRow("emergency stop")
            << QStringList{"emergency", "stop"} << Kind::Request << QStringList{"emergency", "stop"};
        QTest::addRow("emergency alone")
            << QStringList{"emergency"} << Kind::Invalid << QStringList{"emergency: 需要 start 或 stop"};
        QTest::addRow("emergency with another word") << QStringList{"emergency", "now"} << Kind::Invalid
                                                     << QStringList{"emergency: 需要 start 或 stop"};
        QTest::addRow("publish into a relative folder")
            << QStringList{"publish", "out/bundle"} << Kind::Request
            << QStringList{"publish", w + "/out/bundle"};
        QTest::addRow("publish without a folder")
            << QStringList{"publish"} << Kind::Invalid << QStringList{"publish: 缺少发布文件夹"};
        QTest::addRow("publish into two folders")
            << QStringList{"publish", "a", "b"} << Kind::Invalid << QStringList{"publish: 参数太多"};
        QTest::addRow("follow a web address as typed")
            << QStringList{"follow", "http://10.0.0.2/campus/", "KEY="} << Kind::Request
            << QStringList{"follow", "http://10.0.0.2/campus/", "KEY="};
        QTest::addRow("follow a relative folder")
            << QStringList{"follow", "share/bundle", "KEY="} << Kind::Request
            << QStringList{"follow", w + "/share/bundle", "KEY="};
        QTest::addRow("follow without a key") << QStringList{"follow", "http://10.0.0.2/"} << Kind::Invalid
                                              << QStringList{"follow: 需要主控的地址和公钥"};
        QTest::addRow("follow with a key in two words") << QStringList{"follow", "/srv/b", "KEY", "="}
                                                        << Kind::Invalid << QStringList{"follow: 参数太多"};
        QTest::addRow("sync") << QStringList{"sync"} << Kind::Request << QStringList{"sync"};
        QTest::addRow("sync with a word")
            << QStringList{"sync", "now"} << Kind::Invalid << QStringList{"sync: 参数太多"};
        QTest::addRow("an unknown verb") << QStringList{"chime"} << Kind::Invalid
                                         << QStringList{"未知命令 chime;quelbrook --help 列出全部命令"};
    }
    void parse() {
        QFETCH(QStringList, words);
        QFETCH(Kind, kind);
        QFETCH(QStringList, request);
        const CommandLine c = parseCommandLine(words, work_.path());
        QCOMPARE(c.kind, kind);
        if (kind == Kind::Invalid)
            QCOMPARE(QStringList{c.message}, request);
        else if (kind == Kind::Request)
            QCOMPARE(QStringList{c.request.verb} + c.request.arguments, request);
    }

    // Every request the command line can make survives the line, whatever its file names hold.
    void requestLineRoundTrip_data() {
        QTest::addColumn<QStringList>("words");
        QTest::addRow("a plain verb") << QStringList{"status"};
        QTest::addRow("a path with spaces, quotes and a line end")
            << QStringList{"ring", "/srv/a \"b\"\n.wav"};
        QTest::addRow("a Chinese list name") << QStringList{"broadcast", "早操", "--random"};
        QTest::addRow("the word activate in a name") << QStringList{"ring", "/srv/activate\n"};
    }
    void requestLineRoundTrip() {
        QFETCH(QStringList, words);
        const RemoteRequest sent{words.first(), words.mid(1)};
        const QByteArray line = requestLine(sent);
        QCOMPARE(line.count('\n'), 1);
        QVERIFY(line.endsWith('\n'));
        RemoteRequest got;
        QVERIFY(parseRequestLine(line, &got));
        QCOMPARE(got, sent);
    }

    // The running program's side: which action a line reaches, and lines that reach none.
    void answer_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<bool>("ok");
        QTest::addRow("ring") << QByteArray("[\"ring\",\"/a.wav\"]\n") << QStringList{"ring /a.wav"} << true;
        QTest::addRow("say female") << QByteArray("[\"say\",\"female\"]") << QStringList{"say female"}
                                    << true;
        QTest::addRow("a voice the command line never sends")
            << QByteArray("[\"say\",\"robot\"]") << QStringList{} << false;
        QTest::addRow("a verb with stray arguments")
            << QByteArray("[\"stop\",\"now\"]") << QStringList{} << false;
        QTest::addRow("not JSON") << QByteArray("ring /a.wav\n") << QStringList{} << false;
        QTest::addRow("a number for a verb") << QByteArray("[7]") << QStringList{} << false;
        QTest::addRow("an empty array") << QByteArray("[]") << QStringList{} << false;
    }
    void answer() {
        QFETCH(QByteArray, line);
        QFETCH(QStringList, calls);
        QFETCH(bool, ok);
        fakes::FakeRemoteActions actions;
        const QByteArray answered = answerRequest(actions, line);
        QCOMPARE(actions.calls, calls);
        QCOMPARE(answered.count('\n'), 1);
        QCOMPARE(parseAnswerLine(answered).ok, ok);
    }

    // The whole way: words typed → the running instance's socket → the actions → the printed line and
    // the exit status.
    void endToEnd_data() {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<bool>("running");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::addColumn<QStringList>("calls");
        QTest::addRow("done") << QStringList{"skip"} << true << 0 << "好\n"
                              << "" << QStringList{"skip"};
        QTest::addRow("no program running") << QStringList{"skip"} << false << 3 << ""
                                            << "quelbrook: 没有正在运行的 Quelbrook(先启动程序)\n"
                                            << QStringList{};
        QTest::addRow("a list the program does not have")
            << QStringList{"broadcast", "Nowhere"} << true << 1 << ""
            << "quelbrook: 没有播音列表 Nowhere\n"
            << QStringList{"broadcast refused"};
        QTest::addRow("the usage goes nowhere near the program")
            << QStringList{"say", "robot"} << true << 2 << ""
            << "quelbrook: say: 声音只能是 male 或 female,不是 robot\n"
            << QStringList{};
        QTest::addRow("status") << QStringList{"status"} << true << 0
                                << "今日时间表 Default.DTT; 下一个 08:00:00 打铃; 播放 无; 紧急广播 关\n"
                                << "" << QStringList{};
        QTest::addRow("publish prints the key on its last line")
            << QStringList{"publish", "/srv/bundle"} << true << 0 << "已发布版本 7\nKEY=\n"
            << "" << QStringList{"publish /srv/bundle"};
        QTest::addRow("sync waits for the fetch") << QStringList{"sync"} << true << 0 << "未变化\n"
                                                  << "" << QStringList{"sync"};
        QTest::addRow("a follow whose fetch is refused")
            << QStringList{"follow", "http://h/", "wrong"} << true << 1 << ""
            << "quelbrook: 已跟随 http://h/; 拒绝: 签名不对\n"
            << QStringList{"follow http://h/ wrong"};
    }
    void endToEnd() {
        QFETCH(QStringList, words);
        QFETCH(bool, running);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(QStringList, calls);
        QTemporaryDir folder;
        fakes::FakeRemoteActions actions;
        actions.state.todayTable = QStringLiteral("Default.DTT");
        actions.state.nextEntries = QStringList{QStringLiteral("08:00:00 打铃")};
        actions.missingLists = QStringList{QStringLiteral("Nowhere")};
        LocalInstanceGuard program(folder.path());
        if (running) {
            QVERIFY(!program.anotherIsRunning());
            program.setLaterRequestHandler(
                [&](const QByteArray& line, const InstanceGuard::AnswerLater& answer) {
                    answerRequestLater(actions, line, answer);
                });
        }
        QString printed;
        QString complained;
        const int got =
            runOnTheSide(folder.path(), parseCommandLine(words, folder.path()), &printed, &complained);
        QCOMPARE(printed, out);
        QCOMPARE(complained, err);
        QCOMPARE(got, status);
        QCOMPARE(actions.calls, calls);
    }

    // A start while the program is still coming up gets an answer, and the window-forward message of a
    // second start keeps working beside the requests.
    void notReadyAndActivate() {
        QTemporaryDir folder;
        LocalInstanceGuard program(folder.path());
        QVERIFY(!program.anotherIsRunning());
        program.setNotReadyAnswer(answerLine({false, QStringLiteral("程序正在启动,请稍后再试")}));
        QString printed;
        QString complained;
        QCOMPARE(runOnTheSide(folder.path(), parseCommandLine({QStringLiteral("next")}, folder.path()),
                              &printed, &complained),
                 1);
        QCOMPARE(complained, QStringLiteral("quelbrook: 程序正在启动,请稍后再试\n"));

        QSignalSpy activated(&program, &InstanceGuard::activateRequested);
        LocalInstanceGuard second(folder.path());
        QVERIFY(second.anotherIsRunning());
        std::thread([&] { LocalInstanceGuard(folder.path()).activateOther(); }).join();
        QTRY_COMPARE_WITH_TIMEOUT(activated.size(), 1, 5000);
    }

    void helpListsEveryVerb() {
        QString printed;
        QString complained;
        QTemporaryDir folder;
        QCOMPARE(runOnTheSide(folder.path(), parseCommandLine({QStringLiteral("--help")}, folder.path()),
                              &printed, &complained),
                 0);
        for (const char* verb : {"ring", "next", "skip", "broadcast", "--random", "stop", "say", "emergency",
                                 "status", "publish", "follow", "sync"})
            QVERIFY2(printed.contains(QLatin1String(verb)), verb);
    }

private:
    // The command line's side runs on a thread of its own, as it would in another process: it waits on
    // the socket while this thread's event loop lets the program answer.
    static int runOnTheSide(const QString& folder, const CommandLine& command, QString* out, QString* err) {
        auto result = std::async(std::launch::async, [&] {
            LocalInstanceGuard client(folder);
            QTextStream o(out);
            QTextStream e(err);
            return runRequest(command, client, o, e);
        });
        while (result.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return result.get();
    }

    QTemporaryDir runtime_;
    QTemporaryDir work_;
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "command_line_test.moc"
