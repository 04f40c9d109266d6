#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QNetworkAccessManager;

namespace quel::campus {

// One answer of a bundle's source.
struct Fetched {
    enum class Status { Ok, NotModified, Failed };
    Status status = Status::Failed;
    QByteArray bytes;
    QString error;
};

using FetchDone = std::function<void(const Fetched&)>;

// Where a follower finds the bundle: a folder (a shared network folder mounted here) or a web server.
// `get` answers once, through `done`, on the event loop or at once; a file longer than `cap` fails.
// With `conditional` set, an unchanged file answers NotModified.
class BundleSource {
public:
    virtual ~BundleSource() = default;
    virtual void get(const QString& relative, qint64 cap, bool conditional, FetchDone done) = 0;
    // Forgets what the last answers were, so the next conditional get fetches the whole file.
    virtual void forget() = 0;
    // The version this follower rings from (0: none), which a web server's log then shows the source.
    virtual void tellInstalled(qint64 /*version*/) {}
};

class FolderSource final : public BundleSource {
public:
    explicit FolderSource(QString folder) : folder_(std::move(folder)) {}
    void get(const QString& relative, qint64 cap, bool conditional, FetchDone done) override;
    void forget() override { lastModified_ = {}; }

private:
    QString folder_;
    QDateTime lastModified_;
    qint64 lastSize_ = -1;
};

// Plain HTTP(S) through Qt Network, with ETag and Last-Modified for the conditional get. Answers
// arrive on the event loop of the thread that made it.
class HttpSource final : public BundleSource {
public:
    explicit HttpSource(QString baseUrl);
    ~HttpSource() override;
    void get(const QString& relative, qint64 cap, bool conditional, FetchDone done) override;
    void forget() override {
        etag_.clear();
        lastModified_.clear();
    }
    void tellInstalled(qint64 version) override { installed_ = version; }

private:
    QString base_;
    qint64 installed_ = 0;
    std::unique_ptr<QNetworkAccessManager> network_;
    QByteArray etag_;
    QByteArray lastModified_;
};

// The source an address names: http:// or https:// a web server, anything else a folder (a
// file:// address or a plain path). nullptr for an address that is neither.
std::unique_ptr<BundleSource> sourceFor(const QString& address);

}  // namespace quel::campus
