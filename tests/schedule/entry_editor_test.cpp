// The entry editor panel on fakes: what its options choose, preview and show, and the values it hands
// to 增加.

#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>

#include "fakes/fake_platform.h"
#include "schedule/entry_choices.h"
#include "schedule/entry_editor.h"

using namespace quel;
using namespace quel::fakes;

namespace {
const QString kFolder = QStringLiteral("/srv/quel");
const QString kRing = QStringLiteral("/srv/quel/timeup.mp3");
}  // namespace

class EntryEditorTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void startsWithNothingChosenAndNothingTyped();
    void defaultToneSoundsOnAMousePress();
    void chosenToneOpensTheToneDialogAndSoundsTheChoice();
    void cancelledToneFallsBackOnlyTheFirstTime();
    void theChosenTonesFileNameShowsBesideItsOption_data();
    void theChosenTonesFileNameShowsBesideItsOption();
    void arrowKeysThroughTheToneOptionsSoundAndAskNothing();
    void fileOptionsFillTheirBoxes_data();
    void fileOptionsFillTheirBoxes();
    void bothPlayListOptionsShareOneChoice();
    void recurrenceOptionsEnableOnlyTheirFields();
    void handsOverWhatTheOperatorChose();
    void aRefusedYearIsEmptiedAndFocused();

private:
    template <typename T>
    T* find(const char* name) const {
        T* w = editor_->findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QRadioButton* option(const char* name) const { return find<QRadioButton>(name); }
    QLineEdit* box(const char* name) const { return find<QLineEdit>(name); }
    void press(const char* name) { QTest::mousePress(option(name), Qt::LeftButton); }

    QStringList mediaLog_;
    std::unique_ptr<FakeMedia> player_;
    std::unique_ptr<FakeDialogs> dialogs_;
    std::unique_ptr<EntryChoices> choices_;
    std::unique_ptr<EntryEditor> editor_;
};

void EntryEditorTest::init() {
    mediaLog_.clear();
    player_ = std::make_unique<FakeMedia>(&mediaLog_, QStringLiteral("m1"));
    dialogs_ = std::make_unique<FakeDialogs>();
    choices_ = std::make_unique<EntryChoices>(*dialogs_, *player_, kFolder);
    choices_->setDefaultRing(kRing);
    editor_ = std::make_unique<EntryEditor>(*choices_);
    editor_->fillTimeLists();
    editor_->show();
    QVERIFY(QTest::qWaitForWindowExposed(editor_.get()));
}

void EntryEditorTest::cleanup() {
    editor_.reset();
    choices_.reset();
}

void EntryEditorTest::startsWithNothingChosenAndNothingTyped() {
    for (const char* name : {"Combo5", "Combo6", "Combo7", "Combo8", "Combo9", "Combo10"}) {
        auto* combo = find<QComboBox>(name);
        QVERIFY2(!combo->isEditable(), name);
        QVERIFY2(combo->currentText().isEmpty(), name);
        QVERIFY2(!combo->isEnabled(), name);
    }
    QVERIFY(option("Option3")->isChecked());
    QVERIFY(option("Option1")->isChecked());
    QVERIFY(box("Text7")->isReadOnly());
    QVERIFY(box("Text9")->isReadOnly());
    QVERIFY(!box("Text6")->isReadOnly());
    QVERIFY(!box("Text8")->isReadOnly());
    QVERIFY(choices_->chosenTone().isEmpty());
    const EditorValues v = editor_->values();
    QVERIFY(v.hour.isEmpty() && v.minute.isEmpty() && v.second.isEmpty());
    QCOMPARE(v.response, ResponseOption::DefaultTone);
}

void EntryEditorTest::defaultToneSoundsOnAMousePress() {
    option("Option19")->setChecked(true);
    press("Option1");
    QVERIFY(option("Option1")->isChecked());
    QCOMPARE(choices_->chosenTone(), kRing);
    QCOMPARE(mediaLog_, QStringList({"m1 file " + kRing, "m1 play"}));
    QVERIFY(dialogs_->fileDialogs.isEmpty());
}

void EntryEditorTest::chosenToneOpensTheToneDialogAndSoundsTheChoice() {
    dialogs_->fileAnswers = {QStringLiteral("/music/上课.wav")};
    press("Option2");
    QVERIFY(option("Option2")->isChecked());
    QCOMPARE(choices_->chosenTone(), QStringLiteral("/music/上课.wav"));
    QCOMPARE(mediaLog_, QStringList({"m1 stop", "m1 file /music/上课.wav", "m1 play"}));
    QCOMPARE(dialogs_->fileDialogs.size(), 1);
    const FileRequest& r = dialogs_->fileDialogs[0].request;
    QVERIFY(!dialogs_->fileDialogs[0].save);
    QCOMPARE(r.title, QStringLiteral("请选择内部铃声："));
    QCOMPARE(r.folder, kFolder);
    QVERIFY(r.filter.startsWith(QStringLiteral("所有可以播放的文件|*.avi;")));
    QVERIFY(r.filter.contains(QStringLiteral(";*.mp3;")));
    // The release after the dialog does not toggle anything back.
    QTest::mouseRelease(option("Option2"), Qt::LeftButton);
    QVERIFY(option("Option2")->isChecked());
    QCOMPARE(editor_->values().chosenTone, QStringLiteral("/music/上课.wav"));
}

