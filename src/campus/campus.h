#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "campus/clock_state.h"
#include "campus/followers_seen.h"
#include "campus/manifest.h"
#include "campus/source.h"
#include "platform/clock.h"

namespace quel::campus {

// Where the campus writes what happened: the shell hands in the program's history.
class CampusLog {
public:
    virtual ~CampusLog() = default;
    // `failed`: a refusal or a fault, as against what simply happened.
    virtual void write(const QString& what, const QString& result, bool failed) = 0;
};

enum class Role { Off, Source, Follower };

struct CampusResult {
    bool ok = false;
    QString message;
};

struct CampusStatus {
    Role role = Role::Off;
    QString address;     // the follower's source, or the source's bundle folder
    qint64 version = 0;  // of the bundle in use (follower) or last published (source); 0: none
    QDateTime published;
    QDateTime lastFetch;  // the last sync attempt, by the program's clock
    QString lastResult;
    bool lastOk = true;
    ClockState clock;
    QString publicKey;  // the source's, as the operator copies it
};

// One PC of a campus. A source (主控) publishes its tables into a bundle folder, again whenever what it
// would publish changed; a follower (分控) fetches the bundle at start and every minute, checks it and
// rings from it, and keeps its last good copy through every failure. Off, it touches nothing.
class Campus : public QObject {
    Q_OBJECT
public:
    using SourceFactory = std::function<std::unique_ptr<BundleSource>(const QString& address)>;
    using Answer = std::function<void(const CampusResult&)>;
    static constexpr qint64 kSyncIntervalMs = 60 * 1000;
    // A command typed at another terminal waits for its answer about ten seconds; a fetch still going
    // by then is answered as going on rather than left to look like a program that hangs.
    static constexpr qint64 kAnswerWithinMs = 8000;

    Campus(const Clock& clock, QString programFolder, CampusLog& log, ClockStateReader& clockState,
           SourceFactory sources = sourceFor, QObject* parent = nullptr);
    ~Campus() override;

    // Reads the role kept in the program folder, finishes an install a stop interrupted, and starts
    // the first sync or publication.
    void start();

    // Makes this PC the source publishing into `folder`; the message's last line is the public key.
    CampusResult publish(const QString& folder);
    // Makes this PC a follower of the bundle at `address`, signed by the key `publicKeyText`.
    CampusResult follow(const QString& address, const QString& publicKeyText);
    CampusResult stop();
    // A follower fetches now; a source publishes now.
    CampusResult syncNow();

    // As follow() and syncNow(), answered once the fetch they start has ended (installed, unchanged
    // or refused), or after kAnswerWithinMs by the program's clock. `answer` is called exactly once,
    // possibly before these return.
    void followThen(const QString& address, const QString& publicKeyText, Answer answer);
    void syncThen(Answer answer);

    // Called every second by the program's tick: syncs or republishes once a minute, and reads the
    // clock's state.
    void onTick();

    CampusStatus status() const { return status_; }
    // A source's followers that fetched within kFollowersWindowSecs: from its web server's access log,
    // and from what the program's own web server heard while it offered the bundle.
    static constexpr qint64 kFollowersWindowSecs = 60 * 60;
    FollowersSeen recentFollowers() const;
    // Whether the program's own web server offers this source's bundle now.
    void setServedHere(bool served) { servedHere_ = served; }
    // A request the program's own web server answered from the bundle folder (`target`: its path and
    // query); a follower's fetch of the manifest counts.
    void noteServed(const QString& address, const QString& method, const QString& target, int status);
    bool busy() const { return job_ != nullptr; }
    // While following, the tables are the source's: editing them here would be overwritten.
    bool editingLocked() const { return status_.role == Role::Follower; }
    QString lockNotice() const;

signals:
    // A new bundle is in place: the tables and settings must be read again.
    void installed();
    void statusChanged();
    void syncFinished(bool ok, const QString& message);

private:
    struct Job;
    // A request from afar waiting for the end of a fetch.
    struct Waiter {
        qint64 deadlineMs = 0;
        QString prefix;  // what was already done, said before the fetch's own result
        Answer answer;
    };
    void answerWaiters(bool ok, const QString& message);
    void answerLateWaiters();
    void loadRole();
    void startSync();
    void finishSync(bool ok, const QString& message, bool changed);
    void fetchNextFile();
    void readClock();
    QString fingerprint() const;
    void record(const QString& result, bool failed = false);

    const Clock& clock_;
    QString programFolder_;
    CampusLog& log_;
    ClockStateReader& clockState_;
    SourceFactory sources_;
    std::unique_ptr<BundleSource> source_;
    QByteArray publicKey_;
    std::unique_ptr<Job> job_;
    std::vector<Waiter> waiters_;
    CampusStatus status_;
    qint64 nextSyncMs_ = 0;
    qint64 nextClockMs_ = 0;
    QString publishedFingerprint_;
    bool started_ = false;
    bool servedHere_ = false;
    FollowersHeard heard_;
};

}  // namespace quel::campus
