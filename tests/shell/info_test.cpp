#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "platform/process_launcher.h"
#include "shell/info/about_window.h"
#include "shell/info/app_icon.h"
#include "shell/info/placement.h"
#include "shell/info/show_once.h"
#include "shell/info/splash_window.h"
#include "shell/info/text_windows.h"

using namespace quel;

namespace {

enum class Input { LetterKey, EscapeKey, ModifierKey, ClickOnFrame1, WindowManagerClose };

void give(SplashWindow* splash, Input input) {
    switch (input) {
        case Input::LetterKey:
            QTest::keyClick(splash, Qt::Key_A);
            break;
        case Input::EscapeKey:
            QTest::keyClick(splash, Qt::Key_Escape);
            break;
        case Input::ModifierKey:
            QTest::keyClick(splash, Qt::Key_Shift);
            break;
        case Input::ClickOnFrame1:
            QTest::mouseClick(splash->findChild<QWidget*>(QStringLiteral("Frame1")), Qt::LeftButton);
            break;
        case Input::WindowManagerClose:
            splash->close();
            break;
    }
}

void deleteClosedWindows() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QString labelText(const QWidget* window, const QString& name) {
    const auto* label = window->findChild<QLabel*>(name);
    return label ? label->text() : QStringLiteral("<no label %1>").arg(name);
}

QRect screenGeometry() {
    return QGuiApplication::primaryScreen()->geometry();
}

// Each word must occur after the previous one; returns the first word out of order, or empty.
QString firstOutOfOrder(const QString& text, const QStringList& words) {
    qsizetype from = 0;
    for (const QString& word : words) {
        const qsizetype at = text.indexOf(word, from);
        if (at < 0)
            return word;
        from = at + word.size();
    }
    return {};
}

}  // namespace

class InfoTest : public QObject {
    Q_OBJECT

private slots:
    void splashShowsTitleVersionPlatformAndDate_data();
    void splashShowsTitleVersionPlatformAndDate();
    void splashHandsOverOnceAfterFiveTicks();
    void splashHandsOverAtOnceOnInputAndNotAgain_data();
    void splashHandsOverAtOnceOnInputAndNotAgain();

    void aboutShowsTitleVersionPlatformAndDate_data();
    void aboutShowsTitleVersionPlatformAndDate();
    void windowsStandCentredAtTheTopOfTheScreen_data();
    void windowsStandCentredAtTheTopOfTheScreen();
    void placementKeepsTheWindowOnItsScreen_data();
    void placementKeepsTheWindowOnItsScreen();

    void textWindowsShowTheirReadOnlyTextInOrder_data();
    void textWindowsShowTheirReadOnlyTextInOrder();
    void openingAnOpenWindowAgainBringsTheSameOneForward();
    void theHelpsProgramExamplesCanBeStoredAndRunAsMeant_data();
    void theHelpsProgramExamplesCanBeStoredAndRunAsMeant();

    void iconIsABellOnABlueBadgeAtEverySize_data();
    void iconIsABellOnABlueBadgeAtEverySize();
};

void InfoTest::splashShowsTitleVersionPlatformAndDate_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addRow("the product name is the title") << "lblProductName"
                                                   << "Quelbrook";
    QTest::addRow("the version reads 版本 7.0.253") << "lblVersion"
                                                    << "版本 7.0.253";
    QTest::addRow("the platform is Linux") << "lblPlatform"
                                           << "平台：Linux";
    QTest::addRow("the build log date is kept") << "Label1"
                                                << "日志：2003-6-23";
}

void InfoTest::splashShowsTitleVersionPlatformAndDate() {
    QFETCH(QString, name);
    QFETCH(QString, text);
    SplashWindow splash;
    splash.setAttribute(Qt::WA_DeleteOnClose, false);
    QCOMPARE(splash.objectName(), QStringLiteral("frmSplash"));
    QCOMPARE(labelText(&splash, name), text);
    QVERIFY(!splash.findChild<QLabel*>(QStringLiteral("imgLogo"))->pixmap().isNull());
}

void InfoTest::splashHandsOverOnceAfterFiveTicks() {
    QPointer<SplashWindow> splash = new SplashWindow;
    auto* timer1 = splash->findChild<QTimer*>(QStringLiteral("Timer1"));
    QVERIFY(timer1);
    QCOMPARE(timer1->interval(), 1000);
    QVERIFY(timer1->isActive());
    // The ticks are driven by hand below; a real one arriving meanwhile would miscount them.
    timer1->stop();
    splash->show();
    QSignalSpy handOver(splash.data(), &SplashWindow::handOver);

    for (int tick = 1; tick < SplashWindow::kTicksBeforeHandOver; ++tick)
        splash->onTimer1();
    QCOMPARE(handOver.count(), 0);
    QVERIFY(splash->isVisible());

    splash->onTimer1();
    QCOMPARE(handOver.count(), 1);
    QVERIFY(!splash->isVisible());
    splash->onTimer1();
    QCOMPARE(handOver.count(), 1);

    deleteClosedWindows();
    QVERIFY(splash.isNull());
}

