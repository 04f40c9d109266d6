#pragma once

#include <QByteArray>
#include <QString>

namespace quel {

class SettingsStore;

// The page for a phone as the operator set it up. Off, and with no password, nothing listens.
struct PageSettings {
    bool enabled = false;
    QString address = QStringLiteral("0.0.0.0");
    quint16 port = 8080;
    // A salted PBKDF2 digest (see passwordDigest); empty: no password set, so the page cannot start.
    QString digest;
};

namespace pagesettings {
inline const QString kEnabled = QStringLiteral("RemotePage.txt");
inline const QString kAddress = QStringLiteral("RemoteAddress.txt");
inline const QString kPort = QStringLiteral("RemotePort.txt");
inline const QString kPassword = QStringLiteral("RemotePassword.txt");
}  // namespace pagesettings

// Missing or damaged files read as the defaults: a page that is off.
PageSettings loadPageSettings(const SettingsStore& store);
// Writes every file; false when one could not be written.
bool savePageSettings(const SettingsStore& store, const PageSettings& settings);

// Enough rounds that guessing offline costs real time; a check takes about half a second here, so it
// runs off the event loop (see RemotePage).
inline constexpr int kDigestRounds = 100000;

// "pbkdf2-sha256$rounds$salt$key" with salt and key in base64; the salt is 16 bytes from the system's
// random source.
QString passwordDigest(const QString& password, int rounds = kDigestRounds);
// Whether `password` gives `digest`, compared in constant time. A malformed digest, or one whose
// round count would hold a thread for minutes, matches nothing.
bool passwordMatches(const QString& digest, const QString& password);

// Equal bytes, in a time that depends on the lengths only.
bool sameBytes(const QByteArray& a, const QByteArray& b);

}  // namespace quel
