#pragma once

// Stand-ins for every operating-system service. Each records what the program asked of it, so a test
// can check the exact texts shown, files written and programs started.

#include <QDateTime>
#include <QList>
#include <QMenu>
#include <QSet>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>

#include "platform/platform.h"

namespace quel::fakes {

class FakeClock final : public Clock {
public:
    explicit FakeClock(QDateTime start = QDateTime(QDate(2026, 12, 2), QTime(8, 0, 0)), qint64 boot = 0)
        : now_(std::move(start)), boot_(boot) {}
    QDateTime now() const override { return now_; }
    qint64 msecsSinceBoot() const override { return boot_; }
    qint64 msecsMonotonic() const override { return monotonic_; }
    // A step of the wall clock alone, as the operator or a time service makes it.
    void set(const QDateTime& t) { now_ = t; }
    // The computer has been up this long; it did not sleep meanwhile.
    void setBoot(qint64 ms) {
        monotonic_ += ms - boot_;
        boot_ = ms;
    }
    // Moves the wall clock, the uptime and the monotonic clock on, as real time passing would.
    void advance(qint64 ms) {
        now_ = now_.addMSecs(ms);
        boot_ += ms;
        monotonic_ += ms;
    }
    // The computer sleeps for `ms`: the wall clock and the uptime move on, the monotonic clock does not.
    void sleep(qint64 ms) {
        now_ = now_.addMSecs(ms);
        boot_ += ms;
    }

private:
    QDateTime now_;
    qint64 boot_;
    qint64 monotonic_ = 1000;
};

struct ShownMessage {
    QString title;
    QString text;
    MessageIcon icon;
    MessageButtons buttons;
};

struct FileDialogCall {
    bool save;
    FileRequest request;
};

// Answers from a script, in order; an empty script answers No / empty / cancel.
class FakeDialogs final : public Dialogs {
public:
    Answer message(const QString& title, const QString& text, MessageIcon icon, MessageButtons buttons) override {
        messages.push_back({title, text, icon, buttons});
        if (buttons == MessageButtons::Ok) return Answer::Ok;
        if (answers.empty()) return Answer::No;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    QString input(const QString& title, const QString& prompt, const QString& preset) override {
        inputs.push_back({title, prompt, preset});
        return next(inputAnswers);
    }
    QString openFile(const FileRequest& request) override {
        fileDialogs.push_back({false, request});
        return next(fileAnswers);
    }
    QString saveFile(const FileRequest& request) override {
        fileDialogs.push_back({true, request});
        return next(fileAnswers);
    }

    std::deque<Answer> answers;
    std::deque<QString> inputAnswers;
    std::deque<QString> fileAnswers;
    QList<ShownMessage> messages;
    QList<QStringList> inputs;  // title, prompt, preset
    QList<FileDialogCall> fileDialogs;

private:
    static QString next(std::deque<QString>& q) {
        if (q.empty()) return {};
        QString s = q.front();
        q.pop_front();
        return s;
    }
};

// Real files (tests run on a temporary program folder), with a record of every write and a way to make
// chosen paths unreadable or unwritable.
class FakeFiles final : public DiskFiles {
public:
    std::optional<QByteArray> read(const QString& path) const override {
        if (unreadable.contains(path)) return std::nullopt;
        return DiskFiles::read(path);
    }
    bool write(const QString& path, const QByteArray& bytes) override {
        writes << path;
        if (unwritable.contains(path)) return false;
        return DiskFiles::write(path, bytes);
    }
    QStringList writes;
    QSet<QString> unreadable;
    QSet<QString> unwritable;
};

class FakeInstance final : public InstanceGuard {
public:
    bool anotherIsRunning() override { return otherRunning; }
    void activateOther() override { ++activations; }
    bool otherRunning = false;
    int activations = 0;
};

class FakeAutostart final : public Autostart {
public:
    bool enable(const QString& executable) override {
        calls << QStringLiteral("enable ") + executable;
        enabled = true;
        return true;
    }
    bool disable() override {
        calls << QStringLiteral("disable");
        enabled = false;
        return true;
    }
    QStringList calls;
    bool enabled = false;
};

class FakeTray final : public Tray {
public:
    bool isAvailable() const override { return available; }
    void add(const QIcon&, const QString& tip, QMenu* menu) override {
        ++addCalls;
        if (shown) return;
        shown = true;
        tip_ = tip;
        menu_ = menu;
    }
    void remove() override {
        shown = false;
        ++removeCalls;
    }
    bool isShown() const override { return shown; }
    QString tip() const override { return tip_; }
    void setTip(const QString& tip) override { tip_ = tip; }
    void showWarning(const QString& title, const QString& text) override {
        warnings << title + QLatin1Char(' ') + text;
    }
    QMenu* menu() const { return menu_; }
    QStringList warnings;  // "title text" of every notice
    void click() { emit leftClicked(); }

