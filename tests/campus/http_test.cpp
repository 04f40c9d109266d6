// Followers of a source's bundle served over HTTP on the loopback.

#include <QTest>

#include "campus_fixture.h"
#include "http_folder_server.h"

using namespace quel::campus;
using namespace quel::campus::test;

class HttpTest : public QObject {
    Q_OBJECT
private slots:
    // An edit travels within a minute; a minute without one costs each follower one 304.
    void editTravelsAndUnchangedBundlesAreNotFetchedAgain() {
        CampusOf c(4);
        HttpFolderServer server(c.bundle());
        QVERIFY(server.listen());
        c.followAll(server.url());
        server.log.clear();
        c.run(60);
        QCOMPARE(server.log, QStringList(4, QStringLiteral("304 manifest.signed")));
        QCOMPARE(c.follower(0).campus->status().lastResult, QStringLiteral("未变化"));

        writeBytes(c.source().file(kTable),
                   tableBytes(QStringLiteral("8:05:00"), c.source().file(kSound)) + "\r\n");
        server.log.clear();
        c.run(60);
        for (int i = 0; i < c.followers(); ++i) {
            const Member& f = c.follower(i);
            QCOMPARE(readBytes(f.file(kTable)),
                     tableBytes(QStringLiteral("8:05:00"), f.file(kSound)) + "\r\n");
        }
        // Only what changed travels: the table, not the sound each follower already holds.
        QCOMPARE(server.log.filter(QStringLiteral("files/")).size(), 4);
    }

    // From afar, follow answers when the web server's answers came, not when the request was sent.
    void followFromAfarAnswersWhenTheFetchEnded() {
        CampusOf c(1);
        HttpFolderServer server(c.bundle());
        QVERIFY(server.listen());
        const QString key = c.source().campus->publish(c.bundle()).message.split(u'\n').last();
        Member& f = c.follower(0);
        f.campus->start();
        QList<CampusResult> answers;
        f.campus->followThen(server.url(), key, [&answers](const CampusResult& r) { answers << r; });
        QVERIFY(answers.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 1, CampusOf::kAnswerMs);
        QVERIFY2(answers.first().ok, qPrintable(answers.first().message));
        QCOMPARE(answers.first().message, QStringLiteral("已跟随 %1; 已同步版本 %2")
                                              .arg(server.url())
                                              .arg(c.source().campus->status().version));
        QCOMPARE(readBytes(f.file(kTable)), tableBytes(QStringLiteral("8:00:00"), f.file(kSound)));
    }

    // A body cut short is refused and the old copy kept; the next minute, with the server mended,
    // fetches the same manifest again instead of being told it has not changed.
    void cutDownloadIsRefusedAndRetried() {
        CampusOf c(1);
        HttpFolderServer server(c.bundle());
        QVERIFY(server.listen());
        c.followAll(server.url());
        const Member& f = c.follower(0);
        const QByteArray old = readBytes(f.file(kTable));
        writeBytes(c.source().file(kTable), tableBytes(QStringLiteral("8:10:00"), c.source().file(kSound)));
        server.cutPayloads = 5;
        c.run(60);
        QVERIFY(!f.campus->status().lastOk);
        QVERIFY2(f.log.lines.last().contains(QStringLiteral("拒绝")), qPrintable(f.log.lines.last()));
        QCOMPARE(readBytes(f.file(kTable)), old);

        server.cutPayloads = 0;
        c.run(60);
        QVERIFY2(f.campus->status().lastOk, qPrintable(f.campus->status().lastResult));
        QCOMPARE(readBytes(f.file(kTable)), tableBytes(QStringLiteral("8:10:00"), f.file(kSound)));
    }

    // Without an ETag, a manifest published again within the second of the last answer carries the
    // same Last-Modified; asking If-Modified-Since would be told "not modified" for ever.
    void lastModifiedOfTheAnswersOwnSecondIsNotTrusted() {
        CampusOf c(1);
        HttpFolderServer server(c.bundle());
        server.etags = false;
        server.fixedNow = QDateTime(QDate(2026, 12, 7), QTime(8, 0, 0), Qt::UTC);
        QVERIFY(server.listen());
        c.followAll(server.url());
        writeBytes(c.source().file(kTable), tableBytes(QStringLiteral("8:20:00"), c.source().file(kSound)));
        c.run(60);
        const Member& f = c.follower(0);
        QCOMPARE(readBytes(f.file(kTable)), tableBytes(QStringLiteral("8:20:00"), f.file(kSound)));
    }

    // A Last-Modified before the answer's second is used, and an unchanged manifest costs a 304.
    void earlierLastModifiedIsAskedAbout() {
        CampusOf c(1);
        HttpFolderServer server(c.bundle());
        server.etags = false;
        QVERIFY(server.listen());
        QDateTime published = QDateTime::currentDateTimeUtc().addSecs(-10);
        c.followAll(server.url());
        QFile manifest(c.bundle() + QStringLiteral("/manifest.signed"));
        QVERIFY(manifest.open(QIODevice::ReadWrite));
        QVERIFY(manifest.setFileTime(published, QFileDevice::FileModificationTime));
        manifest.close();
        QVERIFY(c.follower(0).campus->syncNow().ok);
        QTRY_VERIFY(!c.follower(0).campus->busy());
        server.log.clear();
        c.run(60);
        QCOMPARE(server.log, QStringList{QStringLiteral("304 manifest.signed")});
    }

    void serverGoneKeepsTheOldCopy() {
        CampusOf c(2);
        HttpFolderServer server(c.bundle());
        QVERIFY(server.listen());
        c.followAll(server.url());
        const QByteArray old = readBytes(c.follower(1).file(kTable));
        server.close();
        c.run(61);
        QVERIFY(!c.follower(1).campus->status().lastOk);
        QVERIFY(c.follower(1).campus->status().lastResult.contains(QStringLiteral("继续使用原有版本")));
        QCOMPARE(readBytes(c.follower(1).file(kTable)), old);
    }
};

QTEST_GUILESS_MAIN(HttpTest)
#include "http_test.moc"
