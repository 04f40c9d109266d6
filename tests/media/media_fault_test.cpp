// What the media component says when a file does not play, whose fault it was, and that no file can
// hold the caller: played through real GStreamer with generated files and outputs that break.

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

#include "fakes/odd_files.h"
#include "measuring_sink.h"
#include "media/audio_sink.h"
#include "media/gst_backend.h"
#include "media/gst_media.h"
#include "platform/instance.h"
#include "tone_files.h"

using quel::GstMedia;
using quel::Media;
using quel::MediaFault;
using quel::testing::MeasuringSink;
using quel::testing::ToneFormat;
namespace reason = quel::media_reason;

Q_DECLARE_METATYPE(MediaFault::Kind)

namespace {

constexpr int kWait = 10000;
constexpr double kShort = 0.5;

// Opens a FIFO's writing end after `ms` unless told not to, so that a reader caught in open() is let
// go and the test fails instead of hanging; `needed` tells whether it had to.
class FifoWatchdog {
public:
    FifoWatchdog(const QString& fifo, int ms)
        : thread_([this, path = QFile::encodeName(fifo), ms] {
              for (int waited = 0; waited < ms && !done_; waited += 10)
                  std::this_thread::sleep_for(std::chrono::milliseconds(10));
              if (done_)
                  return;
              const int fd = ::open(path.constData(), O_WRONLY | O_NONBLOCK);
              needed_ = fd >= 0;
              if (fd >= 0)
                  ::close(fd);
          }) {}
    ~FifoWatchdog() {
        done_ = true;
        thread_.join();
    }
    FifoWatchdog(const FifoWatchdog&) = delete;
    FifoWatchdog& operator=(const FifoWatchdog&) = delete;
    bool needed() const { return needed_; }

private:
    std::atomic<bool> done_{false};
    std::atomic<bool> needed_{false};
    std::thread thread_;
};

}  // namespace

class MediaFaultTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void failsOnceWithWhoseFaultAndWhy_data();
    void failsOnceWithWhoseFaultAndWhy();
    void oddFilesNeverHoldTheCaller_data();
    void oddFilesNeverHoldTheCaller();
    void aCuedFileStartsWhenItsNameIsWritten();
    void aCueNeverCutsOffASound();
    void aCuedFileThatCannotPlaySaysSoWhenItIsDue();
    void runtimeFolder_data();
    void runtimeFolder();

private:
    QString path(const QString& name) const { return dir_.filePath(name); }
    QTemporaryDir dir_;
};

void MediaFaultTest::initTestCase() {
    if (qEnvironmentVariableIsEmpty(quel::kAudioSinkVariable))
        qputenv(quel::kAudioSinkVariable, "fakeaudiosink");
    QVERIFY(quel::initMedia());
    QVERIFY(dir_.isValid());
    QVERIFY(quel::testing::writeTone(path(QStringLiteral("short.wav")), ToneFormat::Wav, kShort).isEmpty());
    QVERIFY(quel::testing::writeTone(path(QStringLiteral("three.wav")), ToneFormat::Wav, 3.0).isEmpty());
    QFile text(path(QStringLiteral("notes.mp3")));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("Not a sound: a note someone saved with the wrong name.\r\n");
    text.close();
}

void MediaFaultTest::failsOnceWithWhoseFaultAndWhy_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<MediaFault::Kind>("kind");
    QTest::addColumn<QString>("reason");
    const auto file = MediaFault::Kind::File;
    const auto output = MediaFault::Kind::Output;
    QTest::addRow("a missing file is the file's fault")
        << path(QStringLiteral("gone.wav")) << QByteArray() << file << reason::kMissing;
    QTest::addRow("a text file named like a sound cannot be decoded")
        << path(QStringLiteral("notes.mp3")) << QByteArray() << file << reason::kUndecodable;
    QTest::addRow("a folder is not a file") << dir_.path() << QByteArray() << file << reason::kNotAFile;
    // CTest points PULSE_SERVER at a socket that does not exist.
    QTest::addRow("a sound server that is not there is the output's fault")
        << path(QStringLiteral("short.wav")) << QByteArray("pulsesink") << output << reason::kNoOutput;
    QTest::addRow("an output that cannot open is the output's fault")
        << path(QStringLiteral("short.wav"))
        << QByteArray("wavenc ! filesink location=/nonexistent/q/out.wav") << output << reason::kNoOutput;
    QTest::addRow("an output that breaks midway is the output's fault")
        << path(QStringLiteral("three.wav")) << QByteArray("identity error-after=20 ! fakeaudiosink")
        << output << reason::kNoOutput;
}

void MediaFaultTest::failsOnceWithWhoseFaultAndWhy() {
    QFETCH(QString, file);
    QFETCH(QByteArray, output);
    QFETCH(MediaFault::Kind, kind);
    QFETCH(QString, reason);
    if (output == "pulsesink" && !gst_element_factory_find("pulsesink"))
        QSKIP("no pulsesink on this machine");
    GstMedia media(output.isEmpty() ? nullptr : quel::makeAudioSink(output));
    QSignalSpy failed(&media, &Media::failed);
    QSignalSpy ended(&media, &Media::endOfStream);

    media.setFileName(file);
    media.play();
    QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, kWait);
    QCOMPARE(failed.at(0).at(0).toString(), file);
    const auto fault = failed.at(0).at(1).value<MediaFault>();
    QCOMPARE(fault.kind, kind);
    QCOMPARE(fault.reason, reason);
    media.play();
    QTest::qWait(300);
    QCOMPARE(failed.count(), 1);
    QCOMPARE(ended.count(), 0);
}

