// A source and four followers on networks of their own: the bundle served by an ordinary web server
// (Python's http.server) inside a network namespace, reached by the followers over a virtual cable.
// Making namespaces needs root; without it the test says so and skips.

#include <unistd.h>

#include <QDeadlineTimer>
#include <QProcess>
#include <QTcpSocket>
#include <QTest>

#include "campus_fixture.h"

using namespace quel::campus;
using namespace quel::campus::test;

namespace {

const QString kIp = QStringLiteral("/usr/sbin/ip");
const QString kPython = QStringLiteral("/usr/bin/python3");
constexpr quint16 kPort = 8080;

bool run(const QStringList& arguments) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(kIp, arguments);
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// A namespace joined to this one by a veth pair, with a web server of `folder` inside; all of it gone
// when this goes.
class SourceNamespace {
public:
    explicit SourceNamespace(const QString& folder) {
        const qint64 id = QCoreApplication::applicationPid() % 100000;
        const int subnet = int(id % 250);
        name_ = QStringLiteral("qbcampus%1").arg(id);
        host_ = QStringLiteral("qbh%1").arg(id);
        inner_ = QStringLiteral("qbn%1").arg(id);
        hostAddress_ = QStringLiteral("10.213.%1.1").arg(subnet);
        innerAddress_ = QStringLiteral("10.213.%1.2").arg(subnet);
        ok_ = run({QStringLiteral("netns"), QStringLiteral("add"), name_}) &&
              run({QStringLiteral("link"), QStringLiteral("add"), host_, QStringLiteral("type"),
                   QStringLiteral("veth"), QStringLiteral("peer"), QStringLiteral("name"), inner_}) &&
              run({QStringLiteral("link"), QStringLiteral("set"), inner_, QStringLiteral("netns"), name_}) &&
              run({QStringLiteral("addr"), QStringLiteral("add"), hostAddress_ + QStringLiteral("/30"),
                   QStringLiteral("dev"), host_}) &&
              run({QStringLiteral("link"), QStringLiteral("set"), host_, QStringLiteral("up")}) &&
              inside({QStringLiteral("addr"), QStringLiteral("add"), innerAddress_ + QStringLiteral("/30"),
                      QStringLiteral("dev"), inner_}) &&
              inside({QStringLiteral("link"), QStringLiteral("set"), inner_, QStringLiteral("up")}) &&
              inside({QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("lo"),
                      QStringLiteral("up")});
        if (!ok_)
            return;
        server_.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        server_.setStandardErrorFile(QProcess::nullDevice());
        server_.start(kIp, {QStringLiteral("netns"), QStringLiteral("exec"), name_, kPython,
                            QStringLiteral("-m"), QStringLiteral("http.server"), QString::number(kPort),
                            QStringLiteral("--bind"), innerAddress_, QStringLiteral("--directory"), folder});
        ok_ = server_.waitForStarted(10000) && waitForServer();
    }
    ~SourceNamespace() {
        stopServer();
        run({QStringLiteral("link"), QStringLiteral("del"), host_});
        run({QStringLiteral("netns"), QStringLiteral("del"), name_});
    }
    bool ok() const { return ok_; }
    QString url() const { return QStringLiteral("http://%1:%2/").arg(innerAddress_).arg(kPort); }
    void stopServer() {
        if (server_.state() == QProcess::NotRunning)
            return;
        server_.terminate();
        if (!server_.waitForFinished(5000)) {
            server_.kill();
            server_.waitForFinished(5000);
        }
    }

private:
    bool inside(const QStringList& arguments) {
        return run(QStringList{QStringLiteral("-n"), name_} + arguments);
    }
    bool waitForServer() {
        const QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired()) {
            QTcpSocket probe;
            probe.connectToHost(innerAddress_, kPort);
            if (probe.waitForConnected(500))
                return true;
            QTest::qWait(100);
        }
        return false;
    }

    QString name_, host_, inner_, hostAddress_, innerAddress_;
    QProcess server_;
    bool ok_ = false;
};

}  // namespace

#define NEEDS_NAMESPACE(ns)                                                                           \
    if (geteuid() != 0)                                                                               \
        QSKIP("making network namespaces needs root (ip netns); run the test as root to include it"); \
    if (!QFileInfo(kIp).isExecutable() || !QFileInfo(kPython).isExecutable())                         \
        QSKIP("ip (iproute2) or python3 is missing");                                                 \
    QVERIFY2((ns).ok(), "the namespace, its cable or its web server could not be set up")

class NetnsTest : public QObject {
    Q_OBJECT
private slots:
    void editReachesAllFourWithinAMinuteAndTheyGoOnWithoutTheSource() {
        CampusOf c(4);
        SourceNamespace ns(c.bundle());
        NEEDS_NAMESPACE(ns);
        c.followAll(ns.url());
        c.run(7);
        writeBytes(c.source().file(kTable), tableBytes(QStringLiteral("13:45:00"), c.source().file(kSound)));
        c.run(60);
        for (int i = 0; i < c.followers(); ++i) {
            const Member& f = c.follower(i);
            QCOMPARE(readBytes(f.file(kTable)), tableBytes(QStringLiteral("13:45:00"), f.file(kSound)));
            QCOMPARE(f.campus->status().version, c.source().campus->status().version);
        }

        ns.stopServer();
        c.run(61);
        for (int i = 0; i < c.followers(); ++i) {
            const Member& f = c.follower(i);
            QVERIFY(!f.campus->status().lastOk);
            QCOMPARE(readBytes(f.file(kTable)), tableBytes(QStringLiteral("13:45:00"), f.file(kSound)));
        }
    }

    void refusals_data() { addRefusalRows(false); }
    void refusals() {
        QFETCH(Tamper, tamper);
        QFETCH(QString, reason);
        CampusOf c(1);
        SourceNamespace ns(c.bundle());
        NEEDS_NAMESPACE(ns);
        c.followAll(ns.url());
        checkRefusal(c, tamper, reason);
    }
};

QTEST_GUILESS_MAIN(NetnsTest)
#include "netns_test.moc"
