#include "schedule/table_wiring.h"

#include <QPushButton>

#include "schedule/entry_editor.h"
#include "schedule/schedule_list.h"
#include "schedule/table_commands.h"

namespace quel {

void wireTableCommands(TableCommands& commands, EntryEditor& editor, ScheduleList& list,
                       const TableButtons& buttons) {
    QObject::connect(editor.addButton(), &QPushButton::clicked, &commands, [&commands, &editor, &list] {
        const BuiltEntry built = commands.add(editor.values());
        if (built.refusal)
            editor.showRefusal(*built.refusal);
        else if (!built.entryText.isEmpty())
            list.selectEntry(built.entryText);
    });
    QObject::connect(buttons.deleteEntry, &QPushButton::clicked, &commands,
                     [&commands, &list] { commands.deleteEntry(list.selectedEntryText()); });
    QObject::connect(buttons.clear, &QPushButton::clicked, &commands, &TableCommands::clear);
    QObject::connect(buttons.newTable, &QPushButton::clicked, &commands, &TableCommands::newTable);
    QObject::connect(buttons.openTable, &QPushButton::clicked, &commands, &TableCommands::openTable);
    QObject::connect(buttons.makeDefault, &QPushButton::clicked, &commands, &TableCommands::makeDefault);
}

}  // namespace quel
