// Followers of a source's bundle served over HTTP on the loopback.

#include <QTest>

#include "campus_fixture.h"
#include "http_folder_server.h"

using namespace quel::campus;
using namespace quel::campus::test;

namespace {

const QString kTable = QStringLiteral("DayTimeTable/Default.DTT");
const QString kSound = QStringLiteral("sounds/bell.wav");
constexpr int kAnswerMs = 10000;

}  // namespace

class HttpTest : public QObject {
    Q_OBJECT
private:
    // Time passing second by second, each answer of the server taken before the next second.
    static void run(CampusOf& c, int seconds) {
        for (int s = 0; s < seconds; ++s) {
            c.clock.advance(1000);
            for (auto& m : c.members) {
                m->campus->onTick();
                QTRY_VERIFY_WITH_TIMEOUT(!m->campus->busy(), kAnswerMs);
            }
        }
    }

    static void followAll(CampusOf& c, const QString& url) {
        const CampusResult published = c.source().campus->publish(c.bundle());
        QVERIFY2(published.ok, qPrintable(published.message));
        for (int i = 0; i < c.followers(); ++i) {
            Campus& f = *c.follower(i).campus;
            f.start();
            QVERIFY(f.follow(url, published.message.split(u'\n').last()).ok);
            QTRY_VERIFY_WITH_TIMEOUT(!f.busy(), kAnswerMs);
            QVERIFY2(f.status().lastOk, qPrintable(f.status().lastResult));
        }
    }

private slots:
    // An edit travels within a minute; a minute without one costs each follower one 304.
    void editTravelsAndUnchangedBundlesAreNotFetchedAgain() {
        CampusOf c(4);
        HttpFolderServer server(c.bundle());
        QVERIFY(server.listen());
        followAll(c, server.url());
        server.log.clear();
        run(c, 60);
        QCOMPARE(server.log, QStringList(4, QStringLiteral("304 manifest.signed")));
        QCOMPARE(c.follower(0).campus->status().lastResult, QStringLiteral("未变化"));

        writeBytes(c.source().file(kTable),
                   tableBytes(QStringLiteral("8:05:00"), c.source().file(kSound)) + "\r\n");
        server.log.clear();
        run(c, 60);
        for (int i = 0; i < c.followers(); ++i) {
            const Member& f = c.follower(i);
            QCOMPARE(readBytes(f.file(kTable)),
                     tableBytes(QStringLiteral("8:05:00"), f.file(kSound)) + "\r\n");
        }
        // Only what changed travels: the table, not the sound each follower already holds.
        QCOMPARE(server.log.filter(QStringLiteral("files/")).size(), 4);
    }

    // A body cut short is refused and the old copy kept; the next minute, with the server mended,
    // fetches the same manifest again instead of being told it has not changed.
    void cutDownloadIsRefusedAndRetried() {
        CampusOf c(1);
        HttpFolderServer server(c.bundle());
        QVERIFY(server.listen());
        followAll(c, server.url());
        const Member& f = c.follower(0);
        const QByteArray old = readBytes(f.file(kTable));
        writeBytes(c.source().file(kTable), tableBytes(QStringLiteral("8:10:00"), c.source().file(kSound)));
        server.cutPayloads = 5;
        run(c, 60);
        QVERIFY(!f.campus->status().lastOk);
        QVERIFY2(f.log.lines.last().contains(QStringLiteral("拒绝")), qPrintable(f.log.lines.last()));
        QCOMPARE(readBytes(f.file(kTable)), old);

        server.cutPayloads = 0;
        run(c, 60);
        QVERIFY2(f.campus->status().lastOk, qPrintable(f.campus->status().lastResult));
        QCOMPARE(readBytes(f.file(kTable)), tableBytes(QStringLiteral("8:10:00"), f.file(kSound)));
    }

    void serverGoneKeepsTheOldCopy() {
        CampusOf c(2);
        HttpFolderServer server(c.bundle());
        QVERIFY(server.listen());
        followAll(c, server.url());
        const QByteArray old = readBytes(c.follower(1).file(kTable));
        server.close();
        run(c, 61);
        QVERIFY(!c.follower(1).campus->status().lastOk);
        QVERIFY(c.follower(1).campus->status().lastResult.contains(QStringLiteral("继续使用原有版本")));
        QCOMPARE(readBytes(c.follower(1).file(kTable)), old);
    }
};

QTEST_GUILESS_MAIN(HttpTest)
#include "http_test.moc"
