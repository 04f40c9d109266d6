#pragma once

// Stand-ins for every operating-system service. Each records what the program asked of it, so a test
// can check the exact texts shown, files written and programs started.

#include <QDateTime>
#include <QList>
#include <QMenu>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

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
    Answer message(const QString& title, const QString& text, MessageIcon icon,
                   MessageButtons buttons) override {
        messages.push_back({title, text, icon, buttons});
        runWhileOpen();
        if (buttons == MessageButtons::Ok)
            return Answer::Ok;
        if (answers.empty())
            return Answer::No;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    QString input(const QString& title, const QString& prompt, const QString& preset) override {
        inputs.push_back({title, prompt, preset});
        runWhileOpen();
        return next(inputAnswers);
    }
    QString openFile(const FileRequest& request) override {
        fileDialogs.push_back({false, request});
        runWhileOpen();
        return next(fileAnswers);
    }
    QString saveFile(const FileRequest& request) override {
        fileDialogs.push_back({true, request});
        runWhileOpen();
        return next(fileAnswers);
    }

    std::deque<Answer> answers;
    std::deque<QString> inputAnswers;
    std::deque<QString> fileAnswers;
    QList<ShownMessage> messages;
    QList<QStringList> inputs;  // title, prompt, preset
    QList<FileDialogCall> fileDialogs;
    // What happens while the next dialog is open (the schedule runs on under a modal box); run once.
    std::function<void()> whileOpen;

private:
    void runWhileOpen() {
        if (!whileOpen)
            return;
        const auto during = std::exchange(whileOpen, nullptr);
        during();
    }
    static QString next(std::deque<QString>& q) {
        if (q.empty())
            return {};
        QString s = q.front();
        q.pop_front();
        return s;
    }
};

// Real files (tests run on a temporary program folder), with a record of every write and a way to make
// chosen paths unreadable (as a file without read permission is) or unwritable.
class FakeFiles final : public DiskFiles {
public:
    ReadResult readFile(const QString& path, qint64 cap) const override {
        if (unreadable.contains(path))
            return {ReadStatus::Unreadable, {}};
        return DiskFiles::readFile(path, cap);
    }
    bool write(const QString& path, const QByteArray& bytes) override {
        writes << path;
        if (unwritable.contains(path))
            return false;
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
        if (shown)
            return;
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
        cued_ = false;
        ++serial_;
        note(QStringLiteral("file ") + path);
        if (unplayable.contains(path)) {
            // Later, as the real component reports it, and only if no other name was written meanwhile.
            const quint64 serial = serial_;
            QMetaObject::invokeMethod(
                this,
                [this, serial, path] {
                    if (serial == serial_)
                        emit failed(path);
                },
                Qt::QueuedConnection);
        }
    }
    QString fileName() const override { return file_; }
    // Noted apart from the log: a cue is a preparation, not an operation a test of what sounds awaits.
    void cue(const QString& path) override {
        cues << path;
        if (path.isEmpty() ? cued_ : file_.isEmpty() || cued_) {
            file_ = path;
            cued_ = !path.isEmpty();
        }
    }
    bool isCued() const override { return cued_; }
    void play() override { note(QStringLiteral("play")); }
    void pause() override { note(QStringLiteral("pause")); }
    void stop() override { note(QStringLiteral("stop")); }
    double duration() const override { return durationSeconds; }
    double position() const override { return positionSeconds; }
    void setPosition(double s) override {
        positionSeconds = s;
        seeks << s;
    }
    int volume() const override { return volume_; }
    void setVolume(int v) override { volume_ = v; }
    void setBalance(int b) override { balance = b; }
    void setMute(bool m) override { muted = m; }
    void finish() { emit endOfStream(8); }
    // The open file turned out unplayable midway.
    void fail(const MediaFault& fault = {}) { emit failed(file_, fault); }
    void announceDuration(double seconds) {
        durationSeconds = seconds;
        emit durationChanged(seconds);
    }

