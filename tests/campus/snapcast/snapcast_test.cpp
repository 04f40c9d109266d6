// The source's broadcast in every building: what the program's broadcast output plays also goes into a
// Snapcast server's pipe, and two of its clients, each on a sink of its own, play it.

#include <QDataStream>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

#include "fakes/private_pulse.h"
#include "media/gst_media.h"

#include <sys/stat.h>

using namespace quel;

namespace {

constexpr int kRate = 48000;
constexpr int kToneHz = 1000;
constexpr int kLeadMs = 300;  // silence before the tone, so its start can be found in each building
constexpr int kToneMs = 1500;
// A sample this loud (of full scale) is the tone, not the null sinks' silence.
constexpr double kHeard = 0.05;
constexpr int kWaitMs = 20000;

// A WAV of silence then a tone, 48000 Hz 16-bit stereo.
QByteArray toneWav() {
    QByteArray pcm;
    QDataStream out(&pcm, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    const int lead = kRate * kLeadMs / 1000;
    const int total = lead + kRate * kToneMs / 1000;
    for (int i = 0; i < total; ++i) {
        const qint16 v =
            i < lead ? 0 : qint16(std::lround(12000 * std::sin(2 * M_PI * kToneHz * (i - lead) / kRate)));
        out << v << v;
    }
    QByteArray wav;
    QDataStream w(&wav, QIODevice::WriteOnly);
    w.setByteOrder(QDataStream::LittleEndian);
    w.writeRawData("RIFF", 4);
    w << quint32(36 + pcm.size());
    w.writeRawData("WAVEfmt ", 8);
    w << quint32(16) << quint16(1) << quint16(2) << quint32(kRate) << quint32(kRate * 4) << quint16(4)
      << quint16(16);
    w.writeRawData("data", 4);
    w << quint32(pcm.size());
    return wav + pcm;
}

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// The first frame at which a channel of interleaved 16-bit stereo is as loud as kHeard; -1 if never.
qsizetype onset(const QByteArray& pcm, int channel) {
    const auto* samples = reinterpret_cast<const qint16*>(pcm.constData());
    const qsizetype frames = pcm.size() / 4;
    for (qsizetype f = 0; f < frames; ++f) {
        if (std::abs(samples[f * 2 + channel]) >= kHeard * 32768)
            return f;
    }
    return -1;
}

// Zero crossings a second over the half second after `from`: the tone's pitch, near enough.
double pitch(const QByteArray& pcm, int channel, qsizetype from) {
    const auto* samples = reinterpret_cast<const qint16*>(pcm.constData());
    const qsizetype to = std::min(pcm.size() / 4, from + kRate / 2);
    int crossings = 0;
    for (qsizetype f = from + 1; f < to; ++f)
        crossings += (samples[(f - 1) * 2 + channel] < 0) != (samples[f * 2 + channel] < 0);
    return to > from ? crossings / 2.0 * kRate / double(to - from) : 0;
}

// How long the tone sounds without a gap from `from`, in milliseconds, by windows of 10 ms: a copy
// that drops what it cannot write at once is heard in pieces.
int unbrokenMs(const QByteArray& pcm, int channel, qsizetype from) {
    const auto* samples = reinterpret_cast<const qint16*>(pcm.constData());
    constexpr qsizetype kWindow = kRate / 100;
    qsizetype f = from;
    for (; f + kWindow <= pcm.size() / 4; f += kWindow) {
        int loudest = 0;
        for (qsizetype i = f; i < f + kWindow; ++i)
            loudest = std::max(loudest, std::abs(int(samples[i * 2 + channel])));
        if (loudest < kHeard * 32768)
            break;
    }
    return int((f - from) * 1000 / kRate);
}

}  // namespace

class SnapcastTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        for (const char* program : {"snapserver", "snapclient", "parec", "pactl"}) {
            if (QStandardPaths::findExecutable(QLatin1String(program)).isEmpty())
                QSKIP(qPrintable(QStringLiteral("%1 is not installed (scripts/setup.sh --test installs it)")
                                     .arg(QLatin1String(program))));
        }
        if (!fakes::PrivatePulse::available())
            QSKIP("pulseaudio is not installed (scripts/setup.sh --test installs it)");
        QString why;
        QVERIFY2(pulse_.start(&why), qPrintable(why));
        // One silent two-channel output whose left is the first building and whose right the second,
        // so a single recording shows both and their offset owes nothing to two recorders' starts.
        pactl({"load-module", "module-null-sink", "sink_name=buildings", "channels=2",
               "channel_map=front-left,front-right"});
        pactl({"load-module", "module-remap-sink", "sink_name=buildingA", "master=buildings", "channels=1",
               "master_channel_map=front-left", "channel_map=mono"});
        pactl({"load-module", "module-remap-sink", "sink_name=buildingB", "master=buildings", "channels=1",
               "master_channel_map=front-right", "channel_map=mono"});
    }

    void broadcastIsHeardInBothBuildings() {
        QTemporaryDir dir;
        const QString fifo = dir.filePath(QStringLiteral("snapfifo"));
        const quint16 port = freePort();
        QProcess server;
        QProcess clients[2];
        QProcess recorder;
        std::unique_ptr<Media> broadcast;
        const auto stopAll = qScopeGuard([&] {
            if (broadcast)
                broadcast->stop();
            for (QProcess* p : {&recorder, &clients[0], &clients[1], &server}) {
                p->terminate();
                if (!p->waitForFinished(5000))
                    p->kill();
            }
        });
        server.setProcessChannelMode(QProcess::MergedChannels);
        server.setStandardOutputFile(dir.filePath(QStringLiteral("snapserver.log")));
        server.start(QStringLiteral("snapserver"),
                     {QStringLiteral("--config=%1").arg(dir.filePath(QStringLiteral("none.conf"))),
                      QStringLiteral("--server.datadir=%1").arg(dir.path()),
                      QStringLiteral("--stream.source=pipe://%1?name=school&mode=create").arg(fifo),
                      QStringLiteral("--stream.bind_to_address=127.0.0.1"),
                      QStringLiteral("--stream.port=%1").arg(port), QStringLiteral("--http.enabled=false"),
                      QStringLiteral("--tcp.enabled=false"), QStringLiteral("--logging.sink=stdout")});
        QVERIFY(server.waitForStarted());
        struct stat info {};
        QTRY_VERIFY_WITH_TIMEOUT(
            ::stat(QFile::encodeName(fifo).constData(), &info) == 0 && S_ISFIFO(info.st_mode), kWaitMs);

        const char* sinks[] = {"buildingA", "buildingB"};
        for (int i = 0; i < 2; ++i) {
            clients[i].setProcessChannelMode(QProcess::MergedChannels);
            clients[i].setStandardOutputFile(dir.filePath(QStringLiteral("snapclient%1.log").arg(i)));
            clients[i].start(
                QStringLiteral("snapclient"),
                {QStringLiteral("--host=127.0.0.1"), QStringLiteral("--port=%1").arg(port),
                 QStringLiteral("--player=pulse"),
                 QStringLiteral("--soundcard=%1").arg(QLatin1String(sinks[i])),
                 QStringLiteral("--hostID=building%1").arg(i), QStringLiteral("--instance=%1").arg(i + 1),
                 QStringLiteral("--logsink=stdout")});
            QVERIFY(clients[i].waitForStarted());
        }

        recorder.setStandardOutputFile(dir.filePath(QStringLiteral("buildings.raw")));
        recorder.start(
            QStringLiteral("parec"),
            {QStringLiteral("--device=buildings.monitor"), QStringLiteral("--format=s16le"),
             QStringLiteral("--rate=48000"), QStringLiteral("--channels=2"), QStringLiteral("--raw")});
        QVERIFY(recorder.waitForStarted());

        const QString tone = dir.filePath(QStringLiteral("tone.wav"));
        QFile wav(tone);
        QVERIFY(wav.open(QIODevice::WriteOnly));
        wav.write(toneWav());
        wav.close();
        // The program's own loudspeakers are the test's fake sink; only the copy goes anywhere.
        GstMediaFactory factory(QFile::encodeName(fifo));
        broadcast = factory.createForBroadcast();
        broadcast->setFileName(tone);
        broadcast->play();

        // Heard in both, whole: the tone's start in each channel of the recording, and all of it after.
        QByteArray pcm;
        const auto heardInBoth = [&] {
            QFile raw(dir.filePath(QStringLiteral("buildings.raw")));
            pcm = raw.open(QIODevice::ReadOnly) ? raw.readAll() : QByteArray();
            pcm.chop(pcm.size() % 4);
            const qsizetype first = onset(pcm, 0);
            const qsizetype second = onset(pcm, 1);
            return first >= 0 && second >= 0 &&
                   pcm.size() / 4 > std::max(first, second) + kRate * (kToneMs + 200) / 1000;
        };
        QTRY_VERIFY2_WITH_TIMEOUT(heardInBoth(), qPrintable(logs(dir)), kWaitMs);
        const qsizetype a = onset(pcm, 0);
        const qsizetype b = onset(pcm, 1);
        for (const auto& [channel, start] : {std::pair{0, a}, std::pair{1, b}}) {
            QVERIFY2(std::abs(pitch(pcm, channel, start) - kToneHz) < 50,
                     qPrintable(QString::number(pitch(pcm, channel, start))));
            QVERIFY2(std::abs(unbrokenMs(pcm, channel, start) - kToneMs) <= 30,
                     qPrintable(QStringLiteral("building %1 heard %2 ms of the %3 ms tone unbroken")
                                    .arg(channel)
                                    .arg(unbrokenMs(pcm, channel, start))
                                    .arg(kToneMs)));
        }
        qInfo("The tone started %.2f ms later in the second building than in the first",
              double(b - a) * 1000.0 / kRate);
    }

private:
    void pactl(const QStringList& arguments) {
        QProcess p;
        p.start(QStringLiteral("pactl"), arguments);
        QVERIFY(p.waitForFinished(10000));
        QVERIFY2(p.exitCode() == 0, qPrintable(QString::fromLocal8Bit(p.readAllStandardError())));
    }
    static QString logs(const QTemporaryDir& dir) {
        QString all;
        for (const char* name : {"snapserver.log", "snapclient0.log", "snapclient1.log"}) {
            QFile f(dir.filePath(QLatin1String(name)));
            if (f.open(QIODevice::ReadOnly))
                all += QLatin1String(name) + QStringLiteral(":\n") +
                       QString::fromLocal8Bit(f.readAll().right(2000));
        }
        return all;
    }

    fakes::PrivatePulse pulse_;
};

QTEST_GUILESS_MAIN(SnapcastTest)
#include "snapcast_test.moc"
