// Followers fetching the source's bundle from the program's own page server, as the shell wires it:
// the bundle folder offered under /campus/, each fetch told to the source's campus.

#include <QTest>

#include "campus_fixture.h"
#include "remote/web/remote_page.h"
#include "web_fakes.h"

using namespace quel;
using namespace quel::campus;
using namespace quel::campus::test;

class CampusFetchTest : public QObject {
    Q_OBJECT
private slots:
    // The first fetch installs, an unchanged minute costs each follower one 304, an edit travels, and
    // the source lists who fetched and which version they ring from.
    void followersFetchFromThePageServer() {
        CampusOf c(2);
        fakes::FakeRemoteActions actions;
        fakes::FakeRemoteLog log;
        PageSettings settings;
        settings.address = QStringLiteral("127.0.0.1");
        settings.port = 0;  // any free port: tests run side by side
        settings.digest = passwordDigest(QStringLiteral("x"), 1000);
        RemotePage page(c.clock, actions, log, settings);
        QVERIFY(page.start());
        page.setSharedFolder(QStringLiteral("/campus/"), c.bundle());
        QStringList answered;
        connect(&page, &RemotePage::sharedRequested, this,
                [&](const QString& address, const QString& method, const QString& target, int status) {
                    c.source().campus->noteServed(address, method, target, status);
                    answered << QStringLiteral("%1 %2").arg(status).arg(target);
                });
        c.followAll(QStringLiteral("http://127.0.0.1:%1/campus/").arg(page.port()));
        for (int i = 0; i < c.followers(); ++i)
            QCOMPARE(readBytes(c.follower(i).file(kTable)),
                     tableBytes(QStringLiteral("8:00:00"), c.follower(i).file(kSound)));

        answered.clear();
        c.run(60);
        const qint64 first = c.source().campus->status().version;
        QCOMPARE(answered, QStringList(2, QStringLiteral("304 /campus/manifest.signed?have=%1").arg(first)));

        writeBytes(c.source().file(kTable), tableBytes(QStringLiteral("8:05:00"), c.source().file(kSound)));
        c.run(60);
        const qint64 second = c.source().campus->status().version;
        QVERIFY(second > first);
        for (int i = 0; i < c.followers(); ++i) {
            QCOMPARE(c.follower(i).campus->status().version, second);
            QCOMPARE(readBytes(c.follower(i).file(kTable)),
                     tableBytes(QStringLiteral("8:05:00"), c.follower(i).file(kSound)));
        }
        c.run(60);
        // Both followers call from the loopback: one address, with its latest fetch.
        const FollowersSeen seen = c.source().campus->recentFollowers();
        QCOMPARE(seen.followers.size(), 1);
        QCOMPARE(seen.followers.first().address, QStringLiteral("127.0.0.1"));
        QCOMPARE(seen.followers.first().version, second);
        const qint64 ago = seen.followers.first().lastFetch.secsTo(c.clock.now());
        QVERIFY2(ago >= 0 && ago < 60, qPrintable(QString::number(ago)));
    }
};

QTEST_GUILESS_MAIN(CampusFetchTest)
#include "campus_fetch_test.moc"
