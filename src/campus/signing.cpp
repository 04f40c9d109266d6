#include "campus/signing.h"

#include <sodium.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "campus/manifest.h"

namespace quel::campus {

namespace {

const QString kSecretName = QStringLiteral("secret.key");
const QString kPublicName = QStringLiteral("public.key");

// sodium_init is safe to call again; it only fails when no source of randomness can be opened.
void initSodium() {
    if (sodium_init() < 0)
        qFatal("libsodium cannot start: no source of randomness");
}

const unsigned char* bytesOf(const QByteArray& a) {
    return reinterpret_cast<const unsigned char*>(a.constData());
}

unsigned char* bytesOf(QByteArray& a) {
    return reinterpret_cast<unsigned char*>(a.data());
}

std::optional<QByteArray> readSmall(const QString& path, qsizetype expected) {
    QFile f(path);
    if (QFileInfo(path).isSymLink() || !f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = f.read(expected + 1);
    if (bytes.size() != expected)
        return std::nullopt;
    return bytes;
}

bool writeWithMode(const QString& path, const QByteArray& bytes, QFileDevice::Permissions mode) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    // Set before the first byte, so the secret is never readable by others, not even for a moment.
    if (!f.setPermissions(mode))
        return false;
    return f.write(bytes) == bytes.size() && f.flush() && f.commit();
}

}  // namespace

KeyPair makeKeyPair() {
    initSodium();
    KeyPair k;
    k.publicKey.resize(crypto_sign_PUBLICKEYBYTES);
    k.secretKey.resize(crypto_sign_SECRETKEYBYTES);
    crypto_sign_keypair(bytesOf(k.publicKey), bytesOf(k.secretKey));
    return k;
}

QString publicKeyText(const QByteArray& publicKey) {
    return QString::fromLatin1(publicKey.toBase64());
}

std::optional<QByteArray> publicKeyFromText(const QString& text) {
    const QByteArray latin = text.trimmed().toLatin1();
    const auto decoded = QByteArray::fromBase64Encoding(latin, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() != crypto_sign_PUBLICKEYBYTES ||
        decoded.decoded.toBase64() != latin)
        return std::nullopt;
    return decoded.decoded;
}

StoredKeys loadOrMakeKeys(const QString& programFolder) {
    initSodium();
    const QString folder = programFolder + QLatin1Char('/') + kCampusFolder;
    const QString secretPath = folder + QLatin1Char('/') + kSecretName;
    const QString publicPath = folder + QLatin1Char('/') + kPublicName;
    if (QFileInfo::exists(secretPath) || QFileInfo(secretPath).isSymLink()) {
        const std::optional<QByteArray> secret = readSmall(secretPath, crypto_sign_SECRETKEYBYTES);
        if (!secret)
            return {std::nullopt, QStringLiteral("密钥文件损坏: %1").arg(secretPath)};
        KeyPair k;
        k.secretKey = *secret;
        k.publicKey.resize(crypto_sign_PUBLICKEYBYTES);
        crypto_sign_ed25519_sk_to_pk(bytesOf(k.publicKey), bytesOf(k.secretKey));
        // The public file is only a copy for the operator; the secret key is what counts.
        if (readSmall(publicPath, crypto_sign_PUBLICKEYBYTES) != k.publicKey)
            writeWithMode(publicPath, k.publicKey,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                              QFileDevice::ReadOther);
        return {k, {}};
    }
    if (!QDir().mkpath(folder))
        return {std::nullopt, QStringLiteral("无法建立文件夹: %1").arg(folder)};
    const KeyPair k = makeKeyPair();
    if (!writeWithMode(secretPath, k.secretKey, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return {std::nullopt, QStringLiteral("无法写入密钥: %1").arg(secretPath)};
    writeWithMode(
        publicPath, k.publicKey,
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    return {k, {}};
}

QByteArray signManifest(const QByteArray& manifest, const QByteArray& secretKey) {
    initSodium();
    QByteArray signature(crypto_sign_BYTES, '\0');
    crypto_sign_detached(bytesOf(signature), nullptr, bytesOf(manifest), size_t(manifest.size()),
                         bytesOf(secretKey));
    return signature + manifest;
}

std::optional<QByteArray> openSignedManifest(const QByteArray& signedBytes, const QByteArray& publicKey) {
    initSodium();
    if (signedBytes.size() < kSignatureBytes || publicKey.size() != crypto_sign_PUBLICKEYBYTES)
        return std::nullopt;
    const QByteArray manifest = signedBytes.mid(kSignatureBytes);
    if (crypto_sign_verify_detached(bytesOf(signedBytes), bytesOf(manifest), size_t(manifest.size()),
                                    bytesOf(publicKey)) != 0)
        return std::nullopt;
    return manifest;
}

}  // namespace quel::campus
