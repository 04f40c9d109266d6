#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QThread>

#include "history/history_line.h"

namespace quel {

class Clock;
class HistoryWriter;

// The history of what rang and what went wrong: one line per event, appended to a file per month
// (`History/2026-12.log`). Recording returns at once: the line is handed to a writer thread, so the
// tick never waits for a disk, a network share or a full file system. A folder that cannot be written
// costs the lines, never the bells.
class History : public QObject {
    Q_OBJECT
public:
    // `folder` holds the month files; it is made with the first line.
    History(Clock& clock, QString folder, QObject* parent = nullptr);
    // Writes what is still queued before it goes.
    ~History() override;

    const QString& folder() const { return folder_; }

    // Stamped with the system clock's time.
    void record(HistoryKind kind, const QString& what, Outcome outcome = Outcome::Done,
                const QString& reason = QString());
    // Stamped with `when`: an entry passed over is written with the moment it was due.
    void recordAt(const QDateTime& when, HistoryKind kind, const QString& what,
                  Outcome outcome = Outcome::Done, const QString& reason = QString());

    // A month file holds what a school records in years; what is read of it for a window stops here.
    static constexpr qint64 kMostBytesRead = 1024 * 1024;
    static constexpr int kMostEventsRead = 5000;

    // Returns once every line recorded so far has been written or has failed. It waits for the writer,
    // so only the end of the program and tests call it.
    void flush();
    // Asks for the events of today and the `days` - 1 days before it, newest first, as far as the caps
    // reach. Read on the writer's thread after every line recorded before the call, and answered by
    // `recentRead` with the number returned here.
    quint64 readRecent(int days);
    // The object that writes the lines, on its own thread; a test holds it to play a slow disk.
    QObject* writer() const;

signals:
    void recorded(const HistoryEvent& event);
    // `olderLeftOut`: there were older lines of those days that the caps left out.
    void recentRead(quint64 request, const QList<quel::HistoryEvent>& events, bool olderLeftOut);
    // The first line that could not be written after lines that could (or after the start).
    void writeFailed(const QString& path);

private:
    Clock& clock_;
    QString folder_;
    QThread thread_;
    HistoryWriter* writer_;
    quint64 lastRequest_ = 0;
};

}  // namespace quel
