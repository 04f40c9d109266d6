#include "engine/say_time.h"

#include "platform/program_folder.h"

namespace quel {

QStringList sayTimeFiles(Voice voice, const ProgramClock& clock) {
    const QString v = voice == Voice::Male ? QStringLiteral("M") : QStringLiteral("F");
    const auto word = [&v](const QString& w) { return v + w + QStringLiteral(".wav"); };
    const auto number = [&word](int n) { return word(QString::number(n)); };
    QStringList names{word(QStringLiteral("L")), word(QStringLiteral("BJT")), number(clock.hour),
                      word(QStringLiteral("H"))};
    if (clock.minute == 0 && clock.second == 0) {
        names << word(QStringLiteral("Z"));
    } else {
        names << number(clock.minute) << word(QStringLiteral("M")) << number(clock.second)
              << word(QStringLiteral("S"));
    }
    const QString folder = installed::kSayTime + QLatin1Char('/') + v + QLatin1Char('/');
    for (QString& name : names) {
        name.prepend(folder);
    }
    return names;
}

}  // namespace quel
