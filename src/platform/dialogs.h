#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

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

// A window whose dynamic property of this name is true is never made a dialog's parent: a box opened
// while it is active must not block its buttons (the power-off count-down's 取消).
inline constexpr char kNoDialogParent[] = "quelbrookNoDialogParent";

// The modal dialogs of the program. Every box is modal to its own window only; timers keep running and
// other top-level windows stay usable while one is open.
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

// Qt's dialogs, window-modal to the active window, or to the home window when no window of the
// program is active (a box that follows a window closing itself), so that no box ever opens unowned,
// under the main window, where it would seem to freeze the menus.
class WidgetDialogs final : public Dialogs {
public:
    void setHome(QWidget* home) { home_ = home; }

    Answer message(const QString& title, const QString& text, MessageIcon icon,
                   MessageButtons buttons) override;
    QString input(const QString& title, const QString& prompt, const QString& preset) override;
    QString openFile(const FileRequest& request) override;
    QString saveFile(const FileRequest& request) override;

private:
    QWidget* parent() const;
    QString chooseFile(const FileRequest& request, bool open);

    QPointer<QWidget> home_;
};

// "desc|*.a;*.b" -> "desc (*.a *.b)". Patterns also match upper- and lower-case extensions.
QString qtFilter(const QString& filter);

}  // namespace quel