void EntryEditorTest::cancelledToneFallsBackOnlyTheFirstTime() {
    press("Option2");  // cancelled at once
    QVERIFY(option("Option1")->isChecked());
    QCOMPARE(choices_->chosenTone(), kRing);

    dialogs_->fileAnswers = {QStringLiteral("/music/a.wav")};
    press("Option2");
    press("Option2");  // cancelled while the earlier choice is in force
    QVERIFY(option("Option2")->isChecked());
    QCOMPARE(choices_->chosenTone(), QStringLiteral("/music/a.wav"));
    QCOMPARE(dialogs_->fileDialogs.size(), 3);
}

// Tone entries differ only at the end of a long path, which the list cuts; the editor names the file.
void EntryEditorTest::theChosenTonesFileNameShowsBesideItsOption_data() {
    QTest::addColumn<QStringList>("answers");  // one per press of 选择乐音; empty: cancelled
    QTest::addColumn<bool>("thenDefault");
    QTest::addColumn<QString>("name");
    QTest::addRow("a chosen file") << QStringList{"/usr/share/quelbrook/toll/A/上课.wav"} << false
                                   << "上课.wav";
    QTest::addRow("cancelled at once") << QStringList{""} << false << "";
    QTest::addRow("cancelled after a choice keeps it") << QStringList{"/m/a.wav", ""} << false << "a.wav";
    QTest::addRow("another choice replaces it") << QStringList{"/m/a.wav", "/m/b.wav"} << false << "b.wav";
    QTest::addRow("默认乐音 afterwards") << QStringList{"/m/a.wav"} << true << "";
}

void EntryEditorTest::theChosenTonesFileNameShowsBesideItsOption() {
    QFETCH(QStringList, answers);
    QFETCH(bool, thenDefault);
    QFETCH(QString, name);
    for (const QString& answer : answers) {
        dialogs_->fileAnswers = {answer};
        press("Option2");
    }
    if (thenDefault)
        press("Option1");
    const QLabel* shown = find<QLabel>("chosenToneName");
    QCOMPARE(shown->text(), name);
    QCOMPARE(shown->toolTip(), name.isEmpty() ? QString() : choices_->chosenTone());
}

void EntryEditorTest::arrowKeysThroughTheToneOptionsSoundAndAskNothing() {
    editor_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(editor_.get()));
    option("Option1")->setFocus();
    QTest::keyClick(option("Option1"), Qt::Key_Right);
    QVERIFY(option("Option2")->isChecked());
    QTest::keyClick(option("Option2"), Qt::Key_Left);
    QVERIFY(option("Option1")->isChecked());
    QVERIFY(mediaLog_.isEmpty());
    QVERIFY(dialogs_->fileDialogs.isEmpty());
    QVERIFY(choices_->chosenTone().isEmpty());
}

void EntryEditorTest::fileOptionsFillTheirBoxes_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("shown");
    const QString playLists = kFolder + QStringLiteral("/PlayListFile");
    const QString plf = QStringLiteral("播放列表文件(*.PLF)|*.PLF");
    QTest::addRow("静态 play list") << "Option14"
                                    << "Text7" << QStringLiteral("请选择播放列表文件:") << playLists << plf
                                    << "/p/早操.PLF" << QStringLiteral("/p/早操.PLF");
    QTest::addRow("动态 play list") << "Option29"
                                    << "Text9" << QStringLiteral("请选择播放列表文件:") << playLists << plf
                                    << "/p/a.PLF"
                                    << "/p/a.PLF";
    const QString programTitle = QStringLiteral("请选择要执行的可执行文件名：(*.com,*.exe):");
    const QString programFilter = QStringLiteral("所有文件(*)|*");
    QTest::addRow("a program") << "Option21"
                               << "Text6" << programTitle << QDir::homePath() << programFilter
                               << "/usr/bin/touch"
                               << "/usr/bin/touch";
    QTest::addRow("a program whose path has blanks is quoted")
        << "Option21"
        << "Text6" << programTitle << QDir::homePath() << programFilter << "/opt/my tools/run.sh"
        << "'/opt/my tools/run.sh'";
    QTest::addRow("a table") << "Option27"
                             << "Text8" << QStringLiteral("请选择要打开的全天时间安排表：")
                             << kFolder + QStringLiteral("/DayTimeTable")
                             << QStringLiteral("全天时间安排表(*.DTT)|*.DTT") << "/t/b.DTT"
                             << "/t/b.DTT";
}

