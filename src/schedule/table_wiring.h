#pragma once

class QPushButton;

namespace quel {

class EntryEditor;
class ScheduleList;
class TableCommands;

// The main window's buttons of the table commands.
struct TableButtons {
    QPushButton* newTable = nullptr;     // Command5
    QPushButton* openTable = nullptr;    // Command6
    QPushButton* makeDefault = nullptr;  // Command7
    QPushButton* deleteEntry = nullptr;  // Command2
    QPushButton* clear = nullptr;        // Command4
};

// Connects 增加 of the editor and the table buttons to the commands: a refused entry sends the
// operator back to its field, an added one is selected in the list, 删除 takes the list's selection.
void wireTableCommands(TableCommands& commands, EntryEditor& editor, ScheduleList& list,
                       const TableButtons& buttons);

}  // namespace quel
