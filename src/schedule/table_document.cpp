#include "schedule/table_document.h"

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

}  // namespace quel
