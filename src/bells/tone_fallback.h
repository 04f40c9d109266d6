#pragma once

#include <QObject>
#include <QString>

#include "platform/media.h"

namespace quel {

// Makes a bell ring even when its file cannot: when a sound of the component fails for its file's
// sake (missing, not a sound), the built-in tone rings on the same component instead. Every failure is
// said through soundFailed, so the history and the tray tell which file failed and why. A sound output
// that is gone is not the file's fault and has no fallback, since nothing can sound; each sound it
// silences is said, marked as told before until a sound has played in between.
class ToneFallback : public QObject {
    Q_OBJECT
public:
    ToneFallback(Media& media, QObject* parent = nullptr);

    // Start-up hands in the built-in tone once it has found the program's sounds.
    void setBuiltInTone(const QString& path) { builtInTone_ = path; }
    const QString& builtInTone() const { return builtInTone_; }

    // "文件不存在，已改响内置铃声": the history's reason for a failure.
    static QString describe(const MediaFault& fault, bool fellBack);

signals:
    // `path` did not play for `fault`; `fellBack` when the built-in tone was started in its place;
    // `toldBefore` when the output was already known to be gone.
    void soundFailed(const QString& path, const quel::MediaFault& fault, bool fellBack, bool toldBefore);

private:
    void onFailed(const QString& path, const MediaFault& fault);

    Media& media_;
    QString builtInTone_;
    bool outputDown_ = false;
};

}  // namespace quel
