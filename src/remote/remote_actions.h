#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

namespace quel {

// What an operator away from the PC may ask of the running program, whichever way the request came
// in (the command line through the instance socket, D-Bus, the page for a phone). Each answer is one
// line a person can read, so every way in reports the same words.
struct ActionResult {
    bool ok = false;
    QString message;
};

// The day's state as the ways in show it.
struct RemoteStatus {
    QString todayTable;       // the table's file name
    QString todayReason;      // why that table applies today; empty when nothing chose it
    QStringList nextEntries;  // what rings next, soonest first, each as the status line words it
    QString playing;          // the broadcast's current track, empty when silent
    bool emergency = false;
    // The campus (多机同步) as one fact a line: role, bundle, last fetch, clock, followers. Empty while
    // this PC is on none.
    QStringList campus{};
};

// Implemented by the shell over the tick, the router and the features; the ways in know only this.
class RemoteActions : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // `file` empty rings the built-in tone.
    virtual ActionResult ringNow(const QString& file) = 0;
    // The broadcast goes on to the next track of its list.
    virtual ActionResult next() = 0;
    // Only the next bell: the one after it rings as usual.
    virtual ActionResult skipNext() = 0;
    virtual ActionResult broadcast(const QString& playList, bool random) = 0;
    virtual ActionResult stop() = 0;
    virtual ActionResult say(bool female) = 0;
    virtual ActionResult emergency(bool on) = 0;
    virtual RemoteStatus status() const = 0;

    // The campus (多机同步). A follower's fetch takes a while, so these answer through `answer`, exactly
    // once, when what they started has ended; possibly before they return. A program without a campus
    // refuses them.
    using Answer = std::function<void(const ActionResult&)>;
    // Publishes this PC's tables into `folder`; the answer's last line is the public key.
    virtual void campusPublish(const QString& /*folder*/, const Answer& answer) { answer(noCampus()); }
    virtual void campusFollow(const QString& /*address*/, const QString& /*publicKey*/,
                              const Answer& answer) {
        answer(noCampus());
    }
    virtual void campusSync(const Answer& answer) { answer(noCampus()); }

protected:
    static ActionResult noCampus() { return {false, QStringLiteral("这里没有多机同步")}; }

signals:
    // An entry of the table fired: its time and its response, as the table holds them.
    void entryFired(const QString& time, const QString& response);
    void statusChanged();
};

}  // namespace quel
