#include "schedule/table_commands.h"

#include <QFileInfo>

#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/program_folder.h"
#include "platform/settings_names.h"
#include "schedule/entry_grammar.h"
#include "schedule/table_document.h"

namespace quel {

namespace {
const QString kTableFilter = QStringLiteral("全天时间表文件(*.DTT)|*.DTT");
const QString kTableSuffix = QStringLiteral(".DTT");
}  // namespace

TableCommands::TableCommands(TableDocument& table, Dialogs& dialogs, Files& files, QString programFolder,
                             QString title, QObject* parent)
    : QObject(parent),
      table_(table),
      dialogs_(dialogs),
      settings_(files, std::move(programFolder)),
      title_(std::move(title)) {}

BuiltEntry TableCommands::add(const EditorValues& values) {
    if (!mayChange())
        return {};
    BuiltEntry built = buildEntry(values, table_.entries());
    if (built.refusal) {
        say(built.refusal->text, built.refusal->icon);
        return built;
    }
    const EditMark before = mark();
    if (!ask(QStringLiteral("你要增加[") + grammar::kEntryMark + built.entryText + QStringLiteral("]吗?")) ||
        !stillTheSame(before))
        return {};
    if (!table_.add(built.entryText)) {
        writeFailed(table_.currentPath());
        return {};
    }
    return built;
}

bool TableCommands::deleteEntry(const QString& selectedEntryText) {
    if (!mayChange())
        return false;
    if (selectedEntryText.isEmpty()) {
        say(QStringLiteral("你没有选择要删除的时间!"), MessageIcon::Warning);
        return false;
    }
    const EditMark before = mark();
    if (!ask(QStringLiteral("确认要删除[") + selectedEntryText + QStringLiteral("]吗?")) ||
        !stillTheSame(before))
        return false;
    if (!table_.remove(selectedEntryText)) {
        writeFailed(table_.currentPath());
        return false;
    }
    return true;
}

void TableCommands::clear() {
    if (!mayChange())
        return;
    const EditMark before = mark();
    if (!ask(QStringLiteral("时间表全部会被清空！你确定吗？？？")) || !stillTheSame(before))
        return;
    if (!table_.clear())
        writeFailed(table_.currentPath());
}

void TableCommands::newTable() {
    for (;;) {
        QString path = dialogs_.saveFile(
            {QStringLiteral("输入要新建的全天时间表名(*.DTT):"), tablesFolder(), kTableFilter});
        if (path.isEmpty())
            return;
        if (QFileInfo(path).suffix().isEmpty())
            path += kTableSuffix;
        if (settings_.files().exists(path) &&
            !ask(path + QStringLiteral("已存在，真的要覆盖它吗？"), MessageIcon::Warning))
            continue;
        if (!table_.create(path))
            writeFailed(path);
        return;
    }
}

void TableCommands::openTable() {
    for (;;) {
        const QString path = dialogs_.openFile(
            {QStringLiteral("选择要打开的全天时间表文件(*.DTT):"), tablesFolder(), kTableFilter});
        if (path.isEmpty())
            return;
        if (settings_.files().exists(path)) {
            table_.load(path);
            return;
        }
        say(path + QStringLiteral("不存在,请重新选择一个!"), MessageIcon::Error);
    }
}

void TableCommands::makeDefault() {
    const QString path = table_.currentPath();
    // The settings value would be read back only up to the quote.
    if (path.contains(QLatin1Char('"'))) {
        say(pathRefusalText(path), MessageIcon::Warning);
        return;
    }
    const QString settingsFile = settings_.pathForWriting(settings::kDefaultDtt);
    if (!table_.makeDefault(settingsFile)) {
        writeFailed(settingsFile);
        return;
    }
    say(path + QStringLiteral("已被设置为默认的全天时间表文件,下次程序启动时它将被调用!"),
        MessageIcon::Information);
}

EditMark TableCommands::mark() const {
    return {table_.currentPath(), table_.generation()};
}

bool TableCommands::stillTheSame(const EditMark& before) {
    if (mark() == before)
        return true;
    say(QStringLiteral("时间表已被切换，请重新操作！"), MessageIcon::Warning);
    return false;
}

bool TableCommands::mayChange() {
    if (table_.mayOverwriteFile())
        return true;
    say(table_.currentPath() + QStringLiteral("无法读取，为保护其中的时间项，不能修改它！"),
        MessageIcon::Error);
    return false;
}

bool TableCommands::ask(const QString& text, MessageIcon icon) {
    return dialogs_.message(title_, text, icon, MessageButtons::YesNo) == Answer::Yes;
}

void TableCommands::say(const QString& text, MessageIcon icon) {
    dialogs_.message(title_, text, icon);
}

void TableCommands::writeFailed(const QString& path) {
    say(path + QStringLiteral("无法写入！"), MessageIcon::Error);
}

QString TableCommands::tablesFolder() const {
    return settings_.folder() + QLatin1Char('/') + installed::kTables;
}

}  // namespace quel
