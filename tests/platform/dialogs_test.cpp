// Where the program's boxes and windows open: over the window they belong to, never unowned under the
// main window or in a corner of the screen.

#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

#include "platform/dialogs.h"
#include "platform/window_place.h"

using namespace quel;

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    // The confirmation after saving the tick interval came when its window had closed itself, with no
    // window active, and opened unowned under the main window.
    void aBoxWithNoActiveWindowBelongsToTheHomeWindow() {
        QWidget home;
        home.resize(500, 300);
        home.show();
        QApplication::setActiveWindow(nullptr);
        WidgetDialogs dialogs;
        dialogs.setHome(&home);
        QWidget* owner = nullptr;
        QTimer::singleShot(0, [&] {
            QWidget* box = QApplication::activeModalWidget();
            owner = box ? box->parentWidget() : nullptr;
            if (auto* message = qobject_cast<QMessageBox*>(box))
                message->accept();
        });
        dialogs.message(QStringLiteral("间隔设置"), QStringLiteral("已保存"), MessageIcon::Information,
                        MessageButtons::Ok);
        QCOMPARE(owner, &home);
    }

    void aWindowOpensCentredOnItsOwner_data() {
        QTest::addColumn<QRect>("owner");  // empty: no owner
        QTest::addColumn<bool>("resized");
        QTest::addRow("centred on its owner") << QRect(100, 100, 500, 400) << true;
        QTest::addRow("by its real size, never as 640x480") << QRect(100, 100, 500, 400) << false;
        QTest::addRow("kept on the screen by an owner at its edge") << QRect(700, 500, 300, 200) << true;
        QTest::addRow("on the screen's centre without an owner") << QRect() << true;
    }
    void aWindowOpensCentredOnItsOwner() {
        QFETCH(QRect, owner);
        QFETCH(bool, resized);
        QWidget home;
        home.setGeometry(owner);
        if (owner.isValid())
            home.show();
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* content = new QWidget;
        content->setFixedSize(180, 80);
        layout->addWidget(content);
        if (resized)
            window.resize(200, 100);
        showOver(&window, owner.isValid() ? &home : nullptr);
        QVERIFY(window.isVisible());
        QVERIFY(window.width() < 640);
        const QRect screen = window.screen()->availableGeometry();
        QVERIFY2(screen.contains(window.frameGeometry()), "wholly on the screen");
        const QPoint expected =
            owner.isValid() && screen.contains(owner) ? home.frameGeometry().center() : screen.center();
        if (screen.contains(owner) || !owner.isValid())
            QVERIFY((window.frameGeometry().center() - expected).manhattanLength() <= 2);
        if (owner.isValid())
            QCOMPARE(window.windowHandle()->transientParent(), home.windowHandle());
    }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
