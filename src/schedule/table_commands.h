#pragma once

#include <QObject>
#include <QString>

#include "platform/edit_mark.h"
#include "platform/settings_store.h"
#include "schedule/entry_builder.h"

namespace quel {

class Dialogs;
class Files;
class TableDocument;

// The operator's commands on tables: 增加, 删除 and 清空 change the current table, 新建 and 打开 replace
// it, 默认 chooses the table of the next start. Every change is written at once; a write that fails is
// reported and changes nothing. Dialogs do not stop the clock tick, and an entry may switch the table
// while a question is open, so a command acts on the answer only when the table it asked about is
// still the one in memory.
class TableCommands : public QObject {
    Q_OBJECT
public:
    // `title` is the caption of every message box.
    TableCommands(TableDocument& table, Dialogs& dialogs, Files& files, QString programFolder, QString title,
                  QObject* parent = nullptr);

    // 增加: the entry that was added, or the refusal the editor shows (the focus it asks for); neither
    // when the operator said No or the table could not be changed.
    BuiltEntry add(const EditorValues& values);
    // 删除 of the selected entry text (empty when no row is selected); true when it was deleted.
    bool deleteEntry(const QString& selectedEntryText);

public slots:
    void clear();        // 清空
    void newTable();     // 新建
    void openTable();    // 打开
    void makeDefault();  // 默认

private:
    EditMark mark() const;
    // After a question: false, with a message, when another table was loaded or written meanwhile.
    bool stillTheSame(const EditMark& before);
    bool mayChange();
    bool ask(const QString& text, MessageIcon icon = MessageIcon::Question);
    void say(const QString& text, MessageIcon icon);
    void writeFailed(const QString& path);
    QString tablesFolder() const;

    TableDocument& table_;
    Dialogs& dialogs_;
    SettingsStore settings_;
    QString title_;
};

}  // namespace quel
