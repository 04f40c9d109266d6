#include "campus/source.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

namespace quel::campus {

namespace {

const QString kManifestFile = QStringLiteral("manifest.signed");
// A web server that neither answers nor closes must not hold the follower's sync for ever.
constexpr int kTransferTimeoutMs = 30000;

Fetched failed(const QString& error) {
    return {Fetched::Status::Failed, {}, error};
}

// Last-Modified counts whole seconds: a manifest published again within the second the server answered
// would carry the same time, and If-Modified-Since would hide it for good. Only a time before the
// answer's own second is used.
QByteArray trustedLastModified(const QNetworkReply& reply) {
    const QByteArray raw = reply.rawHeader("Last-Modified");
    const QDateTime modified = reply.header(QNetworkRequest::LastModifiedHeader).toDateTime();
    QDateTime date = QLocale::c().toDateTime(QString::fromLatin1(reply.rawHeader("Date")),
                                             QStringLiteral("ddd, dd MMM yyyy hh:mm:ss 'GMT'"));
    if (raw.isEmpty() || !modified.isValid() || !date.isValid())
        return {};
    date.setTimeSpec(Qt::UTC);
    return modified.toUTC() < date ? raw : QByteArray();
}

}  // namespace

void FolderSource::get(const QString& relative, qint64 cap, bool conditional, FetchDone done) {
    const QString path = folder_ + QLatin1Char('/') + relative;
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isFile()) {
        done(failed(info.exists() ? QStringLiteral("不是普通文件: %1").arg(path)
                                  : QStringLiteral("找不到: %1").arg(path)));
        return;
    }
    const bool isManifest = relative == kManifestFile;
    if (isManifest && conditional && info.lastModified() == lastModified_ && info.size() == lastSize_) {
        done({Fetched::Status::NotModified, {}, {}});
        return;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        done(failed(QStringLiteral("无法读取: %1").arg(path)));
        return;
    }
    Fetched result{Fetched::Status::Ok, f.read(cap + 1), {}};
    if (result.bytes.size() > cap) {
        done(failed(QStringLiteral("超过大小上限: %1").arg(path)));
        return;
    }
    if (isManifest) {
        lastModified_ = info.lastModified();
        lastSize_ = info.size();
    }
    done(result);
}

HttpSource::HttpSource(QString baseUrl)
    : base_(baseUrl.endsWith(QLatin1Char('/')) ? std::move(baseUrl) : baseUrl + QLatin1Char('/')),
      network_(std::make_unique<QNetworkAccessManager>()) {}

HttpSource::~HttpSource() = default;

void HttpSource::get(const QString& relative, qint64 cap, bool conditional, FetchDone done) {
    const bool isManifest = relative == kManifestFile;
    // A static web server ignores the query; its access log keeps it for the source's status.
    QUrl url(base_ + relative);
    if (isManifest && installed_ > 0)
        url.setQuery(QStringLiteral("have=%1").arg(installed_));
    QNetworkRequest request(url);
    request.setTransferTimeout(kTransferTimeoutMs);
    // Every answer must come from the source, not from a proxy's cache that may hold an old bundle.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    if (isManifest && conditional) {
        if (!etag_.isEmpty())
            request.setRawHeader("If-None-Match", etag_);
        if (!lastModified_.isEmpty())
            request.setRawHeader("If-Modified-Since", lastModified_);
    }
    QNetworkReply* reply = network_->get(request);
    auto tooLong = std::make_shared<bool>(false);
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply,
                     [reply, cap, tooLong](qint64 received, qint64) {
                         if (received > cap) {
                             *tooLong = true;
                             reply->abort();
                         }
                     });
    QObject::connect(
        reply, &QNetworkReply::finished, reply,
        [this, reply, cap, isManifest, tooLong, done = std::move(done)]() {
            reply->deleteLater();
            const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            if (*tooLong) {
                done(failed(QStringLiteral("超过大小上限: %1").arg(reply->url().toString())));
                return;
            }
            if (status == 304) {
                done({Fetched::Status::NotModified, {}, {}});
                return;
            }
            if (reply->error() != QNetworkReply::NoError || status != 200) {
                done(failed(
                    QStringLiteral("下载失败 %1: %2").arg(reply->url().toString(), reply->errorString())));
                return;
            }
            const QByteArray bytes = reply->readAll();
            const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
            // A connection closed early without an error still leaves fewer bytes than
            // the server announced.
            if (bytes.size() > cap || (length.isValid() && length.toLongLong() != bytes.size())) {
                done(failed(QStringLiteral("下载不完整: %1").arg(reply->url().toString())));
                return;
            }
            if (isManifest) {
                etag_ = reply->rawHeader("ETag");
                lastModified_ = trustedLastModified(*reply);
            }
            done({Fetched::Status::Ok, bytes, {}});
        });
}

std::unique_ptr<BundleSource> sourceFor(const QString& address) {
    const QString a = address.trimmed();
    if (a.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
        a.startsWith(QLatin1String("https://"), Qt::CaseInsensitive)) {
        const QUrl url(a, QUrl::StrictMode);
        if (!url.isValid() || url.host().isEmpty())
            return nullptr;
        return std::make_unique<HttpSource>(a);
    }
    if (a.startsWith(QLatin1String("file://"), Qt::CaseInsensitive)) {
        const QUrl url(a);
        return url.isLocalFile() ? std::make_unique<FolderSource>(url.toLocalFile()) : nullptr;
    }
    if (a.startsWith(QLatin1Char('/')))
        return std::make_unique<FolderSource>(a);
    return nullptr;
}

}  // namespace quel::campus
