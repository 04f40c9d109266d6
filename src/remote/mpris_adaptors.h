#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QStringList>
#include <QVariantMap>

#include "remote/mpris_player.h"

namespace quel {

// org.mpris.MediaPlayer2: the program as a media player application.
class MprisRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ canQuit)
    Q_PROPERTY(bool CanRaise READ canRaise)
    Q_PROPERTY(bool HasTrackList READ hasTrackList)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes)
public:
    MprisRootAdaptor(QObject* root, MprisPlayer& player);

    // Quitting the program is the operator's decision at the program itself, never a media key's.
    bool canQuit() const { return false; }
    bool canRaise() const { return true; }
    bool hasTrackList() const { return false; }
    QString identity() const;
    QString desktopEntry() const;
    QStringList supportedUriSchemes() const { return {}; }
    QStringList supportedMimeTypes() const { return {}; }

public slots:
    void Raise();
    void Quit() {}

private:
    MprisPlayer& player_;
};

// org.mpris.MediaPlayer2.Player: the broadcast player's controls and what it plays.
class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(QString LoopStatus READ loopStatus WRITE setLoopStatus)
    Q_PROPERTY(double Rate READ rate WRITE setRate)
    Q_PROPERTY(bool Shuffle READ shuffle WRITE setShuffle)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(double MinimumRate READ rate)
    Q_PROPERTY(double MaximumRate READ rate)
    Q_PROPERTY(bool CanGoNext READ canGoNext)
    Q_PROPERTY(bool CanGoPrevious READ canGoPrevious)
    Q_PROPERTY(bool CanPlay READ canPlay)
    Q_PROPERTY(bool CanPause READ canPause)
    Q_PROPERTY(bool CanSeek READ canSeek)
    Q_PROPERTY(bool CanControl READ canControl)
public:
    MprisPlayerAdaptor(QObject* root, MprisPlayer& player, QDBusConnection bus);

    QString playbackStatus() const;
    QString loopStatus() const;
    void setLoopStatus(const QString& status);
    double rate() const { return 1.0; }
    void setRate(double) {}
    bool shuffle() const { return player_.shuffle(); }
    void setShuffle(bool on) { player_.setShuffle(on); }
    QVariantMap metadata() const { return mprisMetadata(player_.track()); }
    double volume() const { return player_.volume(); }
    void setVolume(double linear);
    qlonglong position() const;
    bool canGoNext() const { return player_.canGoNext(); }
    bool canGoPrevious() const { return player_.canGoPrevious(); }
    bool canPlay() const { return !player_.track().path.isEmpty() || player_.canGoNext(); }
    bool canPause() const { return true; }
    bool canSeek() const { return player_.track().lengthSeconds > 0; }
    bool canControl() const { return true; }

public slots:
    void Next() { player_.next(); }
    void Previous() { player_.previous(); }
    void Pause() { player_.pause(); }
    void PlayPause();
    void Stop() { player_.stop(); }
    void Play() { player_.play(); }
    void Seek(qlonglong offsetMicroseconds);
    void SetPosition(const QDBusObjectPath& trackId, qlonglong positionMicroseconds);
    // No address can be opened: the player plays its lists.
    void OpenUri(const QString& uri, const QDBusMessage& message);

signals:
    void Seeked(qlonglong positionMicroseconds);

private:
    QVariantMap snapshot() const;
    void announceChanges();

    MprisPlayer& player_;
    QDBusConnection bus_;
    QVariantMap announced_;
};

}  // namespace quel
