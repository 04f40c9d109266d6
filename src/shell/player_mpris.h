#pragma once

#include <QDBusConnection>
#include <QObject>
#include <memory>

#include "remote/mpris_player.h"
#include "remote/mpris_service.h"

namespace quel {

class Broadcaster;
class PlayerSession;

// The loaded broadcast player as the desktop's media controls see it: its playback loop, its list and
// its order, its media component's volume. Every control first checks that the session is still the
// broadcaster's own: between an unload and the session's deletion a late call from the bus must not
// make an unloaded player sound.
class SessionMprisPlayer final : public MprisPlayer {
    Q_OBJECT
public:
    // The quietest volume the desktop's slider reaches; 0 there is silence, as a person expects.
    static constexpr int kSilence = -10000;

    SessionMprisPlayer(Broadcaster& broadcaster, PlayerSession& session, QObject* parent = nullptr);

    State state() const override;
    Track track() const override;
    double position() const override;
    void setPosition(double seconds) override;
    double volume() const override;
    void setVolume(double linear) override;
    Loop loop() const override;
    void setLoop(Loop loop) override;
    bool shuffle() const override;
    void setShuffle(bool on) override;
    bool canGoNext() const override;
    bool canGoPrevious() const override;

    void play() override;
    void pause() override;
    void stop() override;
    void next() override;
    void previous() override;
    void raise() override;

private:
    bool live() const;
    int following() const;

    Broadcaster& broadcaster_;
    PlayerSession& session_;
};

// Publishes the broadcast player on `bus` while it is loaded and withdraws it when it unloads.
class PlayerMpris : public QObject {
    Q_OBJECT
public:
    PlayerMpris(Broadcaster& broadcaster, QDBusConnection bus, QObject* parent = nullptr);
    ~PlayerMpris() override;

    bool isPublished() const { return service_.isPublished(); }

private:
    void follow();

    Broadcaster& broadcaster_;
    MprisService service_;
    PlayerSession* session_ = nullptr;
    std::unique_ptr<SessionMprisPlayer> player_;
};

}  // namespace quel