    // Paths that fail as soon as they are written, as a missing or undecodable file does.
    QSet<QString> unplayable;
    double durationSeconds = 0;
    double positionSeconds = 0;
    QList<double> seeks;  // every position written
    QStringList cues;     // every name cued, the empty one included
    int balance = 0;
    bool muted = false;

private:
    void note(const QString& what) { log_->append(name_ + QLatin1Char(' ') + what); }
    QStringList* log_;
    QString name_;
    QString file_;
    quint64 serial_ = 0;
    int volume_ = 0;
    bool cued_ = false;
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
    // A launcher that starts everything has every program.
    bool isInstalled(const QString&) const override { return succeed; }
    QStringList runs;
    bool succeed = true;
};

// Records each request ("on radio", "on " for the default input, "off", "list") and answers each at
// once: a switch as `failWith` says, a list from `sources`.
class FakeLineIn final : public LineIn {
public:
    void setOn(bool on, const QString& source) override {
        requests << (on ? QStringLiteral("on ") + source : QStringLiteral("off"));
        emit finished(failWith.isEmpty(), failWith);
    }
    void listSources() override {
        requests << QStringLiteral("list");
        emit sourcesListed(sources);
    }
    QStringList requests;
    QList<InputSource> sources;
    // Every request fails with this word of the server, when set.
    QString failWith;
};

// Records every request ("shutdown", "restart interactive", "logoff"). Replies succeed, or fail with
// `failWith`, from the event loop as the real service's do; with `holdReplies` they wait for answer().
class FakePower final : public Power {
public:
    PowerReply* shutdown(bool interactive) override {
        return record(QStringLiteral("shutdown"), interactive);
    }
    PowerReply* restart(bool interactive) override { return record(QStringLiteral("restart"), interactive); }
    PowerReply* logoff() override { return record(QStringLiteral("logoff"), false); }
    // Finishes the oldest held reply; an empty error is success.
    void answer(const QString& error = QString()) {
        while (!held.isEmpty()) {
            QPointer<PowerReply> reply = held.takeFirst();
            if (!reply)
                continue;
            reply->finish(error);
            return;
        }
    }

    QStringList calls;
    QString failWith;
    bool holdReplies = false;
    QList<QPointer<PowerReply>> held;

private:
    PowerReply* record(const QString& what, bool interactive) {
        calls << (interactive ? what + QStringLiteral(" interactive") : what);
        auto* reply = new PowerReply(this);
        if (holdReplies)
            held << reply;
        else
            reply->finishLater(failWith);
        return reply;
    }
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

// Runs each job at once on the caller's thread, so a test sees its outcome without waiting; with
// `hold` set it keeps them until the test finishes one, so outcomes can come late and in any order.
class FakeWorker final : public Worker {
public:
    void start(std::function<void()> job) override {
        if (hold)
            held.push_back(std::move(job));
        else
            job();
    }
    void finish(int index) { held.at(std::size_t(index))(); }
    bool hold = false;
    std::vector<std::function<void()>> held;
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
                   lineIn,
                   power,
                   sleepInhibitor,
                   worker,
                   std::move(folder),
                   QStringLiteral("/opt/quelbrook/quelbrook")} {}
    // The same bundle with real media components in place of the recording ones.
    Platform withMedia(MediaFactory& real) {
        return {clock,
                dialogs,
                files,
                instance,
                autostart,
                tray,
                real,
                launcher,
                lineIn,
                power,
                sleepInhibitor,
                worker,
                platform.programFolder,
                platform.executable};
    }
    FakeClock clock;
    FakeDialogs dialogs;
    FakeFiles files;
    FakeInstance instance;
    FakeAutostart autostart;
    FakeTray tray;
    FakeMediaFactory media;
    FakeLauncher launcher;
    FakeSleepInhibitor sleepInhibitor;
    FakeLineIn lineIn;
    FakePower power;
    FakeWorker worker;
    Platform platform;
};

}  // namespace quel::fakes
