#include "campus/campus.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "campus/bundle.h"
#include "campus/signing.h"

namespace quel::campus {

namespace {

const QString kRoleName = QStringLiteral("role.txt");
const QString kFollowWord = QStringLiteral("follow");
const QString kPublishWord = QStringLiteral("publish");
const QString kWhat = QStringLiteral("多机同步");
constexpr qint64 kClockIntervalMs = 60 * 1000;

QString followedText(const QString& address) {
    return QStringLiteral("已跟随 %1").arg(address.trimmed());
}

QString rolePath(const QString& programFolder) {
    return programFolder + QLatin1Char('/') + kCampusFolder + QLatin1Char('/') + kRoleName;
}

bool writeRole(const QString& programFolder, const QStringList& lines) {
    if (!QDir().mkpath(programFolder + QLatin1Char('/') + kCampusFolder))
        return false;
    QSaveFile f(rolePath(programFolder));
    const QByteArray bytes = lines.join(QLatin1Char('\n')).toUtf8() + '\n';
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.commit();
}

}  // namespace

// One sync in flight: the manifest it checked and the files still to fetch.
struct Campus::Job {
    QByteArray signedManifest;
    Manifest manifest;
    qsizetype nextFile = 0;
    bool inGet = false;
    bool answered = false;
    // Answers of a source dropped while the job ran are ignored by this.
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);
};

Campus::Campus(const Clock& clock, QString programFolder, CampusLog& log, ClockStateReader& clockState,
               SourceFactory sources, QObject* parent)
    : QObject(parent),
      clock_(clock),
      programFolder_(std::move(programFolder)),
      log_(log),
      clockState_(clockState),
      sources_(std::move(sources)) {}

Campus::~Campus() {
    if (job_)
        *job_->alive = false;
}

QString Campus::lockNotice() const {
    return QStringLiteral("本机是分控，时间表由主控 %1 发布，请在主控上修改。").arg(status_.address);
}

void Campus::record(const QString& result, bool failed) {
    log_.write(kWhat, result, failed);
}

void Campus::loadRole() {
    QFile f(rolePath(programFolder_));
    status_ = CampusStatus{};
    source_.reset();
    publicKey_.clear();
    if (QFileInfo(f).isSymLink() || !f.open(QIODevice::ReadOnly))
        return;
    const QStringList lines = QString::fromUtf8(f.read(64 * 1024)).split(QLatin1Char('\n'));
    if (lines.size() >= 3 && lines[0] == kFollowWord) {
        const std::optional<QByteArray> key = publicKeyFromText(lines[2]);
        std::unique_ptr<BundleSource> source = sources_(lines[1]);
        if (!key || !source) {
            record(QStringLiteral("跟随设置损坏，未同步"), true);
            return;
        }
        status_.role = Role::Follower;
        status_.address = lines[1];
        status_.publicKey = lines[2].trimmed();
        publicKey_ = *key;
        source_ = std::move(source);
        if (const std::optional<Manifest> m = installedManifest(programFolder_)) {
            status_.version = m->version;
            status_.published = m->published;
        }
    } else if (lines.size() >= 2 && lines[0] == kPublishWord) {
        status_.role = Role::Source;
        status_.address = lines[1];
    }
}

void Campus::start() {
    loadRole();
    started_ = true;
    if (status_.role == Role::Follower && resumePendingInstall(programFolder_, publicKey_)) {
        loadRole();
        record(QStringLiteral("完成了上次中断的同步"));
        emit installed();
    }
    nextSyncMs_ = clock_.msecsMonotonic();
    nextClockMs_ = nextSyncMs_;
    onTick();
    emit statusChanged();
}