void InfoTest::splashHandsOverAtOnceOnInputAndNotAgain_data() {
    QTest::addColumn<Input>("input");
    QTest::addRow("a letter key hands over") << Input::LetterKey;
    QTest::addRow("the Escape key hands over") << Input::EscapeKey;
    QTest::addRow("a modifier key alone hands over") << Input::ModifierKey;
    QTest::addRow("a click on Frame1 hands over") << Input::ClickOnFrame1;
    QTest::addRow("closing by the window manager still hands over") << Input::WindowManagerClose;
}

void InfoTest::splashHandsOverAtOnceOnInputAndNotAgain() {
    QFETCH(Input, input);
    QPointer<SplashWindow> splash = new SplashWindow;
    splash->show();
    QVERIFY(QTest::qWaitForWindowExposed(splash));
    auto* timer1 = splash->findChild<QTimer*>(QStringLiteral("Timer1"));
    QSignalSpy handOver(splash.data(), &SplashWindow::handOver);

    splash->onTimer1();  // the first second has begun
    give(splash, input);
    QCOMPARE(handOver.count(), 1);
    QVERIFY(!timer1->isActive());
    QVERIFY(!splash->isVisible());

    // Whatever else arrives before the splash is gone hands over no second time.
    for (int tick = 0; tick < SplashWindow::kTicksBeforeHandOver; ++tick)
        splash->onTimer1();
    QTest::keyClick(splash, Qt::Key_B);
    QCOMPARE(handOver.count(), 1);

    deleteClosedWindows();
    QVERIFY(splash.isNull());
}

void InfoTest::aboutShowsTitleVersionPlatformAndDate_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addRow("the title is the application title") << "lblTitle"
                                                        << "Quelbrook";
    QTest::addRow("the version stands in parentheses") << "lblVersion"
                                                       << "版本:(7.0.253)";
    QTest::addRow("the platform is Linux") << "Label2"
                                           << "平台:Linux";
    QTest::addRow("the build log date is kept") << "Label1"
                                                << "日志:2004-08-31";
}

void InfoTest::aboutShowsTitleVersionPlatformAndDate() {
    QFETCH(QString, name);
    QFETCH(QString, text);
    AboutWindow about;
    about.setAttribute(Qt::WA_DeleteOnClose, false);
    QCOMPARE(about.objectName(), QStringLiteral("frmAbout"));
    QCOMPARE(about.windowTitle(), QStringLiteral("关于 Quelbrook"));
    QCOMPARE(labelText(&about, name), text);
}

void InfoTest::windowsStandCentredAtTheTopOfTheScreen_data() {
    QTest::addColumn<QString>("window");
    QTest::addRow("about") << "about";
    QTest::addRow("help") << "help";
    QTest::addRow("tips") << "tips";
}

void InfoTest::windowsStandCentredAtTheTopOfTheScreen() {
    QFETCH(QString, window);
    std::unique_ptr<QWidget> shown;
    if (window == u"about")
        shown = std::make_unique<AboutWindow>();
    if (window == u"help")
        shown = std::make_unique<HelpWindow>();
    if (window == u"tips")
        shown = std::make_unique<TipsWindow>();
    shown->setAttribute(Qt::WA_DeleteOnClose, false);
    shown->show();
    QVERIFY(QTest::qWaitForWindowExposed(shown.get()));
    const QRect screen = screenGeometry();
    QVERIFY2(shown->width() < screen.width(), "the test screen is too narrow to tell centring apart");
    QCOMPARE(shown->pos(), QPoint((screen.width() - shown->width()) / 2, 0));
}

void InfoTest::placementKeepsTheWindowOnItsScreen_data() {
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QPoint>("topCentre");
    QTest::addColumn<QPoint>("centre");
    QTest::addRow("a window on the only screen")
        << QSize(400, 200) << QRect(0, 0, 1024, 768) << QPoint(312, 0) << QPoint(312, 284);
    QTest::addRow("an odd pixel left over goes to the right")
        << QSize(401, 201) << QRect(0, 0, 1024, 768) << QPoint(311, 0) << QPoint(311, 283);
    QTest::addRow("a second screen to the right of the first")
        << QSize(400, 200) << QRect(1920, 0, 1024, 768) << QPoint(2232, 0) << QPoint(2232, 284);
    QTest::addRow("a window wider and taller than the screen starts at its corner")
        << QSize(1200, 900) << QRect(1920, 100, 1024, 768) << QPoint(1920, 100) << QPoint(1920, 100);
}

void InfoTest::placementKeepsTheWindowOnItsScreen() {
    QFETCH(QSize, window);
    QFETCH(QRect, screen);
    QFETCH(QPoint, topCentre);
    QFETCH(QPoint, centre);
    QCOMPARE(quel::topCentre(window, screen), topCentre);
    QCOMPARE(quel::centre(window, screen), centre);
}