void MediaFaultTest::oddFilesNeverHoldTheCaller_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    const QStringList reasons = {reason::kNotAFile, reason::kMissing, reason::kNotAFile, reason::kNotAFile,
                                 reason::kUndecodable};
    QCOMPARE(reasons.size(), quel::fakes::kOddKinds.size());
    for (qsizetype i = 0; i < reasons.size(); ++i)
        QTest::addRow("%s", qPrintable(quel::fakes::kOddKinds[i])) << quel::fakes::kOddKinds[i] << reasons[i];
    QTest::addRow("an unreadable file") << QString() << reason::kUnreadable;
}

// Each is written as a tone and as a cue: neither may wait on the thing (a FIFO without a writer would
// hold GStreamer's open for good), and the failure names the reason.
void MediaFaultTest::oddFilesNeverHoldTheCaller() {
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    const QString odd = path(QStringLiteral("odd.wav"));
    if (kind.isEmpty()) {
        if (::geteuid() == 0)
            QSKIP("root reads every file");
        QVERIFY(quel::testing::writeTone(odd, ToneFormat::Wav, kShort).isEmpty());
        QVERIFY(QFile::setPermissions(odd, QFileDevice::WriteOwner));
    } else {
        QFile::remove(odd);
        QDir(odd).removeRecursively();
        QVERIFY(quel::fakes::makeOddFile(odd, kind));
    }
    GstMedia media;
    QSignalSpy failed(&media, &Media::failed);
    {
        FifoWatchdog watchdog(odd, kWait / 2);
        media.cue(odd);
        media.stop();
        media.setFileName(odd);
        media.play();
        QVERIFY2(!watchdog.needed(), "writing the name waited on the FIFO");
    }
    QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, kWait);
    QCOMPARE(failed.at(0).at(1).value<MediaFault>(), (MediaFault{MediaFault::Kind::File, reason}));
    media.setFileName(QString());
}

void MediaFaultTest::aCuedFileStartsWhenItsNameIsWritten() {
    MeasuringSink sink;
    GstMedia media(sink.element());
    QSignalSpy ended(&media, &Media::endOfStream);
    QSignalSpy duration(&media, &Media::durationChanged);
    const QString tone = path(QStringLiteral("short.wav"));

    media.cue(tone);
    QTRY_COMPARE_WITH_TIMEOUT(duration.count(), 1, kWait);  // open and prerolled
    QCOMPARE(media.fileName(), tone);
    QTest::qWait(300);
    QCOMPARE(sink.frames(), qint64(0));  // held silent
    QCOMPARE(ended.count(), 0);

    // The tone's own order on its second.
    media.stop();
    media.setFileName(tone);
    media.play();
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, kWait);
    QCOMPARE(duration.count(), 1);  // not opened a second time
    QVERIFY2(sink.frames() >= qint64(kShort * quel::testing::kToneRate * 0.9),
             qPrintable(QString::number(sink.frames())));

    // A cue let go leaves the component idle.
    media.setFileName(QString());
    media.cue(tone);
    QTRY_COMPARE_WITH_TIMEOUT(duration.count(), 2, kWait);
    media.cue(QString());
    QCOMPARE(media.fileName(), QString());
    QCOMPARE(media.duration(), 0.0);
}

void MediaFaultTest::aCueNeverCutsOffASound() {
    GstMedia media;
    QSignalSpy ended(&media, &Media::endOfStream);
    const QString playing = path(QStringLiteral("three.wav"));
    media.setFileName(playing);
    QTRY_VERIFY_WITH_TIMEOUT(media.position() > 0.1, kWait);

    media.cue(path(QStringLiteral("short.wav")));
    media.cue(QString());
    QCOMPARE(media.fileName(), playing);
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, kWait);
    QVERIFY(media.position() > 2.9);
}

void MediaFaultTest::aCuedFileThatCannotPlaySaysSoWhenItIsDue() {
    GstMedia media;
    QSignalSpy failed(&media, &Media::failed);
    const QString gone = path(QStringLiteral("gone.wav"));
    media.cue(gone);
    QTest::qWait(300);
    QCOMPARE(failed.count(), 0);
    QCOMPARE(media.fileName(), QString());  // idle again

    media.stop();
    media.setFileName(gone);
    media.play();
    QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, kWait);
    QCOMPARE(failed.at(0).at(1).value<MediaFault>().reason, reason::kMissing);
}

void MediaFaultTest::runtimeFolder_data() {
    QTest::addColumn<QByteArray>("given");
    QTest::addRow("an unset runtime folder becomes the private one") << QByteArray();
    QTest::addRow("a runtime folder that is set is kept") << QFile::encodeName(dir_.path());
}

void MediaFaultTest::runtimeFolder() {
    QFETCH(QByteArray, given);
    const QByteArray before = qgetenv("XDG_RUNTIME_DIR");
    if (given.isEmpty())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", given);
    const QString folder = quel::provideRuntimeFolder();
    const QByteArray after = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", before);

    const QString expected = given.isEmpty()
                                 ? quel::privateRuntimeFolder(quel::runtimeFolderCandidates(QString()))
                                 : QFile::decodeName(given);
    QVERIFY(!expected.isEmpty());
    QCOMPARE(folder, expected);
    QCOMPARE(QFile::decodeName(after), expected);
}

QTEST_GUILESS_MAIN(MediaFaultTest)
#include "media_fault_test.moc"
