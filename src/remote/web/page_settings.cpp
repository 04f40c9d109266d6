#include "remote/web/page_settings.h"

#include <QCryptographicHash>
#include <QHostAddress>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QStringList>

#include "platform/settings_store.h"

namespace quel {

namespace {

const QString kScheme = QStringLiteral("pbkdf2-sha256");
constexpr int kSaltBytes = 16;
constexpr int kKeyBytes = 32;
constexpr int kMaxRounds = 2000000;

QByteArray deriveKey(const QString& password, const QByteArray& salt, int rounds) {
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password.toUtf8(), salt, rounds,
                                              kKeyBytes);
}

}  // namespace

PageSettings loadPageSettings(const SettingsStore& store) {
    PageSettings s;
    s.enabled =
        store.text(pagesettings::kEnabled).trimmed().compare(QStringLiteral("YES"), Qt::CaseInsensitive) == 0;
    const QString address = store.text(pagesettings::kAddress).trimmed();
    if (!QHostAddress(address).isNull())
        s.address = address;
    bool ok = false;
    const uint port = store.text(pagesettings::kPort).trimmed().toUInt(&ok);
    if (ok && port > 0 && port <= 65535)
        s.port = static_cast<quint16>(port);
    s.digest = store.text(pagesettings::kPassword).trimmed();
    return s;
}

bool savePageSettings(const SettingsStore& store, const PageSettings& settings) {
    bool ok = store.writeText(pagesettings::kEnabled,
                              settings.enabled ? QStringLiteral("YES") : QStringLiteral("NO"));
    ok = store.writeText(pagesettings::kAddress, settings.address) && ok;
    // Ports run past the 16-bit numbers of the settings convention, so the port is kept as text.
    ok = store.writeText(pagesettings::kPort, QString::number(settings.port)) && ok;
    ok = store.writeText(pagesettings::kPassword, settings.digest) && ok;
    return ok;
}

QString passwordDigest(const QString& password, int rounds) {
    QByteArray salt(kSaltBytes, Qt::Uninitialized);
    QRandomGenerator::system()->generate(salt.begin(), salt.end());
    const QByteArray key = deriveKey(password, salt, rounds);
    return QStringList{kScheme, QString::number(rounds), QString::fromLatin1(salt.toBase64()),
                       QString::fromLatin1(key.toBase64())}
        .join(QLatin1Char('$'));
}

bool passwordMatches(const QString& digest, const QString& password) {
    const QStringList parts = digest.split(QLatin1Char('$'));
    if (parts.size() != 4 || parts[0] != kScheme)
        return false;
    bool ok = false;
    const int rounds = parts[1].toInt(&ok);
    if (!ok || rounds < 1 || rounds > kMaxRounds)
        return false;
    const QByteArray salt = QByteArray::fromBase64(parts[2].toLatin1());
    const QByteArray key = QByteArray::fromBase64(parts[3].toLatin1());
    if (salt.isEmpty() || key.size() != kKeyBytes)
        return false;
    return sameBytes(deriveKey(password, salt, rounds), key);
}

bool sameBytes(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

}  // namespace quel