void InfoTest::textWindowsShowTheirReadOnlyTextInOrder_data() {
    QTest::addColumn<bool>("help");
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<QStringList>("inOrder");
    QTest::addRow("the manual runs from the uptime display to the default table")
        << true << "FromHelp" << QStringList{"开机",   "倒计时", "顺计时",   "整点敲钟", "播音关",
                                             "打开表", "关机",   "执行程序", "默认"};
    QTest::addRow("the tips run from secondary tables to the internal clock")
        << false << "FormSkill"
        << QStringList{"打开表", "强制关机", "100", "曲目", "Default.DTT", "Default.PLF", "自动校时"};
}

void InfoTest::textWindowsShowTheirReadOnlyTextInOrder() {
    QFETCH(bool, help);
    QFETCH(QString, objectName);
    QFETCH(QStringList, inOrder);
    std::unique_ptr<InfoTextWindow> window;
    if (help)
        window = std::make_unique<HelpWindow>();
    else
        window = std::make_unique<TipsWindow>();
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    QCOMPARE(window->objectName(), objectName);
    QCOMPARE(window->windowTitle(), QStringLiteral("Quelbrook"));
    auto* text1 = window->findChild<QPlainTextEdit*>(QStringLiteral("Text1"));
    QVERIFY(text1);
    QVERIFY(text1->isReadOnly());
    const QString text = text1->toPlainText();
    QVERIFY(!text.trimmed().isEmpty());
    QVERIFY(!text.contains(QChar::ReplacementCharacter));
    const QString outOfOrder = firstOutOfOrder(text, inOrder);
    QVERIFY2(outOfOrder.isEmpty(), qPrintable(QStringLiteral("%1 missing or out of order").arg(outOfOrder)));
}

// A table cannot store a double quote, so the manual's examples of 执行程序 must do without one and
// still reach the launcher as the words they mean.
void InfoTest::theHelpsProgramExamplesCanBeStoredAndRunAsMeant_data() {
    QTest::addColumn<QString>("example");
    QTest::addColumn<QStringList>("words");
    QTest::addRow("a path with blanks and an argument")
        << QStringLiteral("'/home/user/我的 工具/备份.sh' 每日")
        << QStringList{QStringLiteral("/home/user/我的 工具/备份.sh"), QStringLiteral("每日")};
    QTest::addRow("an argument with blanks")
        << QStringLiteral("/bin/sh -c 'date > /tmp/时间.txt'")
        << QStringList{"/bin/sh", "-c", QStringLiteral("date > /tmp/时间.txt")};
}

void InfoTest::theHelpsProgramExamplesCanBeStoredAndRunAsMeant() {
    QFETCH(QString, example);
    QFETCH(QStringList, words);
    const QString manual = helpText();
    QVERIFY2(manual.contains(QStringLiteral("例如：") + example) ||
                 manual.contains(QStringLiteral("又如：") + example),
             qPrintable(example));
    QVERIFY(!example.contains(QLatin1Char('"')));
    QCOMPARE(splitCommandLine(example), words);
}

void InfoTest::openingAnOpenWindowAgainBringsTheSameOneForward() {
    QPointer<AboutWindow> about = showOnce<AboutWindow>();
    QVERIFY(about && about->isVisible());
    QCOMPARE(showOnce<AboutWindow>(), about.data());

    // Another kind of window is a window of its own.
    QPointer<HelpWindow> help = showOnce<HelpWindow>();
    QVERIFY(help && help->isVisible());
    QCOMPARE(showOnce<AboutWindow>(), about.data());

    about->showMinimized();
    QCOMPARE(showOnce<AboutWindow>(), about.data());
    QVERIFY(!about->isMinimized());

    // A closed window is gone, and the next opening makes a new one.
    about->close();
    QPointer<AboutWindow> again = showOnce<AboutWindow>();
    QVERIFY(again && again->isVisible());
    QVERIFY(again != about);
    deleteClosedWindows();
    QVERIFY(about.isNull());
    QVERIFY(again);

    again->close();
    help->close();
    deleteClosedWindows();
}

void InfoTest::iconIsABellOnABlueBadgeAtEverySize_data() {
    QTest::addColumn<int>("size");
    for (int size : {16, 22, 32, 48, 64})
        QTest::addRow("%d px", size) << size;
}

void InfoTest::iconIsABellOnABlueBadgeAtEverySize() {
    QFETCH(int, size);
    const QIcon icon = appIcon();
    QVERIFY(icon.availableSizes().contains(QSize(size, size)));
    const QImage image = icon.pixmap(QSize(size, size)).toImage();
    QCOMPARE(image.size(), QSize(size, size));

    const QColor corner = image.pixelColor(0, 0);
    const QColor badge = image.pixelColor(size / 10 + 1, size / 2);  // left of the bell
    const QColor bell = image.pixelColor(size / 2, size / 2);
    QCOMPARE(corner.alpha(), 0);
    QCOMPARE(badge.alpha(), 255);
    QVERIFY2(badge.blue() > badge.red(), qPrintable(badge.name()));
    QVERIFY2(bell.red() > bell.blue() && bell.green() > bell.blue(), qPrintable(bell.name()));
}

QTEST_MAIN(InfoTest)
#include "info_test.moc"
