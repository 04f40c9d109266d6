#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace quel::campus {

// Ed25519 through libsodium. The source signs its manifest with a secret key that never leaves its
// program folder; followers hold only the public key, given to them as a short text.
struct KeyPair {
    QByteArray publicKey;  // 32 bytes
    QByteArray secretKey;  // 64 bytes
};

KeyPair makeKeyPair();

// The public key as the operator copies it: base64 of its 32 bytes, 44 characters.
QString publicKeyText(const QByteArray& publicKey);
// The 32 bytes of a copied key; blanks around it are forgiven, nothing else.
std::optional<QByteArray> publicKeyFromText(const QString& text);

// Reads the key pair kept in `programFolder`/Campus, making and storing one when there is none. The
// secret key file is readable by its owner only. nullopt when the folder cannot hold it or the stored
// files are damaged: a damaged key is not replaced, since followers trust the old public key.
struct StoredKeys {
    std::optional<KeyPair> keys;
    QString error;
};
StoredKeys loadOrMakeKeys(const QString& programFolder);

// A signed manifest as it travels: the 64-byte detached signature, then the manifest's bytes.
QByteArray signManifest(const QByteArray& manifest, const QByteArray& secretKey);
// The manifest's bytes when the signature is the public key's; nullopt otherwise.
std::optional<QByteArray> openSignedManifest(const QByteArray& signedBytes, const QByteArray& publicKey);

inline constexpr qsizetype kSignatureBytes = 64;

}  // namespace quel::campus
