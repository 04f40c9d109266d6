#pragma once

#include <QString>
#include <optional>

// The power-off settings (Shut.txt, Restart.txt, Logoff.txt): a mark, 开 (confirmation window) or 关
// (at once), followed by the seconds the window counts down, as in "开60".
namespace quel::power {

inline const QString kOn = QStringLiteral("开");
inline const QString kOff = QStringLiteral("关");
constexpr int kDefaultSeconds = 60;
// The shortest wait the operator may set; a one-second window could not be cancelled in time.
constexpr int kMinSetSeconds = 2;
// The largest waiting time the settings files have always held (a 16-bit number).
constexpr int kMaxSeconds = 32767;

// 开 → true, 关 → false, no mark → nullopt.
std::optional<bool> confirmationOf(const QString& setting);

// What a count-down window counts. The text after the mark, read as a number and truncated
// ("开30.5" → 30); missing, not a number or below 1 (a hand-edited file) → 60, so a damaged setting
// never powers off after a second; above the largest settable value → that value.
int waitingSeconds(const QString& setting);

// The setting with its mark changed and its seconds kept; without seconds (or without a mark) it
// gets 60, so the next start reads back what the menu shows.
QString withConfirmation(const QString& setting, bool on);

// The setting with new seconds and its mark kept; one without a mark gets 开, the behaviour it had.
QString withSeconds(const QString& setting, int seconds);

// An answer typed into the waiting-time box: a whole number from 2 to 32767, in ASCII or full-width
// digits (a Chinese input method types the latter), blanks around it ignored. nullopt otherwise.
std::optional<int> parseWaitAnswer(const QString& answer);

}  // namespace quel::power

namespace quel {

// One confirmation window's count: started at N seconds it counts N-1 … 0, one step a second, and the
// step after 0 asks for the request; it asks once and never counts below 0.
class PowerCountdown {
public:
    enum class Step { Continue, Request };

    void start(int seconds);
    Step step();
    int maximum() const { return maximum_; }
    int left() const { return left_; }

private:
    int maximum_ = 0;
    int left_ = 0;
    bool requested_ = false;
};

}  // namespace quel
