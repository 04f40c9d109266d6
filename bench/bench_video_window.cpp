// The driver of bench/video_cpu.sh: one video file played by the media component into the player's
// video view, the picture either drawn by the sink into the view's window or painted by Qt from images,
// until the file ends. The script reads its CPU from /proc.
// Usage: bench_video_window FILE window|images WIDTHxHEIGHT

#include <QApplication>
#include <QVBoxLayout>
#include <cstdio>

#include "media/gst_media.h"
#include "player/video_view.h"

using namespace quel;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QStringList size = args.value(3).split(QLatin1Char('x'));
    if (args.size() != 4 || size.size() != 2 || (args.at(2) != "window" && args.at(2) != "images")) {
        std::fprintf(stderr, "usage: bench_video_window FILE window|images WIDTHxHEIGHT\n");
        return 2;
    }
    QWidget top;
    auto* layout = new QVBoxLayout(&top);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* view = new VideoView;
    layout->addWidget(view);
    top.resize(size.at(0).toInt(), size.at(1).toInt());

    GstMedia media;
    media.setVideoEnabled(true);
    const quintptr window = args.at(2) == "window" ? view->windowForSink() : 0;
    if (window && media.setVideoWindow(window)) {
        view->setDrawnBySink(true);
        QObject::connect(&media, &Media::videoDrawn, view, &VideoView::showDrawn);
        QObject::connect(view, &VideoView::windowChanged, &media, &Media::setVideoWindow);
    } else {
        QObject::connect(&media, &Media::frameShown, view, &VideoView::showFrame);
    }
    QObject::connect(&media, &Media::endOfStream, &app, &QApplication::quit);
    QObject::connect(&media, &Media::failed, &app, [&app] { app.exit(1); });
    top.show();
    media.setFileName(args.at(1));
    const int code = app.exec();
    std::printf("%s: %d frames painted from images\n", view->drawnBySink() ? "drawn by the sink" : "images",
                view->framesShown());
    if (view->drawnBySink()) {
        media.setVideoWindow(0);
    }
    return code;
}
