#include "bells/tone_fallback.h"

#include <utility>

#include "platform/files.h"

namespace quel {

namespace {
const QString kCannotPlay = QStringLiteral("无法播放");
const QString kFellBack = QStringLiteral("，已改响内置铃声");
const QString kNotTheFile = QStringLiteral("（不是文件的问题）");
}  // namespace

ToneFallback::ToneFallback(Media& media, QObject* parent) : QObject(parent), media_(media) {
    connect(&media_, &Media::failed, this, &ToneFallback::onFailed);
    // A sound that opened or played shows the output is back.
    connect(&media_, &Media::durationChanged, this, [this] { outputDown_ = false; });
    connect(&media_, &Media::endOfStream, this, [this] { outputDown_ = false; });
}

QString ToneFallback::describe(const MediaFault& fault, bool fellBack) {
    switch (fault.kind) {
        case MediaFault::Kind::Output:
            return fault.reason + kNotTheFile;
        case MediaFault::Kind::File:
            return fellBack ? fault.reason + kFellBack : fault.reason;
        case MediaFault::Kind::Unknown:
            break;
    }
    return fault.reason.isEmpty() ? kCannotPlay : fault.reason;
}

void ToneFallback::onFailed(const QString& failedPath, const MediaFault& fault) {
    // A copy: the signal may hand a reference to the component's own name, which the fallback rewrites.
    const QString path = failedPath;
    if (fault.kind == MediaFault::Kind::Output) {
        emit soundFailed(path, fault, false, std::exchange(outputDown_, true));
        return;
    }
    // The built-in tone failing in its turn is said, and never tried again: no loop between the two.
    const bool fellBack =
        fault.kind == MediaFault::Kind::File && !builtInTone_.isEmpty() && !samePath(path, builtInTone_);
    if (fellBack) {
        media_.stop();
        media_.setFileName(builtInTone_);
        media_.play();
    }
    emit soundFailed(path, fault, fellBack, false);
}

}  // namespace quel
