#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>

#include "platform/settings_store.h"

namespace quel {

class Files;

// Only X11 lets a client place its window and read the mouse outside it.
bool windowSystemCanSlideIn();

// 标准窗体 (centred), 活动窗体 (waits beyond the right screen edge and slides in at the mouse), or
// neither when PlayerActive.txt holds something else.
enum class WindowMode { None, Standard, Active };

// The player window's mode and its settings file. Where the windowing system lets no client place
// its window or read the mouse (Wayland, offscreen) there is no slide-in: a stored 2 shows the
// standard window and the file keeps its 2 for a desktop that can.
class WindowModes : public QObject {
    Q_OBJECT
public:
    WindowModes(Files& files, QString programFolder, bool slideInWorks, QObject* parent = nullptr);

    WindowMode mode() const { return mode_; }
    bool slideInWorks() const { return slideInWorks_; }
    // At the window's load: the stored mode, nothing written.
    void restore();
    // The menu items: a click on the ticked one switches to the other mode.
    void clickStandard();
    void clickActive();

    // Where the slide-in window goes from where it stands (`window`, beyond the edge while out): in at
    // the top right while the mouse touches the right edge between rows 101 and 319 or lies on the
    // window widened by 5 pixels to the right and 25 downwards (`reached`), else out beyond the edge;
    // a window `held` in stays in until the mouse reaches it.
    struct Place {
        QPoint topLeft;
        bool shown = false;
        bool reached = false;
    };
    static Place slidePlace(const QRect& screen, const QRect& window, const QPoint& mouse, bool held = false);
    // The top left of a slid-in window: against the right edge, at the top.
    static QPoint slidInPlace(const QRect& screen, const QSize& window);
    // The top left of a window of `window`'s size in the middle of `screen`.
    static QPoint centredPlace(const QRect& screen, const QSize& window);

signals:
    void modeChanged(WindowMode mode);

private:
    void set(WindowMode mode, bool write);

    SettingsStore settings_;
    bool slideInWorks_;
    WindowMode mode_ = WindowMode::None;
};

}  // namespace quel