    bool available = true;
    bool shown = false;
    int addCalls = 0;
    int removeCalls = 0;

private:
    QString tip_;
    QMenu* menu_ = nullptr;
};

// Records every operation as a line ("file X", "play", "stop", ...), shared by all components it made.
class FakeMedia final : public Media {
public:
    explicit FakeMedia(QStringList* log, QString name) : log_(log), name_(std::move(name)) {}
    void setFileName(const QString& path) override {
        file_ = path;
        note(QStringLiteral("file ") + path);
    }
    QString fileName() const override { return file_; }
    void play() override { note(QStringLiteral("play")); }
    void pause() override { note(QStringLiteral("pause")); }
    void stop() override { note(QStringLiteral("stop")); }
    double duration() const override { return durationSeconds; }
    double position() const override { return positionSeconds; }
    void setPosition(double s) override { positionSeconds = s; }
    int volume() const override { return volume_; }
    void setVolume(int v) override { volume_ = v; }
    void setBalance(int b) override { balance = b; }
    void setMute(bool m) override { muted = m; }
    void finish() { emit endOfStream(8); }
    void failToPlay() { emit cannotPlay(file_); }

    double durationSeconds = 0;
    double positionSeconds = 0;
    int balance = 0;
    bool muted = false;

private:
    void note(const QString& what) { log_->append(name_ + QLatin1Char(' ') + what); }
    QStringList* log_;
    QString name_;
    QString file_;
    int volume_ = 0;
};

class FakeMediaFactory final : public MediaFactory {
public:
    std::unique_ptr<Media> create() override {
        auto m = std::make_unique<FakeMedia>(&log, QStringLiteral("m%1").arg(made.size() + 1));
        made << m.get();
        return m;
    }
    QStringList log;
    QList<FakeMedia*> made;  // owned by whoever asked for them
};

class FakeLauncher final : public Launcher {
public:
    bool run(const QString& commandLine) override {
        runs << commandLine;
        return succeed;
    }
    QStringList runs;
    bool succeed = true;
};

// Grants every hold at once.
class FakeSleepInhibitor final : public SleepInhibitor {
public:
    void hold() override {
        calls << QStringLiteral("hold");
        if (!held) {
            held = true;
            emit heldChanged(true);
        }
    }
    void release() override {
        calls << QStringLiteral("release");
        if (held) {
            held = false;
            emit heldChanged(false);
        }
    }
    bool isHeld() const override { return held; }
    QStringList calls;
    bool held = false;
};

// Every fake in one place, and the bundle over them.
struct FakePlatform {
    explicit FakePlatform(QString folder)
        : platform{clock,
                   dialogs,
                   files,
                   instance,
                   autostart,
                   tray,
                   media,
                   launcher,
                   sleepInhibitor,
                   std::move(folder),
                   QStringLiteral("/opt/quelbrook/quelbrook")} {}
    FakeClock clock;
    FakeDialogs dialogs;
    FakeFiles files;
    FakeInstance instance;
    FakeAutostart autostart;
    FakeTray tray;
    FakeMediaFactory media;
    FakeLauncher launcher;
    FakeSleepInhibitor sleepInhibitor;
    Platform platform;
};

}  // namespace quel::fakes
