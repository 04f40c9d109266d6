#include "shell/info/text_windows.h"

#include <QPlainTextEdit>
#include <QTextDocument>
#include <QVBoxLayout>

#include "shell/info/placement.h"
#include "shell/info/version.h"

namespace quel {

namespace {
constexpr QSize kTextWindowSize(620, 520);
constexpr int kTextMargin = 10;
}  // namespace

InfoTextWindow::InfoTextWindow(const char* objectName, const QString& text, QWidget* parent)
    : QWidget(parent, Qt::Window), text1_(new QPlainTextEdit(this)) {
    setObjectName(QString::fromLatin1(objectName));
    setWindowTitle(version::title());
    setAttribute(Qt::WA_DeleteOnClose);
    resize(kTextWindowSize);

    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setReadOnly(true);
    text1_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    text1_->setPlainText(text);
    text1_->document()->setDocumentMargin(kTextMargin);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(text1_);

    placeTopCentre(this);
}

HelpWindow::HelpWindow(QWidget* parent) : InfoTextWindow("FromHelp", helpText(), parent) {}

TipsWindow::TipsWindow(QWidget* parent) : InfoTextWindow("FormSkill", tipsText(), parent) {}

}  // namespace quel