CampusResult Campus::publish(const QString& folder) {
    const QString target = QDir::cleanPath(folder);
    if (!QDir::isAbsolutePath(target))
        return {false, QStringLiteral("发布文件夹须是完整路径: %1").arg(folder)};
    // A bundle inside the program folder would be collected into itself on the next publication.
    if (target == programFolder_ || target.startsWith(programFolder_ + QLatin1Char('/')))
        return {false, QStringLiteral("发布文件夹不能在程序文件夹里: %1").arg(target)};
    if (status_.role == Role::Follower)
        return {false, QStringLiteral("本机是分控，先取消跟随才能发布")};
    const StoredKeys keys = loadOrMakeKeys(programFolder_);
    if (!keys.keys)
        return {false, keys.error};
    const QString before = fingerprint();
    const PublishResult r = publishBundle(programFolder_, target, *keys.keys, clock_.now());
    if (!r.ok) {
        record(QStringLiteral("发布失败: %1").arg(r.message), true);
        return {false, r.message};
    }
    if (status_.role != Role::Source || status_.address != target) {
        if (!writeRole(programFolder_, {kPublishWord, target}))
            return {false, QStringLiteral("无法保存主控设置")};
    }
    publishedFingerprint_ = before;
    status_.role = Role::Source;
    status_.address = target;
    status_.version = r.manifest.version;
    status_.published = r.manifest.published;
    status_.lastFetch = clock_.now();
    status_.lastOk = true;
    status_.lastResult = r.message;
    status_.publicKey = publicKeyText(keys.keys->publicKey);
    QStringList lines{r.message};
    if (!r.outside.isEmpty())
        lines.push_back(
            QStringLiteral("不在程序文件夹里，未发布: %1").arg(r.outside.join(QStringLiteral(", "))));
    if (!r.missing.isEmpty())
        lines.push_back(QStringLiteral("找不到，未发布: %1").arg(r.missing.join(QStringLiteral(", "))));
    record(lines.join(QStringLiteral("; ")));
    lines.push_back(status_.publicKey);
    emit statusChanged();
    return {true, lines.join(QLatin1Char('\n'))};
}

CampusResult Campus::follow(const QString& address, const QString& publicKeyText) {
    const std::optional<QByteArray> key = publicKeyFromText(publicKeyText);
    if (!key)
        return {false, QStringLiteral("公钥不对: 应是主控发布时给出的 44 个字符")};
    std::unique_ptr<BundleSource> source = sources_(address.trimmed());
    if (!source)
        return {false, QStringLiteral("地址不对: 应是 http(s):// 地址或文件夹的完整路径")};
    if (!writeRole(programFolder_, {kFollowWord, address.trimmed(), publicKeyText.trimmed()}))
        return {false, QStringLiteral("无法保存跟随设置")};
    if (job_) {
        *job_->alive = false;
        job_.reset();
    }
    loadRole();
    record(QStringLiteral("跟随 %1").arg(status_.address));
    emit statusChanged();
    startSync();
    return {true, followedText(status_.address)};
}

CampusResult Campus::stop() {
    if (job_) {
        *job_->alive = false;
        job_.reset();
    }
    answerWaiters(false, QStringLiteral("同步已取消"));
    if (status_.role == Role::Off)
        return {true, QStringLiteral("本机未加入多机同步")};
    if (!QFile::remove(rolePath(programFolder_)))
        return {false, QStringLiteral("无法取消多机同步")};
    record(QStringLiteral("取消多机同步"));
    loadRole();
    emit statusChanged();
    return {true, QStringLiteral("已取消多机同步")};
}

CampusResult Campus::syncNow() {
    switch (status_.role) {
        case Role::Off:
            return {false, QStringLiteral("本机未加入多机同步")};
        case Role::Source:
            return publish(status_.address);
        case Role::Follower:
            if (job_)
                return {false, QStringLiteral("正在同步")};
            startSync();
            return {true, QStringLiteral("开始同步 %1").arg(status_.address)};
    }
    return {};
}

void Campus::followThen(const QString& address, const QString& publicKeyText, Answer answer) {
    // Waiting before the follow starts: a folder answers the fetch before follow() returns.
    waiters_.push_back({clock_.msecsMonotonic() + kAnswerWithinMs, followedText(address), answer});
    const CampusResult r = follow(address, publicKeyText);
    if (!r.ok) {
        // A refusal comes before any fetch, so the waiter just added is still the last.
        waiters_.pop_back();
        answer(r);
    }
}

void Campus::syncThen(Answer answer) {
    if (status_.role != Role::Follower) {
        answer(syncNow());
        return;
    }
    waiters_.push_back({clock_.msecsMonotonic() + kAnswerWithinMs, {}, answer});
    // A fetch already under way is the one this request waits for.
    if (!job_)
        startSync();
}

