// A MIDI file, as the play list's filters offer them, plays to its end through the fluidsynth
// decoder with the soundfont the set-up script installs.

#include <gst/gst.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "media/audio_sink.h"
#include "media/gst_backend.h"
#include "media/gst_media.h"
#include "platform/files.h"

using namespace quel;

namespace {

// Format 0, 96 ticks a quarter note at the default 120 beats a minute: one note of half a second.
QByteArray oneNote() {
    const QByteArray track = QByteArray::fromHex(
        "00c000"
        "00903c64"
        "60803c40"
        "00ff2f00");
    QByteArray file = QByteArray::fromHex(
                          "4d546864"
                          "00000006"
                          "0000"
                          "0001"
                          "0060") +
                      "MTrk";
    const quint32 size = quint32(track.size());
    file += char(size >> 24);
    file += char(size >> 16);
    file += char(size >> 8);
    file += char(size);
    return file + track;
}

}  // namespace

class MidiTest : public QObject {
    Q_OBJECT
private slots:
    void aMidiFilePlaysToItsEnd() {
        if (qEnvironmentVariableIsEmpty(kAudioSinkVariable))
            qputenv(kAudioSinkVariable, "fakeaudiosink");
        QVERIFY(initMedia());
        GstElementFactory* decoder = gst_element_factory_find("fluiddec");
        if (!decoder)
            QSKIP("GStreamer's fluidsynth decoder is not installed");
        gst_object_unref(decoder);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("铃声.mid"));
        QVERIFY(DiskFiles().write(path, oneNote()));

        GstMedia media;
        QSignalSpy ended(&media, &Media::endOfStream);
        QSignalSpy failed(&media, &Media::failed);
        media.setFileName(path);
        QVERIFY(ended.wait(15000));
        QVERIFY(failed.isEmpty());
        QVERIFY(media.duration() > 0.3);
    }
};

QTEST_MAIN(MidiTest)
#include "midi_test.moc"
