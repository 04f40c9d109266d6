// Video on a real X display (CTest runs this under xvfb-run): the sink draws the picture into the player
// window's video view itself, in proportion and fitted anew when the window changes size, and a
// component whose window is taken back mid-track goes on with images from where it was. Offscreen,
// where no sink can draw into a window, every case is skipped.

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "fakes/fake_platform.h"
#include "media/audio_sink.h"
#include "media/gst_backend.h"
#include "media/gst_media.h"
#include "media/tone_files.h"
#include "platform/settings_names.h"
#include "player/broadcaster.h"
#include "player/player_session.h"
#include "player/video_view.h"

using namespace quel;
using namespace quel::fakes;

namespace {

constexpr int kFrames = 250;          // ten seconds: time enough to look at it and resize
constexpr int kColourTolerance = 48;  // JPEG and the conversions to and from YUV move plain colours
constexpr int kEdgeInset = 4;         // pixels inside or outside an edge of the picture that are checked

bool hasElement(const char* name) {
    GstElementFactory* factory = gst_element_factory_find(name);
    if (factory) {
        gst_object_unref(factory);
    }
    return factory != nullptr;
}

bool near(QRgb pixel, QColor expected) {
    return qAbs(qRed(pixel) - expected.red()) <= kColourTolerance &&
           qAbs(qGreen(pixel) - expected.green()) <= kColourTolerance &&
           qAbs(qBlue(pixel) - expected.blue()) <= kColourTolerance;
}

// What the display shows in the view, read back from the X server: what the sink drew, not what Qt
// believes it painted. Empty when the picture is right; otherwise where it is wrong.
QString pictureFault(QWidget* view, QSize video, QColor colour) {
    const QImage shot = view->screen()->grabWindow(view->winId()).toImage();
    if (shot.size() != view->size()) {
        return QStringLiteral("grabbed %1x%2").arg(shot.width()).arg(shot.height());
    }
    const QSize fitted = video.scaled(view->size(), Qt::KeepAspectRatio);
    const QRect picture(QPoint((view->width() - fitted.width()) / 2, (view->height() - fitted.height()) / 2),
                        fitted);
    const QPoint centre = picture.center();
    QList<QPair<QPoint, QColor>> checks = {
        {centre, colour},
        {{picture.left() + kEdgeInset, centre.y()}, colour},
        {{picture.right() - kEdgeInset, centre.y()}, colour},
        {{centre.x(), picture.top() + kEdgeInset}, colour},
        {{centre.x(), picture.bottom() - kEdgeInset}, colour},
    };
    // The bars beside a picture of other proportions stay black.
    if (picture.left() > 2 * kEdgeInset) {
        checks.append({{picture.left() - kEdgeInset, centre.y()}, Qt::black});
        checks.append({{picture.right() + kEdgeInset, centre.y()}, Qt::black});
    }
    if (picture.top() > 2 * kEdgeInset) {
        checks.append({{centre.x(), picture.top() - kEdgeInset}, Qt::black});
        checks.append({{centre.x(), picture.bottom() + kEdgeInset}, Qt::black});
    }
    for (const auto& [point, expected] : checks) {
        const QRgb seen = shot.pixel(point);
        if (!near(seen, expected)) {
            return QStringLiteral("at %1,%2 of %3x%4: %5 instead of %6")
                .arg(point.x())
                .arg(point.y())
                .arg(view->width())
                .arg(view->height())
                .arg(QColor(seen).name(), expected.name());
        }
    }
    return {};
}

}  // namespace

class VideoWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            QSKIP("needs an X11 display (run under xvfb-run with QT_QPA_PLATFORM=xcb)");
        }
        if (qEnvironmentVariableIsEmpty(kAudioSinkVariable))
            qputenv(kAudioSinkVariable, "fakeaudiosink");
        QVERIFY(initMedia());
        if (!hasElement("ximagesink") && !hasElement("xvimagesink")) {
            QSKIP("no X11 video sink installed (Debian package gstreamer1.0-x)");
        }
        QVERIFY(dir_.isValid());
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("PlayListFile")));
        QCOMPARE(testing::writePlainVideo(wide(), 320, 120, "red", kFrames), QString());
        QCOMPARE(testing::writePlainVideo(tall(), 120, 240, "blue", kFrames), QString());
        QVERIFY(DiskFiles().writeText(dir_.filePath(settings::kDefaultPlf),
                                      dir_.filePath(settings::kDefaultPlayList)));
        QVERIFY(DiskFiles().write(dir_.filePath(settings::kDefaultPlayList), {}));
    }

    void theSinkDrawsThePictureInProportion_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("video");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<QSize>("resizedTo");  // empty: as the window first shows
        // Qt repaints the view while nothing new is drawn: it must not paint over the last picture.
        QTest::addColumn<bool>("pausedAndRepainted");
        QTest::addRow("a wide picture between bars above and below")
            << wide() << QSize(320, 120) << QColor(Qt::red) << QSize() << false;
        QTest::addRow("a tall picture between bars left and right")
            << tall() << QSize(120, 240) << QColor(Qt::blue) << QSize() << false;
        QTest::addRow("a wide picture after the window grew")
            << wide() << QSize(320, 120) << QColor(Qt::red) << QSize(900, 700) << false;
        QTest::addRow("a tall picture after the window shrank")
            << tall() << QSize(120, 240) << QColor(Qt::blue) << QSize(420, 520) << false;
        QTest::addRow("a paused picture after the view repainted")
            << wide() << QSize(320, 120) << QColor(Qt::red) << QSize() << true;
    }

    void theSinkDrawsThePictureInProportion() {
        QFETCH(QString, file);
        QFETCH(QSize, video);
        QFETCH(QColor, colour);
        QFETCH(QSize, resizedTo);
        QFETCH(bool, pausedAndRepainted);
        FakePlatform fake(dir_.path());
        GstMediaFactory gst;
        Platform platform = fake.withMedia(gst);
        Broadcaster broadcaster(platform);
        const QString list = dir_.filePath(QStringLiteral("PlayListFile/v.PLF"));
        QVERIFY(DiskFiles().writeText(list, '|' + file));
        broadcaster.broadcastOn(list, PlayOrder::Stored);
        QWidget* window = broadcaster.window();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        auto* view = window->findChild<VideoView*>(QStringLiteral("Video"));
        QVERIFY(view->drawnBySink());
        QTRY_VERIFY_WITH_TIMEOUT(view->isVisible(), 5000);
        if (!resizedTo.isEmpty()) {
            const QSize before = view->size();
            window->resize(resizedTo);
            QTRY_VERIFY(view->size() != before);
        }
        QTRY_COMPARE_WITH_TIMEOUT(pictureFault(view, video, colour), QString(), 5000);
        if (pausedAndRepainted) {
            broadcaster.session()->playback().pause();
            QTest::qWait(300);  // a frame already on its way lands before the repaint, not after it
            view->repaint();
            QCOMPARE(pictureFault(view, video, colour), QString());
        }
        // Not one frame went the dear way, through images painted by Qt.
        QCOMPARE(view->framesShown(), 0);
    }

    // The window handed over or taken back while a file plays: the file goes on from where it was, the
    // picture comes the new way, and the file still ends once.
    void theWindowChangesMidTrack_data() {
        QTest::addColumn<bool>("drawnFirst");
        QTest::addRow("taken back: frames come as images") << true;
        QTest::addRow("handed over: the sink draws") << false;
    }

    void theWindowChangesMidTrack() {
        QFETCH(bool, drawnFirst);
        const QString clip = dir_.filePath(QStringLiteral("short.avi"));
        if (!QFile::exists(clip)) {
            QCOMPARE(testing::writePlainVideo(clip, 160, 120, "green", 75), QString());
        }
        QWidget target;
        target.resize(320, 240);
        target.setAttribute(Qt::WA_NativeWindow);
        target.show();
        QVERIFY(QTest::qWaitForWindowExposed(&target));
        const quintptr window = target.winId();

        GstMedia media;
        media.setVideoEnabled(true);
        QCOMPARE(media.setVideoWindow(drawnFirst ? window : 0), drawnFirst);
        QSignalSpy frames(&media, &Media::frameShown);
        QSignalSpy drawn(&media, &Media::videoDrawn);
        QSignalSpy ended(&media, &Media::endOfStream);
        media.setFileName(clip);
        QTRY_VERIFY_WITH_TIMEOUT(media.position() > 1.0, 5000);
        QCOMPARE(drawn.isEmpty(), !drawnFirst);
        QCOMPARE(frames.isEmpty(), drawnFirst);

        const double before = media.position();
        QCOMPARE(media.setVideoWindow(drawnFirst ? 0 : window), !drawnFirst);
        frames.clear();
        drawn.clear();
        // Started over, the position would pass through the part already played.
        double lowest = before;
        QTimer sampler;
        connect(&sampler, &QTimer::timeout, this, [&] {
            if (ended.isEmpty()) {
                lowest = std::min(lowest, media.position());
            }
        });
        sampler.start(20);
        QVERIFY(ended.wait(10000));
        sampler.stop();
        QVERIFY2(lowest > before - 0.25, qPrintable(QStringLiteral("went back to %1 s").arg(lowest)));
        QCOMPARE(frames.isEmpty(), !drawnFirst);
        QCOMPARE(drawn.isEmpty(), drawnFirst);
        QTest::qWait(300);
        QCOMPARE(ended.size(), 1);
    }

private:
    QString wide() const { return dir_.filePath(QStringLiteral("wide.avi")); }
    QString tall() const { return dir_.filePath(QStringLiteral("tall.avi")); }

    QTemporaryDir dir_;
};

QTEST_MAIN(VideoWindowTest)
#include "video_window_test.moc"
