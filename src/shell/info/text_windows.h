#pragma once

#include <QWidget>

class QPlainTextEdit;

namespace quel {

// A window that shows one fixed, read-only text.
class InfoTextWindow : public QWidget {
    Q_OBJECT
public:
    QPlainTextEdit* textBox() const { return text1_; }

protected:
    InfoTextWindow(const char* objectName, const QString& text, QWidget* parent);

private:
    QPlainTextEdit* text1_;
};

// FromHelp: the user manual.
class HelpWindow : public InfoTextWindow {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);
};

// FormSkill: the usage tips.
class TipsWindow : public InfoTextWindow {
    Q_OBJECT
public:
    explicit TipsWindow(QWidget* parent = nullptr);
};

QString helpText();
QString tipsText();

}  // namespace quel
