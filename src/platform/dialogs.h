#pragma once

#include <QString>

class QWidget;

namespace quel {

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, YesNo };
enum class Answer { Ok, Yes, No };

// A file dialog request. The filter is written "description|*.a;*.b" as the window designs give it.
struct FileRequest {
    QString title;
    QString folder;
    QString filter;
};

// The modal dialogs of the program. Every box is modal; timers keep running while one is open.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual Answer message(const QString& title, const QString& text, MessageIcon icon,
                           MessageButtons buttons = MessageButtons::Ok) = 0;
    // The typed text; empty when the operator cancels or leaves it empty (the two are not told apart).
    virtual QString input(const QString& title, const QString& prompt, const QString& preset) = 0;
    // The chosen full path, or empty when cancelled.
    virtual QString openFile(const FileRequest& request) = 0;
    virtual QString saveFile(const FileRequest& request) = 0;
};

// Qt's dialogs, parented to the active window.
class WidgetDialogs final : public Dialogs {
public:
    Answer message(const QString& title, const QString& text, MessageIcon icon,
                   MessageButtons buttons) override;
    QString input(const QString& title, const QString& prompt, const QString& preset) override;
    QString openFile(const FileRequest& request) override;
    QString saveFile(const FileRequest& request) override;
};

// "desc|*.a;*.b" -> "desc (*.a *.b)". Patterns also match upper- and lower-case extensions.
QString qtFilter(const QString& filter);

}  // namespace quel
