#pragma once

#include <QObject>
#include <QStringList>

namespace quel {

class Media;

// A short queue of sound files played once through the player's component, beside the play list
// and its loop, so an announcement never becomes the list or touches its file. It lets go of the
// component as soon as anyone else opens a file in it.
class Announcement : public QObject {
    Q_OBJECT
public:
    explicit Announcement(Media& media, QObject* parent = nullptr);

    void start(const QStringList& paths);
    // Silence, if the component still plays one of ours.
    void stop();
    bool isPlaying() const { return owns(); }

signals:
    void finished();

private:
    bool owns() const;
    void next();

    Media& media_;
    QStringList paths_;
    int index_ = -1;
};

}  // namespace quel
