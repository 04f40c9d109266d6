#include "shell/info/about_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "platform/named.h"
#include "shell/info/app_icon.h"
#include "shell/info/placement.h"
#include "shell/info/version.h"

namespace quel {

namespace {
constexpr QSize kAboutSize(380, 200);
constexpr int kLogoPx = 64;
constexpr int kTitlePt = 18;

}  // namespace

AboutWindow::AboutWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("关于 ") + version::title());
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(kAboutSize);

    auto* logo = named(new QLabel(this), "imgLogo");
    logo->setPixmap(appIconPixmap(kLogoPx));
    logo->setFixedSize(kLogoPx, kLogoPx);

    auto* lblTitle = named(new QLabel(version::title(), this), "lblTitle");
    QFont titleFont = lblTitle->font();
    titleFont.setPointSize(kTitlePt);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);

    auto* lblVersion =
        named(new QLabel(QStringLiteral("版本:(%1)").arg(version::text()), this), "lblVersion");
    // The design names the platform the program was built for; this build runs on Linux.
    auto* label2 = named(new QLabel(QStringLiteral("平台:Linux"), this), "Label2");
    auto* label1 = named(new QLabel(QStringLiteral("日志:2004-08-31"), this), "Label1");

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
