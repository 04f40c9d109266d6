#pragma once

#include <QWidget>

class QFrame;
class QTimer;

namespace quel {

// frmSplash: the first window of every run. It shows the title and version for five ticks of its
// timer, or until a key or a click, and then hands over to the main window.
class SplashWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTickMs = 1000;
    static constexpr int kTicksBeforeHandOver = 5;

    explicit SplashWindow(QWidget* parent = nullptr);

signals:
    // Emitted exactly once, after the splash has closed itself; the receiver loads the main window.
    // The splash deletes itself when control returns to the event loop.
    void handOver();

public slots:
    // One event of Timer1.
    void onTimer1();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void handOverNow();

    QFrame* frame1_;
    QTimer* timer1_;
    int ticks_ = 0;
    bool handedOver_ = false;
};

}  // namespace quel
