// The radio entries and the line setting on a fake sound server: what each setting makes an entry do,
// the notice while the line is not set up, and what 线路设置 lists and saves.

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "fakes/fake_platform.h"
#include "platform/settings_names.h"
#include "radio/radio_control.h"
#include "radio/radio_windows.h"

using namespace quel;
using namespace quel::fakes;

namespace {

const QByteArray kMissing = QByteArrayLiteral("<missing>");
// Stands there, but cannot be read.
const QByteArray kUnreadable = QByteArrayLiteral("<unreadable>");

const QList<InputSource> kSources{{QStringLiteral("alsa_input.line"), QStringLiteral("Line In")},
                                  {QStringLiteral("alsa_input.mic"), QStringLiteral("Microphone")}};

QList<FormRadioNotice*> openNotices() {
    QList<FormRadioNotice*> open;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* notice = qobject_cast<FormRadioNotice*>(top); notice && notice->isVisible())
            open << notice;
    }
    return open;
}

QStringList itemTexts(const QComboBox* combo) {
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

}  // namespace

class RadioTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        fakes_ = std::make_unique<FakePlatform>(dir_->path());
        fakes_->lineIn.sources = kSources;
        host_ = std::make_unique<QWidget>();
    }
    void cleanup() {
        windows_.reset();
        host_.reset();  // and the radio's windows with it
        control_.reset();
        fakes_.reset();
        dir_.reset();
    }

    void theSettingDecidesWhatEntriesDo_data() {
        QTest::addColumn<QByteArray>("radioFile");
        QTest::addColumn<QByteArray>("sourceFile");
        QTest::addColumn<QStringList>("requests");
        QTest::addRow("the reset value: not set up") << QByteArray("1\r\n") << kMissing << QStringList();
        QTest::addRow("no Radio.txt: not set up")
            << kMissing << QByteArray("\"alsa_input.line\"\r\n") << QStringList();
        QTest::addRow("no number: not set up") << QByteArray("\"on\"\r\n") << kMissing << QStringList();
        QTest::addRow("an input chosen") << QByteArray("0\r\n") << QByteArray("\"alsa_input.line\"\r\n")
                                         << QStringList{"on alsa_input.line", "off"};
        QTest::addRow("the default input")
            << QByteArray("0\r\n") << QByteArray("\"\"\r\n") << QStringList{"on ", "off"};
        // A folder copied from the Windows version: a count, and no RadioSource.txt. The default input is
        // usually a microphone, and nobody chose it.
        QTest::addRow("a count of the Windows version without RadioSource.txt: not set up")
            << QByteArray("4\r\n") << kMissing << QStringList();
        QTest::addRow("set up, but RadioSource.txt missing: not set up")
            << QByteArray("0\r\n") << kMissing << QStringList();
        QTest::addRow("set up, but RadioSource.txt unreadable: not set up")
            << QByteArray("0\r\n") << kUnreadable << QStringList();
        QTest::addRow("a count of the Windows version and the default input chosen since")
            << QByteArray("4\r\n") << QByteArray("\"\"\r\n") << QStringList{"on ", "off"};
    }
    void theSettingDecidesWhatEntriesDo() {
        QFETCH(QByteArray, radioFile);
        QFETCH(QByteArray, sourceFile);
        QFETCH(QStringList, requests);
        put(settings::kRadio, radioFile);
        put(settings::kRadioSource, sourceFile);
        build();
        control_->radio(true);
        control_->radio(false);
        QCOMPARE(fakes_->lineIn.requests, requests);
        QCOMPARE(openNotices().size(), requests.isEmpty() ? 1 : 0);
    }

    // Each 收音机开 and 收音机关 is answered once, later, with why it failed: the history writes it.
    void eachRadioEntryIsAnswered_data() {
        QTest::addColumn<QByteArray>("radioFile");
        QTest::addColumn<QString>("serverSays");
        QTest::addColumn<QStringList>("answers");
        QTest::addRow("switched") << QByteArray("0\r\n") << "" << QStringList{"on ", "off "};
        QTest::addRow("the server failed") << QByteArray("0\r\n") << "no input named alsa_input.line"
                                           << QStringList{"on 声音服务器：no input named alsa_input.line",
                                                          "off 声音服务器：no input named alsa_input.line"};
        QTest::addRow("not set up") << QByteArray("1\r\n") << ""
                                    << QStringList{"on 收音机线路没有设置", "off 收音机线路没有设置"};
    }
    void eachRadioEntryIsAnswered() {
        QFETCH(QByteArray, radioFile);
        QFETCH(QString, serverSays);
        QFETCH(QStringList, answers);
        put(settings::kRadio, radioFile);
        put(settings::kRadioSource, "\"alsa_input.line\"\r\n");
        fakes_->lineIn.failWith = serverSays;
        build();
        QStringList answered;
        connect(control_.get(), &RadioControl::switched, this, [&](bool on, const QString& failure) {
            answered << (on ? QStringLiteral("on ") : QStringLiteral("off ")) + failure;
        });
        control_->radio(true);
        control_->radio(false);
        // Not from inside the request: the tick records the entry only after it returned.
        QVERIFY(answered.isEmpty());
        QTRY_COMPARE(answered, answers);
        // Giving the line up silences the radio; that is no entry's answer.
        control_->save({});
        QCoreApplication::processEvents();
        QCOMPARE(answered, answers);
    }

    void theNoticeIsOneWindowShownAgain() {
        put(settings::kRadio, "1\r\n");
        build();
        control_->radio(true);
        control_->radio(false);
        QCOMPARE(openNotices().size(), 1);
        FormRadioNotice* notice = openNotices().first();
        QCOMPARE(windows_->notice(), notice);
        QVERIFY(fakes_->lineIn.requests.isEmpty());

        notice->close();  // the operator closes it
        QTRY_VERIFY(windows_->notice() == nullptr);
        control_->radio(true);
        QCOMPARE(openNotices().size(), 1);
    }

    void theSettingsWindowListsTheInputs_data() {
        QTest::addColumn<QByteArray>("radioFile");
        QTest::addColumn<QByteArray>("sourceFile");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QStringList>("items");
        const QStringList listed{"未设置", "默认输入源", "Line In", "Microphone"};
        QTest::addRow("not set up") << QByteArray("1\r\n") << kMissing << "未设置" << listed;
        QTest::addRow("the default input")
            << QByteArray("0\r\n") << QByteArray("\"\"\r\n") << "默认输入源" << listed;
        QTest::addRow("a listed input")
            << QByteArray("0\r\n") << QByteArray("\"alsa_input.mic\"\r\n") << "Microphone" << listed;
        QTest::addRow("an unplugged input is kept") << QByteArray("0\r\n") << QByteArray("\"usb_radio\"\r\n")
                                                    << "usb_radio" << (listed + QStringList{"usb_radio"});
    }
    void theSettingsWindowListsTheInputs() {
        QFETCH(QByteArray, radioFile);
        QFETCH(QByteArray, sourceFile);
        QFETCH(QString, shown);
        QFETCH(QStringList, items);
        put(settings::kRadio, radioFile);
        put(settings::kRadioSource, sourceFile);
        build();
        QComboBox* combo = openSettings();
        QCOMPARE(itemTexts(combo), items);
        QCOMPARE(combo->currentText(), shown);
    }

    void aListArrivingLateKeepsTheOperatorsChoice() {
        put(settings::kRadio, "1\r\n");
        fakes_->lineIn.sources.clear();  // nothing yet: the server answers later
        build();
        QComboBox* combo = openSettings();
        combo->setCurrentIndex(combo->findText(QStringLiteral("默认输入源")));
        emit fakes_->lineIn.sourcesListed(kSources);
        QCOMPARE(combo->count(), 4);
        QCOMPARE(combo->currentText(), QStringLiteral("默认输入源"));
    }

    void okSavesTheChoiceAndCloses_data() {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QByteArray>("radioFile");
        QTest::addColumn<QByteArray>("sourceFile");
        QTest::addColumn<QStringList>("requests");  // of a 收音机开 after the save
        QTest::addRow("an input") << "Line In" << QByteArray("0\r\n") << QByteArray("\"alsa_input.line\"\r\n")
                                  << QStringList{"on alsa_input.line"};
        QTest::addRow("the default input")
            << "默认输入源" << QByteArray("0\r\n") << QByteArray("\"\"\r\n") << QStringList{"on "};
        // Giving the line up silences a radio that may be playing; entries then show the notice.
        QTest::addRow("not set up") << "未设置" << QByteArray("1\r\n") << QByteArray("\"\"\r\n")
                                    << QStringList{"off"};
    }
    void okSavesTheChoiceAndCloses() {
        QFETCH(QString, choice);
        QFETCH(QByteArray, radioFile);
        QFETCH(QByteArray, sourceFile);
        QFETCH(QStringList, requests);
        put(settings::kRadio, "0\r\n");
        put(settings::kRadioSource, "\"alsa_input.mic\"\r\n");
        build();
        QComboBox* combo = openSettings();
        combo->setCurrentIndex(combo->findText(choice));
        fakes_->lineIn.requests.clear();
        click("Command2");
        QCOMPARE(bytes(settings::kRadio), radioFile);
        QCOMPARE(bytes(settings::kRadioSource), sourceFile);
        QTRY_VERIFY(windows_->lineInSettings() == nullptr);
        control_->radio(true);
        QCOMPARE(fakes_->lineIn.requests, requests);
        QCOMPARE(openNotices().size(), radioFile == "1\r\n" ? 1 : 0);
    }

    void aFailedSaveIsSaidAndTheWindowStays() {
        put(settings::kRadio, "1\r\n");
        build();
        fakes_->files.unwritable << dir_->filePath(settings::kRadio);
        QComboBox* combo = openSettings();
        combo->setCurrentIndex(combo->findText(QStringLiteral("Line In")));
        click("Command2");
        QCOMPARE(fakes_->dialogs.messages.size(), 1);
        QCOMPARE(fakes_->dialogs.messages.first().text, QStringLiteral("收音机接入线路无法保存到文件中！"));
        QCOMPARE(fakes_->dialogs.messages.first().icon, MessageIcon::Error);
        QVERIFY(windows_->lineInSettings()->isVisible());
        QCOMPARE(bytes(settings::kRadio), QByteArray("1\r\n"));
        control_->radio(true);
        QVERIFY(fakes_->lineIn.requests.endsWith(QStringLiteral("list")));  // no radio request
    }

    void theVolumeControlIsOfferedWhereInstalled_data() {
        QTest::addColumn<bool>("installed");
        QTest::addRow("installed") << true;
        QTest::addRow("not installed") << false;
    }
    void theVolumeControlIsOfferedWhereInstalled() {
        QFETCH(bool, installed);
        fakes_->launcher.succeed = installed;
        build();
        openSettings();
        auto* button = windows_->lineInSettings()->findChild<QPushButton*>(QStringLiteral("Command1"));
        QCOMPARE(button->isEnabled(), installed);
        button->click();
        QCOMPARE(fakes_->launcher.runs, installed ? QStringList{"pavucontrol"} : QStringList());
    }

    void theSettingsWindowIsOpenedOnce() {
        build();
        windows_->showLineInSettings();
        FormRadioLineIn* first = windows_->lineInSettings();
        windows_->showLineInSettings();
        QCOMPARE(windows_->lineInSettings(), first);
        QCOMPARE(host_->findChildren<FormRadioLineIn*>().size(), 1);
    }

