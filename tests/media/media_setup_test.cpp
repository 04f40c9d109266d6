// How a media component finds its output and turns a path into something GStreamer opens.

#include <QDir>
#include <QTest>

#include "media/audio_sink.h"
#include "media/gst_backend.h"
#include "media/media_uri.h"

class MediaSetupTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(quel::initMedia()); }

    void audioSink_data() {
        QTest::addColumn<QByteArray>("setting");
        QTest::addColumn<QString>("made");
        QTest::addRow("an element name makes that element") << QByteArray("fakeaudiosink") << "fakeaudiosink";
        QTest::addRow("spaces around a name are ignored") << QByteArray("  fakesink \n") << "fakesink";
        QTest::addRow("a chain makes a bin") << QByteArray("audioconvert ! fakesink") << "bin";
        QTest::addRow("no setting leaves the choice to playbin") << QByteArray() << "";
        QTest::addRow("an unknown name leaves the choice to playbin") << QByteArray("nosuchsink") << "";
        QTest::addRow("a chain with an unknown element leaves the choice to playbin")
            << QByteArray("audioconvert ! nosuchsink") << "";
        QTest::addRow("a chain that does not parse leaves the choice to playbin")
            << QByteArray("audioconvert ! ! fakesink") << "";
    }
    void audioSink() {
        QFETCH(QByteArray, setting);
        QFETCH(QString, made);
        GstElement* sink = quel::makeAudioSink(setting);
        if (made.isEmpty()) {
            QVERIFY(!sink);
            return;
        }
        QVERIFY(sink);
        QVERIFY(!g_object_is_floating(sink));
        const QString kind = GST_IS_BIN(sink) && made == QLatin1String("bin")
                                 ? QStringLiteral("bin")
                                 : QString::fromUtf8(GST_OBJECT_NAME(gst_element_get_factory(sink)));
        gst_object_unref(sink);
        QCOMPARE(kind, made);
    }

    void uri_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("uri");
        QTest::addRow("an absolute path becomes a file URI") << "/srv/bells/a.wav"
                                                             << "file:///srv/bells/a.wav";
        QTest::addRow("spaces, # and Chinese are escaped")
            << "/srv/上课 铃/#1.mp3"
            << "file:///srv/%E4%B8%8A%E8%AF%BE%20%E9%93%83/%231.mp3";
        QTest::addRow("a relative path is taken from the working folder")
            << "bells/a.wav" << QUrl::fromLocalFile(QDir::current().filePath("bells/a.wav")).toString();
        QTest::addRow("a URI is kept") << "http://radio.example/live.mp3"
                                       << "http://radio.example/live.mp3";
        QTest::addRow("a drive letter is not a scheme")
            << "C:a.wav" << QUrl::fromLocalFile(QDir::current().filePath("C:a.wav")).toString();
    }
    void uri() {
        QFETCH(QString, path);
        QFETCH(QString, uri);
        QCOMPARE(QString::fromUtf8(quel::mediaUri(path)), uri);
    }
};

QTEST_GUILESS_MAIN(MediaSetupTest)
#include "media_setup_test.moc"