void Campus::answerWaiters(bool ok, const QString& message) {
    // An answer may start another request; it waits for a fetch of its own.
    std::vector<Waiter> waiting;
    waiting.swap(waiters_);
    for (const Waiter& w : waiting)
        w.answer({ok, w.prefix.isEmpty() ? message : w.prefix + QStringLiteral("; ") + message});
}

void Campus::answerLateWaiters() {
    const qint64 now = clock_.msecsMonotonic();
    std::vector<Waiter> late;
    for (auto it = waiters_.begin(); it != waiters_.end();) {
        if (it->deadlineMs <= now) {
            late.push_back(std::move(*it));
            it = waiters_.erase(it);
        } else {
            ++it;
        }
    }
    // Not a success: nothing is known yet of what the fetch will bring.
    const QString going = QStringLiteral("同步仍在进行，结果见 系统 → 多机同步 → 状态");
    for (const Waiter& w : late)
        w.answer({false, w.prefix.isEmpty() ? going : w.prefix + QStringLiteral("; ") + going});
}

void Campus::onTick() {
    answerLateWaiters();
    // Off, the campus neither reads the clock's state nor writes anything.
    if (!started_ || status_.role == Role::Off)
        return;
    const qint64 now = clock_.msecsMonotonic();
    if (now >= nextClockMs_)
        readClock();
    if (now < nextSyncMs_)
        return;
    nextSyncMs_ = now + kSyncIntervalMs;
    if (status_.role == Role::Follower) {
        if (!job_)
            startSync();
    } else if (fingerprint() != publishedFingerprint_) {
        publish(status_.address);
    }
}

void Campus::readClock() {
    nextClockMs_ = clock_.msecsMonotonic() + kClockIntervalMs;
    const ClockState state = clockState_.read();
    if (state.sync != status_.clock.sync && state.sync == ClockState::Sync::NotSynchronized)
        record(QStringLiteral("系统时钟未同步: %1").arg(state.detail), true);
    if (state != status_.clock) {
        status_.clock = state;
        emit statusChanged();
    }
}

// What the source would publish, by name, size and time of change: a table saved, a sound replaced.
QString Campus::fingerprint() const {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString& path : collectFiles(programFolder_).paths) {
        const QFileInfo info(programFolder_ + QLatin1Char('/') + path);
        hash.addData(path.toUtf8());
        hash.addData(QByteArray::number(info.size()));
        hash.addData(QByteArray::number(info.lastModified().toMSecsSinceEpoch()));
    }
    return QString::fromLatin1(hash.result().toHex());
}

FollowersSeen Campus::recentFollowers() const {
    if (status_.role != Role::Source)
        return {};
    const QDateTime since = clock_.now().toUTC().addSecs(-kFollowersWindowSecs);
    FollowersSeen seen = readFollowersSeen(programFolder_, since);
    const QList<FollowerSeen> heard = heard_.since(since);
    seen.servedHere = servedHere_ || !heard.isEmpty();
    if (heard.isEmpty())
        return seen;
    // A follower may have fetched from both servers: each address once, with its latest fetch.
    FollowersHeard merged = heard_;
    for (const FollowerSeen& f : std::as_const(seen.followers))
        merged.note(f);
    seen.followers = merged.since(since);
    return seen;
}

void Campus::noteServed(const QString& address, const QString& method, const QString& target, int status) {
    if (const std::optional<qint64> version = manifestFetch(method, target, status))
        heard_.note({address, clock_.now().toUTC(), *version});
}

