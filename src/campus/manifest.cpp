#include "campus/manifest.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include "platform/settings_names.h"

namespace quel::campus {

namespace {

const QString kFormat = QStringLiteral("quelbrook-campus-1");
// JSON numbers are doubles: beyond 2^53 a whole number is no longer exact.
constexpr qint64 kMaxExactInteger = 9007199254740992LL;

bool isLowerHex(const QString& text, qsizetype length) {
    if (text.size() != length)
        return false;
    for (const QChar c : text) {
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f')))
            return false;
    }
    return true;
}

std::optional<qint64> wholeNumber(const QJsonValue& value, qint64 min, qint64 max) {
    if (!value.isDouble())
        return std::nullopt;
    const double d = value.toDouble();
    if (!(d >= double(min) && d <= double(max) && d <= double(kMaxExactInteger)))
        return std::nullopt;
    const auto n = static_cast<qint64>(d);
    if (static_cast<double>(n) != d)
        return std::nullopt;
    return n;
}

ManifestError error(const QString& message) {
    return ManifestError{message};
}

}  // namespace

QStringList ringingSettings() {
    return {settings::kToll,      settings::kUserWav,     settings::kDefaultDtt,  settings::kDefaultPlf,
            settings::kPlayOrder, settings::kSayTimeFile, settings::kOnTheSecond, settings::kInterval,
            settings::kTimeSet,   settings::kShut,        settings::kRestart,     settings::kLogoff};
}

QString pathRefusal(const QString& path) {
    if (path.isEmpty())
        return QStringLiteral("空路径");
    if (path.size() > kMaxPathLength)
        return QStringLiteral("路径过长");
    if (path.startsWith(QLatin1Char('/')))
        return QStringLiteral("绝对路径");
    for (const QChar c : path) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c == u'\\' || c.isSurrogate())
            return QStringLiteral("路径含控制字符或反斜杠");
    }
    const QStringList parts = path.split(QLatin1Char('/'));
    for (const QString& part : parts) {
        if (part.isEmpty())
            return QStringLiteral("路径含空段");
        if (part == QLatin1String("..") || part == QLatin1String("."))
            return QStringLiteral("路径含 . 或 ..");
        if (part.startsWith(QLatin1Char('.')))
            return QStringLiteral("路径含隐藏文件");
    }
    if (parts.size() == 1) {
        // Only the settings that ring and the alarm sound stand at the top of the program folder;
        // the rest there (the executable in a build tree, start-up settings, the lock) is the machine's.
        if (!ringingSettings().contains(path) && path != QLatin1String("timeup.mp3"))
            return QStringLiteral("不是打铃的设置文件");
        return {};
    }
    if (parts.first() == kCampusFolder || parts.first() == settings::kHistoryFolder)
        return QStringLiteral("是本机自己的文件夹");
    return {};
}

ManifestResult parseManifest(const QByteArray& bytes) {
    if (bytes.size() > kMaxManifestBytes)
        return error(QStringLiteral("清单过大"));
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isObject())
        return error(QStringLiteral("清单不是 JSON 对象"));
    const QJsonObject root = doc.object();
    if (root.value(QLatin1String("format")).toString() != kFormat)
        return error(QStringLiteral("清单格式不对"));

    Manifest m;
    const std::optional<qint64> version =
        wholeNumber(root.value(QLatin1String("version")), 1, kMaxExactInteger);
    if (!version)
        return error(QStringLiteral("清单没有版本"));
    m.version = *version;
    m.published = QDateTime::fromString(root.value(QLatin1String("published")).toString(), Qt::ISODateWithMs);
    if (!m.published.isValid())
        return error(QStringLiteral("清单没有发布时间"));
    m.published = m.published.toUTC();
    const QJsonValue folder = root.value(QLatin1String("sourceFolder"));
    if (!folder.isString() || !folder.toString().startsWith(QLatin1Char('/')))
        return error(QStringLiteral("清单没有主控的程序文件夹"));
    m.sourceFolder = folder.toString();

    const QJsonValue filesValue = root.value(QLatin1String("files"));
    if (!filesValue.isArray())
        return error(QStringLiteral("清单没有文件表"));
    const QJsonArray files = filesValue.toArray();
    if (files.size() > kMaxFiles)
        return error(QStringLiteral("清单文件过多"));
    QSet<QString> paths;
    qint64 total = 0;
    for (const QJsonValue& value : files) {
        if (!value.isObject())
            return error(QStringLiteral("清单文件项不是对象"));
        const QJsonObject o = value.toObject();
        ManifestFile f;
        f.path = o.value(QLatin1String("path")).toString();
        if (const QString why = pathRefusal(f.path); !why.isEmpty())
            return error(QStringLiteral("不安全的路径 %1: %2").arg(f.path.left(200), why));
        const std::optional<qint64> size = wholeNumber(o.value(QLatin1String("size")), 0, kMaxExactInteger);
        if (!size)
            return error(QStringLiteral("文件大小不对: %1").arg(f.path));
        if (*size > kMaxBundleBytes)
            return error(QStringLiteral("文件超过大小上限: %1").arg(f.path));
        f.size = *size;
        total += f.size;
        if (total > kMaxBundleBytes)
            return error(QStringLiteral("同步包超过大小上限"));
        const QString hash = o.value(QLatin1String("sha256")).toString();
        if (!isLowerHex(hash, 64))
            return error(QStringLiteral("文件校验值不对: %1").arg(f.path));
        f.sha256 = hash.toLatin1();
        paths.insert(f.path);
        m.files.push_back(std::move(f));
    }
    if (paths.size() != m.files.size())
        return error(QStringLiteral("清单有重复路径"));
    // A path that is also the folder of another could only be written as one of the two.
    for (const ManifestFile& f : m.files) {
        for (qsizetype slash = f.path.indexOf(QLatin1Char('/')); slash > 0;
             slash = f.path.indexOf(QLatin1Char('/'), slash + 1)) {
            if (paths.contains(f.path.left(slash)))
                return error(QStringLiteral("路径既是文件又是文件夹: %1").arg(f.path.left(slash)));
        }
    }
    return m;
}

QByteArray manifestBytes(const Manifest& manifest) {
    QJsonArray files;
    for (const ManifestFile& f : manifest.files) {
        files.append(QJsonObject{{QStringLiteral("path"), f.path},
                                 {QStringLiteral("size"), double(f.size)},
                                 {QStringLiteral("sha256"), QString::fromLatin1(f.sha256)}});
    }
    const QJsonObject root{
        {QStringLiteral("format"), kFormat},
        {QStringLiteral("version"), double(manifest.version)},
        {QStringLiteral("published"), manifest.published.toUTC().toString(Qt::ISODateWithMs)},
        {QStringLiteral("sourceFolder"), manifest.sourceFolder},
        {QStringLiteral("files"), files},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

}  // namespace quel::campus
