#pragma once

#include <QString>
#include <QStringList>

// The settings files of the program folder, each holding one value (see quel::fileformat), and the
// fixed documents. Spelled once here, as the program writes them.
namespace quel::settings {

inline const QString kResetSystem = QStringLiteral("ResetSystem.txt");
inline const QString kAutoRun = QStringLiteral("AutoRunYesNo.txt");
inline const QString kTimeSet = QStringLiteral("timeset.txt");
inline const QString kToll = QStringLiteral("Toll.txt");
inline const QString kShow = QStringLiteral("show.txt");
inline const QString kShut = QStringLiteral("Shut.txt");
inline const QString kRestart = QStringLiteral("Restart.txt");
inline const QString kLogoff = QStringLiteral("Logoff.txt");
inline const QString kPlayOrder = QStringLiteral("PlayOrder.txt");
inline const QString kPlayerActive = QStringLiteral("PlayerActive.txt");
inline const QString kDefaultDtt = QStringLiteral("DefaultDTT.txt");
// The FIFO of a Snapcast server's pipe source that broadcasts and the emergency also go into; absent,
// they play on this PC only.
inline const QString kSnapcastPipe = QStringLiteral("SnapcastPipe.txt");
inline const QString kDefaultPlf = QStringLiteral("DefaultPLF.txt");
inline const QString kUserWav = QStringLiteral("Userwav.txt");
inline const QString kInterval = QStringLiteral("Interval.txt");
inline const QString kRadio = QStringLiteral("Radio.txt");
// The input the radio is wired to, as the sound server names it; empty: the default input.
inline const QString kRadioSource = QStringLiteral("RadioSource.txt");
inline const QString kSayTimeFile = QStringLiteral("SayTimeFile.txt");
// "YES" or "NO": 保持唤醒 (on when missing) and 按系统秒打铃 (off when missing).
inline const QString kKeepAwake = QStringLiteral("KeepAwake.txt");
inline const QString kOnTheSecond = QStringLiteral("OnTheSecond.txt");
// The folder of the month files of the history.
inline const QString kHistoryFolder = QStringLiteral("History");

// Every settings file above.
inline QStringList all() {
    return {kResetSystem, kAutoRun,     kTimeSet,      kToll,       kShow,       kShut,    kRestart,
            kLogoff,      kPlayOrder,   kPlayerActive, kDefaultDtt, kDefaultPlf, kUserWav, kInterval,
            kRadio,       kSayTimeFile, kRadioSource,  kKeepAwake,  kOnTheSecond};
}

// Relative to the program folder.
inline const QString kDefaultTable = QStringLiteral("DayTimeTable/Default.DTT");
inline const QString kDefaultPlayList = QStringLiteral("PlayListFile/Default.PLF");

// What the reset writes where a document path will be filled in at the next start.
inline const QString kResetMarker = QStringLiteral("Reset_System_OK");

}  // namespace quel::settings