private:
    void put(const QString& name, const QByteArray& content) {
        if (content == kUnreadable) {
            QVERIFY(fakes_->files.write(dir_->filePath(name), "\"alsa_input.line\"\r\n"));
            fakes_->files.unreadable << dir_->filePath(name);
        } else if (content != kMissing) {
            QVERIFY(fakes_->files.write(dir_->filePath(name), content));
        }
    }
    QByteArray bytes(const QString& name) const {
        return fakes_->files.read(dir_->filePath(name)).value_or(kMissing);
    }
    void build() {
        control_ = std::make_unique<RadioControl>(fakes_->lineIn, fakes_->files, dir_->path());
        windows_ = std::make_unique<RadioWindows>(*control_, fakes_->platform, host_.get());
    }
    QComboBox* openSettings() {
        windows_->showLineInSettings();
        FormRadioLineIn* window = windows_->lineInSettings();
        return window ? window->findChild<QComboBox*>(QStringLiteral("Combo1")) : nullptr;
    }
    void click(const char* button) {
        windows_->lineInSettings()->findChild<QPushButton*>(QLatin1String(button))->click();
    }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<FakePlatform> fakes_;
    std::unique_ptr<QWidget> host_;
    std::unique_ptr<RadioControl> control_;
    std::unique_ptr<RadioWindows> windows_;
};

QTEST_MAIN(RadioTest)
#include "radio_test.moc"