void Campus::startSync() {
    if (!source_)
        return;
    source_->tellInstalled(status_.version);
    job_ = std::make_unique<Job>();
    status_.lastFetch = clock_.now();
    const bool conditional = installedManifest(programFolder_).has_value();
    std::weak_ptr<bool> alive = job_->alive;
    source_->get(
        kManifestName, kMaxManifestBytes + kSignatureBytes, conditional, [this, alive](const Fetched& f) {
            if (alive.expired() || !*alive.lock())
                return;
            if (f.status == Fetched::Status::NotModified) {
                finishSync(true, QStringLiteral("未变化"), false);
                return;
            }
            if (f.status == Fetched::Status::Failed) {
                finishSync(false, QStringLiteral("无法取得同步包，继续使用原有版本: %1").arg(f.error), false);
                return;
            }
            const std::optional<QByteArray> opened = openSignedManifest(f.bytes, publicKey_);
            if (!opened) {
                finishSync(false, QStringLiteral("拒绝: 签名不对"), false);
                return;
            }
            const ManifestResult parsed = parseManifest(*opened);
            if (const ManifestError* e = std::get_if<ManifestError>(&parsed)) {
                finishSync(false, QStringLiteral("拒绝: %1").arg(e->message), false);
                return;
            }
            const Manifest& m = std::get<Manifest>(parsed);
            const std::optional<Manifest> have = installedManifest(programFolder_);
            if (have && m.version < have->version) {
                finishSync(
                    false,
                    QStringLiteral("拒绝: 同步包版本 %1 比已有的 %2 旧").arg(m.version).arg(have->version),
                    false);
                return;
            }
            if (have && m.version == have->version) {
                finishSync(true, QStringLiteral("已是最新"), false);
                return;
            }
            job_->signedManifest = f.bytes;
            job_->manifest = m;
            fetchNextFile();
        });
}

// A folder answers at once, a web server later; files answered at once are taken in this loop, so a
// bundle of many files never nests one call per file.
void Campus::fetchNextFile() {
    while (job_) {
        while (job_->nextFile < job_->manifest.files.size() &&
               isCached(programFolder_, job_->manifest.files[job_->nextFile]))
            ++job_->nextFile;
        if (job_->nextFile == job_->manifest.files.size()) {
            const InstallResult r = installBundle(programFolder_, job_->signedManifest, job_->manifest);
            if (!r.ok) {
                finishSync(false, QStringLiteral("拒绝: %1").arg(r.message), false);
                return;
            }
            status_.version = job_->manifest.version;
            status_.published = job_->manifest.published;
            finishSync(true, r.message, true);
            return;
        }
        const ManifestFile file = job_->manifest.files[job_->nextFile];
        std::weak_ptr<bool> alive = job_->alive;
        job_->inGet = true;
        job_->answered = false;
        source_->get(kPayloadFolder + QLatin1Char('/') + QString::fromLatin1(file.sha256), file.size, false,
                     [this, alive, file](const Fetched& f) {
                         if (alive.expired() || !*alive.lock())
                             return;
                         if (f.status != Fetched::Status::Ok) {
                             finishSync(false, QStringLiteral("拒绝: %1 %2").arg(file.path, f.error), false);
                             return;
                         }
                         if (f.bytes.size() != file.size) {
                             finishSync(false, QStringLiteral("拒绝: 文件不完整 %1").arg(file.path), false);
                             return;
                         }
                         if (sha256Hex(f.bytes) != file.sha256) {
                             finishSync(false, QStringLiteral("拒绝: 文件被改动 %1").arg(file.path), false);
                             return;
                         }
                         if (!storeInCache(programFolder_, file.sha256, f.bytes)) {
                             finishSync(false, QStringLiteral("无法保存 %1").arg(file.path), false);
                             return;
                         }
                         ++job_->nextFile;
                         if (job_->inGet)
                             job_->answered = true;
                         else
                             fetchNextFile();
                     });
        if (!job_)
            return;
        job_->inGet = false;
        if (!job_->answered)
            return;
    }
}

void Campus::finishSync(bool ok, const QString& message, bool changed) {
    if (job_) {
        *job_->alive = false;
        job_.reset();
    }
    // After any failure the next fetch asks for the whole manifest again: a server answering "not
    // modified" must not keep a half-fetched bundle from ever being retried.
    if (!ok && source_)
        source_->forget();
    const bool wasOk = status_.lastOk;
    const QString before = status_.lastResult;
    status_.lastOk = ok;
    status_.lastResult = message;
    // Every minute's "unchanged" would drown the history; what changed, and each refusal, is written.
    if (changed || !ok || !wasOk)
        record(message, !ok);
    if (changed)
        emit installed();
    if (changed || before != message || wasOk != ok)
        emit statusChanged();
    emit syncFinished(ok, message);
    answerWaiters(ok, message);
}

}  // namespace quel::campus
