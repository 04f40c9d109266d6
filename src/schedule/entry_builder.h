#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "platform/dialogs.h"

namespace quel {

// A table holds this many entries, as the program's tips tell the operator; Add stops there. Larger
// tables made by hand still load, fire and can be deleted from.
inline constexpr qsizetype kMaxEntries = 100;

enum class Recurrence { EveryDay, Weekday, EveryMonth, EveryYear, OneDate };

// The options of the editor's response group.
enum class ResponseOption {
    DefaultTone,
    ChosenTone,
    BroadcastStatic,
    BroadcastDynamic,
    BroadcastOff,
    RadioOn,
    RadioOff,
    Shutdown,
    Restart,
    Logoff,
    SayTimeMale,
    SayTimeFemale,
    RunProgram,
    OpenTable,
    JustMyTime,
};

// What the entry editor holds when the operator presses 增加: the texts of its controls, the chosen
// options and the editor values. A list or combo with nothing chosen gives an empty text.
struct EditorValues {
    QString hour;     // List1
    QString minute;   // List2
    QString second;   // List3
    QString comment;  // Text4
    Recurrence recurrence = Recurrence::EveryDay;
    QString weekday;    // Combo5
    QString monthDay;   // Combo6
    QString yearMonth;  // Combo7
    QString yearDay;    // Combo8
    QString year;       // Text5
    QString dateMonth;  // Combo9
    QString dateDay;    // Combo10
    ResponseOption response = ResponseOption::DefaultTone;
    QString defaultRing;
    QString chosenTone;
    QString chosenPlayList;
    QString staticPlayListBox;   // Text7
    QString dynamicPlayListBox;  // Text9
    QString program;             // Text6: a program path, optionally with arguments
    QString table;               // Text8
};

// The editor field a refusal sends the operator back to.
enum class EditorField { None, Year };

struct Refusal {
    QString text;
    MessageIcon icon = MessageIcon::Warning;
    EditorField focus = EditorField::None;
    // The field is emptied before it gets the focus.
    bool clearField = false;
};

// The new entry's text, or why it cannot join the table.
struct BuiltEntry {
    QString entryText;
    std::optional<Refusal> refusal;
};

// Composes the entry the editor describes and checks it, in the order the operator meets the checks:
// the time, the comment, the recurrence, the response's file or program, that no entry of `entries`
// already holds the same moment of the same recurrence for the same kind of response, and that the
// table has room. Nothing that could cut or split the table file gets through.
BuiltEntry buildEntry(const EditorValues& values, const QStringList& entries);

// The refusal of a path or command text that a table file cannot hold.
QString pathRefusalText(const QString& path);
bool pathFitsInEntry(const QString& path);

}  // namespace quel
