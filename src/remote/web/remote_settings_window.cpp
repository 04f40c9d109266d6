#include "remote/web/remote_settings_window.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QFutureWatcher>
#include <QHostAddress>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include "platform/settings_store.h"
#include "remote/web/remote_page.h"

namespace quel {

RemotePageSetup::RemotePageSetup(const SettingsStore& store, RemotePage& page, QObject* parent)
    : QObject(parent), store_(store), page_(page) {}

const PageSettings& RemotePageSetup::settings() const {
    return page_.settings();
}

bool RemotePageSetup::running() const {
    return page_.running();
}

void RemotePageSetup::apply(bool enabled, const QString& address, quint16 port, const QString& password) {
    if (busy_)
        return;
    if (QHostAddress(address.trimmed()).isNull()) {
        emit applied(false, QStringLiteral("地址 %1 不是有效的 IP 地址").arg(address));
        return;
    }
    PageSettings next = page_.settings();
    next.enabled = enabled;
    next.address = address.trimmed();
    next.port = port;
    if (password.isEmpty()) {
        finish(next);
        return;
    }
    busy_ = true;
    auto* watcher = new QFutureWatcher<QString>(this);
    connect(watcher, &QFutureWatcher<QString>::finished, this, [this, watcher, next]() mutable {
        watcher->deleteLater();
        busy_ = false;
        next.digest = watcher->result();
        finish(next);
    });
    watcher->setFuture(QtConcurrent::run([password] { return passwordDigest(password); }));
}

void RemotePageSetup::finish(PageSettings settings) {
    if (!savePageSettings(store_, settings)) {
        emit applied(false, QStringLiteral("设置文件写入失败，远程控制未更改"));
        return;
    }
    page_.stop();
    page_.setSettings(settings);
    if (!settings.enabled) {
        emit applied(true, QStringLiteral("远程控制已关闭"));
        return;
    }
    QString error;
    if (!page_.start(&error)) {
        emit applied(false, error);
        return;
    }
    emit applied(true,
                 QStringLiteral("远程控制已开启：http://%1:%2/").arg(settings.address).arg(page_.port()));
}

RemoteSettingsWindow::RemoteSettingsWindow(RemotePageSetup& setup, QWidget* parent)
    : QWidget(parent, Qt::Window),
      setup_(setup),
      enabled_(new QCheckBox(QStringLiteral("开启手机控制页面"), this)),
      address_(new QLineEdit(this)),
      port_(new QSpinBox(this)),
      password_(new QLineEdit(this)),
      apply_(new QPushButton(QStringLiteral("应用"), this)),
      state_(new QLabel(this)) {
    setObjectName(QStringLiteral("FormRemote"));
    setWindowTitle(QStringLiteral("远程控制"));
    enabled_->setObjectName(QStringLiteral("RemoteOn"));
    address_->setObjectName(QStringLiteral("RemoteAddress"));
    port_->setObjectName(QStringLiteral("RemotePort"));
    password_->setObjectName(QStringLiteral("RemotePassword"));
    apply_->setObjectName(QStringLiteral("RemoteApply"));
    state_->setObjectName(QStringLiteral("RemoteState"));
    port_->setRange(1, 65535);
    password_->setEchoMode(QLineEdit::Password);
    password_->setPlaceholderText(QStringLiteral("不更改请留空"));
    state_->setWordWrap(true);

    auto* form = new QFormLayout;
    form->addRow(enabled_);
    form->addRow(QStringLiteral("地址"), address_);
    form->addRow(QStringLiteral("端口"), port_);
    form->addRow(QStringLiteral("密码"), password_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(state_);
    layout->addWidget(apply_);

    connect(apply_, &QPushButton::clicked, this, [this] {
        apply_->setEnabled(false);
        state_->setText(QStringLiteral("正在应用……"));
        setup_.apply(enabled_->isChecked(), address_->text(), static_cast<quint16>(port_->value()),
                     password_->text());
    });
    connect(&setup_, &RemotePageSetup::applied, this, [this](bool, const QString& message) {
        password_->clear();
        apply_->setEnabled(true);
        showSettings();
        state_->setText(message);
    });
    showSettings();
    state_->setText(setup_.running() ? QStringLiteral("远程控制已开启") : QStringLiteral("远程控制已关闭"));
}

void RemoteSettingsWindow::showSettings() {
    const PageSettings& s = setup_.settings();
    enabled_->setChecked(s.enabled);
    address_->setText(s.address);
    port_->setValue(s.port);
}

}  // namespace quel