void EntryEditorTest::fileOptionsFillTheirBoxes() {
    QFETCH(QString, option);
    QFETCH(QString, box);
    QFETCH(QString, title);
    QFETCH(QString, folder);
    QFETCH(QString, filter);
    QFETCH(QString, chosen);
    QFETCH(QString, shown);
    auto* button = editor_->findChild<QRadioButton*>(option);
    auto* text = editor_->findChild<QLineEdit*>(box);
    dialogs_->fileAnswers = {chosen};
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(button->isChecked());
    QCOMPARE(text->text(), shown);
    QCOMPARE(text->toolTip(), shown);
    QCOMPARE(dialogs_->fileDialogs.size(), 1);
    const FileRequest& r = dialogs_->fileDialogs[0].request;
    QCOMPARE(r.title, title);
    QCOMPARE(r.folder, folder);
    QCOMPARE(r.filter, filter);

    QTest::mouseClick(button, Qt::LeftButton);  // cancelled
    QCOMPARE(text->text(), QString());
    QCOMPARE(text->toolTip(), QString());
    QVERIFY(mediaLog_.isEmpty());
}

void EntryEditorTest::bothPlayListOptionsShareOneChoice() {
    dialogs_->fileAnswers = {QStringLiteral("/p/a.PLF")};
    QTest::mouseClick(option("Option14"), Qt::LeftButton);
    QCOMPARE(choices_->chosenPlayList(), QStringLiteral("/p/a.PLF"));
    QTest::mouseClick(option("Option29"), Qt::LeftButton);  // cancelled
    QCOMPARE(choices_->chosenPlayList(), QString());
    QCOMPARE(box("Text9")->text(), QString());
    QCOMPARE(box("Text7")->text(), QStringLiteral("/p/a.PLF"));
}

void EntryEditorTest::recurrenceOptionsEnableOnlyTheirFields() {
    option("Option7")->click();  // captionless: only its circle takes a mouse click
    QTest::keyClicks(box("Text5"), QStringLiteral("2004"));
    find<QComboBox>("Combo9")->setCurrentIndex(8);
    QVERIFY(box("Text5")->isEnabled());
    QTest::mouseClick(option("Option6"), Qt::LeftButton);
    QVERIFY(!box("Text5")->isEnabled());
    QVERIFY(!find<QComboBox>("Combo9")->isEnabled());
    QVERIFY(find<QComboBox>("Combo7")->isEnabled() && find<QComboBox>("Combo8")->isEnabled());
    QCOMPARE(box("Text5")->text(), QStringLiteral("2004"));
    QCOMPARE(find<QComboBox>("Combo9")->currentText(), QStringLiteral("9"));
}

void EntryEditorTest::handsOverWhatTheOperatorChose() {
    find<QListWidget>("List1")->setCurrentRow(13);
    find<QListWidget>("List2")->setCurrentRow(5);
    find<QListWidget>("List3")->setCurrentRow(0);
    box("Text4")->setText(QStringLiteral("午休"));
    QTest::mouseClick(option("Option4"), Qt::LeftButton);
    find<QComboBox>("Combo5")->setCurrentIndex(6);
    dialogs_->fileAnswers = {QStringLiteral("/bin/echo")};
    QTest::mouseClick(option("Option21"), Qt::LeftButton);
    QTest::keyClicks(box("Text6"), QStringLiteral(" 'a b'"));

    const EditorValues v = editor_->values();
    QCOMPARE(v.hour, QStringLiteral("13"));
    QCOMPARE(v.minute, QStringLiteral("5"));
    QCOMPARE(v.second, QStringLiteral("0"));
    QCOMPARE(v.comment, QStringLiteral("午休"));
    QCOMPARE(v.recurrence, Recurrence::Weekday);
    QCOMPARE(v.weekday, QStringLiteral("日"));
    QCOMPARE(v.response, ResponseOption::RunProgram);
    QCOMPARE(v.program, QStringLiteral("/bin/echo 'a b'"));
    QCOMPARE(box("Text6")->toolTip(), v.program);
    QCOMPARE(v.defaultRing, kRing);
}

void EntryEditorTest::aRefusedYearIsEmptiedAndFocused() {
    editor_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(editor_.get()));
    option("Option7")->click();  // captionless: only its circle takes a mouse click
    QTest::keyClicks(box("Text5"), QStringLiteral("04"));
    box("Text4")->setFocus();
    editor_->showRefusal(
        {QStringLiteral("年份要为四位数,如2003"), MessageIcon::Warning, EditorField::Year, true});
    QCOMPARE(box("Text5")->text(), QString());
    QVERIFY(box("Text5")->hasFocus());
    QTest::keyClicks(box("Text5"), QStringLiteral("20"));
    editor_->showRefusal({QStringLiteral("没有输入年份!"), MessageIcon::Warning, EditorField::Year, false});
    QCOMPARE(box("Text5")->text(), QStringLiteral("20"));
}

QTEST_MAIN(EntryEditorTest)
#include "entry_editor_test.moc"
