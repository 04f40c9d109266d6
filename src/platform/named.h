#pragma once

#include <QAction>
#include <QMenu>
#include <QString>

// Controls and menu entries carry the names of the window designs as object names, so that commands
// are wired and tests find them by name.
namespace quel {

template <typename T>
T* named(T* object, const QString& name) {
    object->setObjectName(name);
    return object;
}

inline QAction* addNamedAction(QMenu* menu, const QString& name, const QString& caption,
                               bool checkable = false) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setCheckable(checkable);
    return action;
}

inline QMenu* addNamedMenu(QMenu* menu, const QString& name, const QString& caption) {
    QMenu* sub = menu->addMenu(caption);
    sub->setObjectName(name);
    sub->menuAction()->setObjectName(name);
    return sub;
}

}  // namespace quel
