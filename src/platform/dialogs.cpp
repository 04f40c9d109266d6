#include "platform/dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace quel {

QString qtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            // Linux names are case-sensitive; files from Windows often carry upper-case extensions.
            patterns << p.toLower();
            if (p.toUpper() != p.toLower())
                patterns << p.toUpper();
        }
        patterns.removeDuplicates();
        out << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return out.join(QStringLiteral(";;"));
}

namespace {

// Application-modal boxes would block every window of the program, a count-down's 取消 included.
template <typename D>
int execWindowModal(D& dialog) {
    dialog.setWindowModality(Qt::WindowModal);
    return dialog.exec();
}

}  // namespace

QWidget* WidgetDialogs::parent() const {
    QWidget* active = QApplication::activeWindow();
    if (active && active->property(kNoDialogParent).toBool())
        return nullptr;
    if (active)
        return active;
    return home_ && home_->isVisible() ? home_.data() : nullptr;
}

QString WidgetDialogs::chooseFile(const FileRequest& request, bool open) {
    QFileDialog dialog(parent(), request.title, request.folder, qtFilter(request.filter));
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    if (open) {
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        // The program asks its own overwrite question, so Qt's is switched off.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    }
    if (execWindowModal(dialog) != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

Answer WidgetDialogs::message(const QString& title, const QString& text, MessageIcon icon,
                              MessageButtons buttons) {
    QMessageBox box(parent());
    box.setWindowTitle(title);
    box.setText(text);
    switch (icon) {
        case MessageIcon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
        case MessageIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MessageIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case MessageIcon::Error:
            box.setIcon(QMessageBox::Critical);
            break;
        case MessageIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
    }
    if (buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("是"));
        box.button(QMessageBox::No)->setText(QStringLiteral("否"));
        return execWindowModal(box) == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    execWindowModal(box);
    return Answer::Ok;
}

QString WidgetDialogs::input(const QString& title, const QString& prompt, const QString& preset) {
    QInputDialog dialog(parent());
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(preset);
    return execWindowModal(dialog) == QDialog::Accepted ? dialog.textValue() : QString();
}

QString WidgetDialogs::openFile(const FileRequest& request) {
    return chooseFile(request, true);
}

QString WidgetDialogs::saveFile(const FileRequest& request) {
    return chooseFile(request, false);
}

}  // namespace quel
