#pragma once

#include <QByteArray>
#include <QString>

namespace quel {

// The URI that plays `path`: a local path (absolute, or relative to the working folder) becomes a
// file URI with every special character escaped; text that already is a URI ("file:///...",
// "http://...") is kept. Empty when no URI can be made.
QByteArray mediaUri(const QString& path);

}  // namespace quel
