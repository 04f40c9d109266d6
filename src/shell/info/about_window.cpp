#include "shell/info/about_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "shell/info/app_icon.h"
#include "shell/info/placement.h"
#include "shell/info/version.h"

namespace quel {

namespace {
constexpr QSize kAboutSize(380, 200);
constexpr int kLogoPx = 64;
constexpr int kTitlePt = 18;

QLabel* label(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}
}  // namespace

AboutWindow::AboutWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("关于 ") + version::title());
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(kAboutSize);

    auto* logo = label(this, "imgLogo", {});
    logo->setPixmap(appIconPixmap(kLogoPx));
    logo->setFixedSize(kLogoPx, kLogoPx);

    auto* lblTitle = label(this, "lblTitle", version::title());
    QFont titleFont = lblTitle->font();
    titleFont.setPointSize(kTitlePt);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);

    auto* lblVersion = label(this, "lblVersion", QStringLiteral("版本:(%1)").arg(version::text()));
    // The design names the platform the program was built for; this build runs on Linux.
    auto* label2 = label(this, "Label2", QStringLiteral("平台:Linux"));
    auto* label1 = label(this, "Label1", QStringLiteral("日志:2004-08-31"));

    auto* texts = new QVBoxLayout;
    texts->addWidget(lblTitle);
    texts->addWidget(lblVersion);
    texts->addSpacing(12);
    texts->addWidget(label2);
    texts->addWidget(label1);
    texts->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(24);
    layout->addWidget(logo, 0, Qt::AlignTop);
    layout->addLayout(texts, 1);

    placeTopCentre(this);
}

}  // namespace quel
