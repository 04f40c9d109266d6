#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "platform/line_in.h"
#include "radio/radio_control.h"

class QComboBox;
class QPushButton;

namespace quel {

class Dialogs;
class Launcher;
struct Platform;

// Shown instead of the radio while its line is not set up. It has no buttons; the operator closes it.
class FormRadioNotice : public QWidget {
    Q_OBJECT
public:
    explicit FormRadioNotice(QWidget* parent = nullptr);
};

// 线路设置: the operator picks the input the radio is wired to. The inputs come from the controller,
// which asks the sound server, a moment after the window opens.
class FormRadioLineIn : public QWidget {
    Q_OBJECT
public:
    FormRadioLineIn(RadioControl& control, Launcher& launcher, Dialogs& dialogs, QWidget* parent = nullptr);

private:
    void fillSources(const QList<InputSource>& sources);
    int indexOf(const QVariant& choice) const;
    QVariant chosen() const;
    void openVolumeControl();
    void save();

    RadioControl& control_;
    Launcher& launcher_;
    Dialogs& dialogs_;
    QComboBox* Combo1;
    QPushButton* Command1;  // 设置
    QPushButton* Command2;  // 确定
};

// The radio's two windows, each shown again rather than opened twice.
class RadioWindows : public QObject {
    Q_OBJECT
public:
    // `place` puts a new window where the program's small windows stand.
    RadioWindows(RadioControl& control, Platform& platform, QWidget* parent = nullptr,
                 std::function<void(QWidget*)> place = {});

    // The menu item 收音机 - 线路设置 (`Radio`).
    void showLineInSettings();
    void showNotice();

    FormRadioNotice* notice() const { return notice_; }
    FormRadioLineIn* lineInSettings() const { return settings_; }

private:
    template <typename Window, typename Make>
    void showOne(QPointer<Window>& window, Make make);

    RadioControl& control_;
    Platform& platform_;
    QWidget* parent_;
    std::function<void(QWidget*)> place_;
    QPointer<FormRadioNotice> notice_;
    QPointer<FormRadioLineIn> settings_;
};

}  // namespace quel
