#include "radio/radio_windows.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/dialogs.h"
#include "platform/launcher.h"
#include "platform/named.h"
#include "platform/platform.h"
#include "platform/program_title.h"

namespace quel {

namespace {

const QString kTitle = programTitle();
// The desktop's volume control, where the operator sees which input the radio comes in on.
const QString kVolumeControl = QStringLiteral("pavucontrol");

// The items of Combo1 carry the choice: no value for 未设置, else the input's name, empty for the
// default input.
QVariant choiceOf(const RadioSetting& setting) {
    return setting.setUp ? QVariant(setting.source) : QVariant();
}

RadioSetting settingOf(const QVariant& choice) {
    return choice.isValid() ? RadioSetting{true, choice.toString()} : RadioSetting{};
}

QLabel* label(const char* name, const QString& text, QWidget* parent) {
    auto* l = named(new QLabel(text, parent), QString::fromLatin1(name));
    l->setWordWrap(true);
    return l;
}

}  // namespace

FormRadioNotice::FormRadioNotice(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("FormRadioNotice"));
    setWindowTitle(QStringLiteral("收音机线路设置错误提示"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        label("Label1",
              QStringLiteral("收音机信号不能输入。你没有设置好收音机的接入线路！进入菜单[收音机-"
                             "线路设置]中设置好收音机的输入线路"),
              this));
    setMinimumWidth(360);
}

FormRadioLineIn::FormRadioLineIn(RadioControl& control, Launcher& launcher, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window),
      control_(control),
      launcher_(launcher),
      dialogs_(dialogs),
      Combo1(named(new QComboBox(this), QStringLiteral("Combo1"))),
      Command1(named(new QPushButton(QStringLiteral("设置"), this), QStringLiteral("Command1"))),
      Command2(named(new QPushButton(QStringLiteral("确定"), this), QStringLiteral("Command2"))) {
    setObjectName(QStringLiteral("FormRadioLineIn"));
    setWindowTitle(QStringLiteral("设置收音机接入线路"));
    setAttribute(Qt::WA_DeleteOnClose);

    // The steps of the Windows version counted key presses in its volume window; here the operator
    // names the input itself.
    auto* grid = new QGridLayout(this);
    grid->addWidget(label("Label1", QStringLiteral("设置收音机接入线路操作步骤"), this), 0, 0, 1, 3);
    grid->addWidget(label("Label2", QStringLiteral("第一步：把收音机接到声卡的线路输入口[Line In]"), this), 1,
                    0, 1, 3);
    grid->addWidget(
        label("Label3",
              QStringLiteral("第二步：选择收音机接入的输入源（按[设置]可在音量控制中查看各输入源）"), this),
        2, 0, 1, 3);
    grid->addWidget(label("Label4", QStringLiteral("输入源"), this), 3, 0);
    grid->addWidget(Combo1, 3, 1);
    grid->addWidget(Command1, 3, 2);
    grid->addWidget(label("Label5", QStringLiteral("第三步：保存以上设置并关闭本窗口"), this), 4, 0, 1, 3);
    grid->addWidget(Command2, 5, 0, 1, 3, Qt::AlignCenter);
    grid->setColumnStretch(1, 1);

    fillSources({});
    Command1->setEnabled(launcher_.isInstalled(kVolumeControl));
    if (!Command1->isEnabled())
        Command1->setToolTip(QStringLiteral("没有安装音量控制程序 pavucontrol"));
    connect(Command1, &QPushButton::clicked, this, &FormRadioLineIn::openVolumeControl);
    connect(Command2, &QPushButton::clicked, this, &FormRadioLineIn::save);
    connect(&control_, &RadioControl::sourcesListed, this, &FormRadioLineIn::fillSources);
    control_.listSources();
}

void FormRadioLineIn::fillSources(const QList<InputSource>& sources) {
    // What is shown stays chosen when the list arrives; before that, the saved setting is shown.
    const QVariant keep = Combo1->count() > 0 ? chosen() : choiceOf(control_.setting());
    Combo1->clear();
    Combo1->addItem(QStringLiteral("未设置"), QVariant());
    Combo1->addItem(QStringLiteral("默认输入源"), QString());
    for (const InputSource& source : sources) {
        Combo1->addItem(source.description, source.name);
        Combo1->setItemData(Combo1->count() - 1, source.name, Qt::ToolTipRole);
    }
    // An input that is unplugged just now is still the radio's: keep it, shown by its name.
    if (indexOf(keep) < 0)
        Combo1->addItem(keep.toString(), keep);
    Combo1->setCurrentIndex(indexOf(keep));
}

int FormRadioLineIn::indexOf(const QVariant& choice) const {
    for (int i = 0; i < Combo1->count(); ++i) {
        const QVariant item = Combo1->itemData(i);
        if (item.isValid() == choice.isValid() && item.toString() == choice.toString())
            return i;
    }
    return -1;
}

QVariant FormRadioLineIn::chosen() const {
    return Combo1->currentData();
}

void FormRadioLineIn::openVolumeControl() {
    launcher_.run(kVolumeControl);
}

void FormRadioLineIn::save() {
    if (!control_.save(settingOf(chosen()))) {
        // Not stored, so the next start would not know the line: say so and stay open.
        dialogs_.message(kTitle, QStringLiteral("收音机接入线路无法保存到文件中！"), MessageIcon::Error);
        return;
    }
    close();
}

RadioWindows::RadioWindows(RadioControl& control, Platform& platform, QWidget* parent,
                           std::function<void(QWidget*)> place)
    : QObject(parent), control_(control), platform_(platform), parent_(parent), place_(std::move(place)) {
    connect(&control_, &RadioControl::notSetUp, this, &RadioWindows::showNotice);
}

template <typename Window, typename Make>
void RadioWindows::showOne(QPointer<Window>& window, Make make) {
    if (!window) {
        window = make();
        window->adjustSize();
        if (place_)
            place_(window);
    }
    if (window->isMinimized())
        window->showNormal();
    window->show();
    window->raise();
    window->activateWindow();
}

void RadioWindows::showNotice() {
    showOne(notice_, [this] { return new FormRadioNotice(parent_); });
}

void RadioWindows::showLineInSettings() {
    showOne(settings_,
            [this] { return new FormRadioLineIn(control_, platform_.launcher, platform_.dialogs, parent_); });
}

}  // namespace quel
