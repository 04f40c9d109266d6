#pragma once

#include <QLoggingCategory>

namespace quel {

// Media failures are never shown to the operator (a missing sound simply stays silent); this category,
// off by default, lets a developer see why with QT_LOGGING_RULES="quel.media.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcMedia)

}  // namespace quel
