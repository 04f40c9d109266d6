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

    // Returns once every line recorded so far has been written or has failed.
    void flush();
    // The events of today and the `days` - 1 days before it, newest first.
    QList<HistoryEvent> recent(int days);

signals:
    void recorded(const HistoryEvent& event);
    // The first line that could not be written after lines that could (or after the start).
    void writeFailed(const QString& path);

private:
    Clock& clock_;
    QString folder_;
    QThread thread_;
    HistoryWriter* writer_;
};

}  // namespace quel
