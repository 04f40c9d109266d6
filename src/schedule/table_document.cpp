#include "schedule/table_document.h"

#include "schedule/entry_grammar.h"
#include "schedule/table.h"
#include "schedule/table_file.h"

namespace quel {

TableDocument::TableDocument(Files& files, QObject* parent) : QObject(parent), files_(files) {}

void TableDocument::setDefaultPath(const QString& path) {
    defaultPath_ = path;
    emit changed();
}

void TableDocument::load(const QString& path) {
    currentPath_ = path;
    table_.load(files_, path);
    ++generation_;
    emit changed();
}

bool TableDocument::write(const QString& tableText) {
    const std::optional<QByteArray> bytes = tableFileBytes(tableText);
    if (!bytes || !files_.write(currentPath_, *bytes))
        return false;
    load(currentPath_);
    return true;
}

bool TableDocument::add(const QString& entryText) {
    if (!entryFitsInTableFile(entryText))
        return false;
    return write(table_.tableText + grammar::kEntryMark + entryText);
}

bool TableDocument::remove(const QString& entryText) {
    return write(removeEntry(table_.tableText, entryText));
}

bool TableDocument::clear() {
    if (!files_.write(currentPath_, QByteArray()))
        return false;
    load(currentPath_);
    return true;
}

bool TableDocument::create(const QString& path) {
    if (!files_.writeText(path, QString()))
        return false;
    load(path);
    return true;
}

bool TableDocument::makeDefault(const QString& settingsFile) {
    // The settings value is read back up to its first double quote.
    if (currentPath_.contains(QLatin1Char('"')) || !files_.writeText(settingsFile, currentPath_))
        return false;
    setDefaultPath(currentPath_);
    return true;
}

}  // namespace quel
