#include "player/announcement.h"

#include "platform/media.h"

namespace quel {

Announcement::Announcement(Media& media, QObject* parent) : QObject(parent), media_(media) {
    connect(&media_, &Media::endOfStream, this, [this] {
        if (owns()) {
            next();
        }
    });
    // A file that cannot play is skipped as if it had ended; a whole stream's failure means none of
    // its files could.
    connect(&media_, &Media::failed, this, [this](const QString& path) {
        if (owns() && path == media_.fileName()) {
            next();
        }
    });
}

bool Announcement::owns() const {
    return index_ >= 0 && media_.fileName() == paths_.at(index_);
}

void Announcement::start(const QStringList& paths) {
    stop();
    paths_ = paths;
    index_ = -1;
    next();
}

void Announcement::stop() {
    if (owns()) {
        media_.stop();
        media_.setFileName(QString());
    }
    index_ = -1;
}

void Announcement::next() {
    if (index_ + 1 < paths_.size()) {
        ++index_;
        // As one stream where the component can: the words then follow each other without a pause.
        if (paths_.size() - index_ > 1 && media_.setFileNames(paths_.mid(index_))) {
            const QString first = paths_.at(index_);
            paths_ = {first};
            index_ = 0;
            return;
        }
        media_.setFileName(paths_.at(index_));
        return;
    }
    stop();
    emit finished();
}

}  // namespace quel
