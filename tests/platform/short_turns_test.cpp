// Short turns on the processor: what a thread asked for reaches the threads it makes, and only what was
// inherited is given back.

#include <QTest>
#include <QThread>

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>

#include "platform/short_turns.h"

using namespace quel;

namespace {

pid_t thisThread() {
    return static_cast<pid_t>(syscall(SYS_gettid));
}

}  // namespace

class ShortTurnsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void onlyInheritedShortTurnsAreGivenBack_data();
    void onlyInheritedShortTurnsAreGivenBack();

private:
    unsigned long long ordinary_ = 0;
};

void ShortTurnsTest::initTestCase() {
    ordinary_ = turns::requested(thisThread());
    // Before Linux 6.12 a thread has no turns of its own to ask for; the request changes nothing there.
    if (!turns::askShort())
        QSKIP("this kernel has no short turns to ask for");
    QCOMPARE(turns::requested(thisThread()), turns::kShortNanoseconds);
}

void ShortTurnsTest::onlyInheritedShortTurnsAreGivenBack_data() {
    QTest::addColumn<unsigned long long>("ownRequest");  // what the thread asks for itself; 0: nothing
    QTest::addColumn<bool>("keepsItsOwn");
    QTest::addRow("inherited from the thread that made it") << 0ULL << false;
    QTest::addRow("asked for by itself, longer") << 2'000'000ULL << true;
}

// giveBackOrdinary over this very process: the main thread and a thread it made both inherit or ask.
void ShortTurnsTest::onlyInheritedShortTurnsAreGivenBack() {
    QFETCH(unsigned long long, ownRequest);
    QFETCH(bool, keepsItsOwn);
    std::atomic<pid_t> tid{0};
    std::atomic<bool> done{false};
    QThread* thread = QThread::create([&] {
        if (ownRequest != 0)
            turns::ask(ownRequest);
        tid = thisThread();
        while (!done)
            QThread::msleep(1);
    });
    thread->start();
    QTRY_VERIFY(tid != 0);
    QCOMPARE(turns::requested(tid), ownRequest != 0 ? ownRequest : turns::kShortNanoseconds);

    turns::giveBackOrdinary(getpid());
    QCOMPARE(turns::requested(tid), keepsItsOwn ? ownRequest : ordinary_);
    QCOMPARE(turns::requested(thisThread()), ordinary_);

    done = true;
    thread->wait();
    delete thread;
    QVERIFY(turns::askShort());
}

QTEST_GUILESS_MAIN(ShortTurnsTest)
#include "short_turns_test.moc"
