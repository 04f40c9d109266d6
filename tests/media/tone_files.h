#pragma once

// Sound files for media tests and benchmarks, rendered by GStreamer itself so that no tool or sample
// file is needed: a stereo 440 Hz sine of a chosen length and level.

#include <gst/gst.h>

#include <QFile>
#include <QString>

namespace quel::testing {

enum class ToneFormat { Wav, Mp3, Ogg, Flac };

inline constexpr int kToneRate = 44100;
inline constexpr int kToneSamplesPerBuffer = 441;  // 10 ms
inline constexpr double kToneAmplitude = 0.5;
inline constexpr GstClockTime kRenderTimeout = 30 * GST_SECOND;

inline const char* toneEncoder(ToneFormat format) {
    switch (format) {
        case ToneFormat::Wav:
            return "wavenc";
        case ToneFormat::Mp3:
            return "lamemp3enc target=bitrate bitrate=128 cbr=true";
        case ToneFormat::Ogg:
            return "vorbisenc ! oggmux";
        case ToneFormat::Flac:
            return "flacenc";
    }
    return "wavenc";
}

// Runs a pipeline whose `filesink name=out` writes `path`; returns the empty text on success,
// otherwise what went wrong.
inline QString render(const QByteArray& description, const QString& path) {
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(description.constData(), &error);
    if (error) {
        const QString why = QString::fromUtf8(error->message);
        g_clear_error(&error);
        if (pipeline) {
            gst_object_unref(pipeline);
        }
        return why;
    }
    GstElement* out = gst_bin_get_by_name(GST_BIN(pipeline), "out");
    g_object_set(out, "location", QFile::encodeName(path).constData(), nullptr);
    gst_object_unref(out);

    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* done =
        gst_bus_timed_pop_filtered(bus, kRenderTimeout, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    QString why;
    if (!done) {
        why = QStringLiteral("rendering timed out");
    } else if (GST_MESSAGE_TYPE(done) == GST_MESSAGE_ERROR) {
        gst_message_parse_error(done, &error, nullptr);
        why = QString::fromUtf8(error->message);
        g_clear_error(&error);
    }
    if (done) {
        gst_message_unref(done);
    }
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return why;
}

// Writes the tone to `path`; returns the empty text on success, otherwise what went wrong.
inline QString writeTone(const QString& path, ToneFormat format, double seconds,
                         double amplitude = kToneAmplitude) {
    const int buffers = qRound(seconds * kToneRate / kToneSamplesPerBuffer);
    const QByteArray description =
        QStringLiteral(
            "audiotestsrc num-buffers=%1 samplesperbuffer=%2 volume=%3 ! audio/x-raw,rate=%4,channels=2 "
            "! audioconvert ! %5 ! filesink name=out")
            .arg(buffers)
            .arg(kToneSamplesPerBuffer)
            .arg(amplitude, 0, 'f', 4)
            .arg(kToneRate)
            .arg(QLatin1String(toneEncoder(format)))
            .toUtf8();
    return render(description, path);
}

// A one-second video with sound: 25 frames of a test picture, JPEG in AVI, with a tone beside it.
inline QString writeVideo(const QString& path) {
    return render(
        "videotestsrc num-buffers=25 ! video/x-raw,width=160,height=120,framerate=25/1 ! jpegenc "
        "! avimux name=mux ! filesink name=out audiotestsrc num-buffers=25 samplesperbuffer=1764 "
        "! audio/x-raw,rate=44100,channels=2,format=S16LE ! mux.",
        path);
}

// A video of one plain colour (a videotestsrc pattern: "red", "blue", ...) at `width` x `height`, 25
// frames a second, with a tone beside it.
inline QString writePlainVideo(const QString& path, int width, int height, const char* pattern, int frames) {
    const QByteArray description =
        QStringLiteral(
            "videotestsrc pattern=%1 num-buffers=%2 ! video/x-raw,width=%3,height=%4,framerate=25/1 ! "
            "jpegenc "
            "! avimux name=mux ! filesink name=out audiotestsrc num-buffers=%2 samplesperbuffer=1764 "
            "! audio/x-raw,rate=44100,channels=2,format=S16LE ! mux.")
            .arg(QLatin1String(pattern))
            .arg(frames)
            .arg(width)
            .arg(height)
            .toUtf8();
    return render(description, path);
}

}  // namespace quel::testing
