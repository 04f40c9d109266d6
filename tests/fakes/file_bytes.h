#pragma once

#include <QByteArray>
#include <QString>

namespace quel::testing {

// A one-value settings file as stored files hold it, spelt out by hand so that a test of a reader
// never leans on the writer it shares code with.
inline QByteArray quoted(const QString& s) {
    return '"' + s.toUtf8() + "\"\r\n";
}

}  // namespace quel::testing
