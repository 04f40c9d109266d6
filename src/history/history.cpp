#include "history/history.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "platform/clock.h"
#include "platform/files.h"

namespace quel {

namespace {

struct RecentLines {
    QList<HistoryEvent> events;
    bool olderLeftOut = false;
};

// The newest end of each month file from this month back, newest line first, within the caps. A
// month file that is no regular file (a FIFO, a link to a device) is skipped, never waited on.
RecentLines readRecentLines(const QString& folder, const QDate& today, int days) {
    const QDate first = today.addDays(1 - days);
    RecentLines read;
    for (QDate month(today.year(), today.month(), 1); month >= QDate(first.year(), first.month(), 1);
         month = month.addMonths(-1)) {
        const TailResult tail =
            readFileTail(folder + QLatin1Char('/') + historyFileName(month), History::kMostBytesRead);
        if (tail.status != ReadStatus::Read)
            continue;
        QString text = QString::fromUtf8(tail.bytes);
        // The cut went through a line: it is not one of ours any more.
        if (tail.truncated) {
            const qsizetype end = text.indexOf(QStringLiteral("\r\n"));
            text.remove(0, end < 0 ? text.size() : end + 2);
        }
        const QList<QStringView> lines = QStringView(text).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        bool reachedFirst = false;
        for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
            const std::optional<HistoryEvent> event = parseHistoryLine(*line);
            if (!event)
                continue;
            const QDate day = event->when.date();
            reachedFirst = reachedFirst || day < first;
            if (day < first || day > today)
                continue;
            if (read.events.size() == History::kMostEventsRead) {
                read.olderLeftOut = true;
                return read;
            }
            read.events.append(*event);
        }
        if (tail.truncated) {
            read.olderLeftOut = read.olderLeftOut || !reachedFirst;
            // Older months are older still.
            return read;
        }
    }
    return read;
}

}  // namespace

// Lives on the history's own thread and appends one line at a time: opened, written and closed, as
// every file of the program, so no file stays open between events.
class HistoryWriter : public QObject {
    Q_OBJECT
public:
    void append(const QString& path, const QByteArray& line) {
        const bool ok = QDir().mkpath(QFileInfo(path).path()) && appendToFile(path, line);
        if (!ok && working_) {
            // Said once, not once a line: every line after it would be lost the same way.
            qWarning().noquote() << "the history cannot be written to" << path;
            emit failed(path);
        }
        working_ = ok;
    }

signals:
    void failed(const QString& path);

private:
    bool working_ = true;
};

History::History(Clock& clock, QString folder, QObject* parent)
    : QObject(parent), clock_(clock), folder_(std::move(folder)), writer_(new HistoryWriter) {
    thread_.setObjectName(QStringLiteral("history"));
    writer_->moveToThread(&thread_);
    connect(writer_, &HistoryWriter::failed, this, &History::writeFailed);
    thread_.start();
}

History::~History() {
    flush();
    thread_.quit();
    thread_.wait();
    delete writer_;
}

void History::record(HistoryKind kind, const QString& what, Outcome outcome, const QString& reason) {
    recordAt(clock_.now(), kind, what, outcome, reason);
}

void History::recordAt(const QDateTime& when, HistoryKind kind, const QString& what, Outcome outcome,
                       const QString& reason) {
    const HistoryEvent event{when, kind, what, outcome, reason};
    const QString path = folder_ + QLatin1Char('/') + historyFileName(when.date());
    const QByteArray line = historyLine(event);
    QMetaObject::invokeMethod(writer_, [writer = writer_, path, line] { writer->append(path, line); });
    emit recorded(event);
}

void History::flush() {
    QMetaObject::invokeMethod(
        writer_, [] {}, Qt::BlockingQueuedConnection);
}

quint64 History::readRecent(int days) {
    const quint64 request = ++lastRequest_;
    const QDate today = clock_.now().date();
    // Queued behind the lines recorded so far, on the writer's thread: the window never waits for a
    // disk, and the answer holds every line recorded before it asked.
    QMetaObject::invokeMethod(writer_, [this, request, folder = folder_, today, days] {
        RecentLines read = readRecentLines(folder, today, days);
        // Lines are appended as things happen, so newest first is mostly the file turned round; an
        // outcome known later is written later with the moment it happened, and the stable sort puts
        // it in its place while keeping the order of the lines of one second.
        std::stable_sort(read.events.begin(), read.events.end(),
                         [](const HistoryEvent& a, const HistoryEvent& b) { return a.when > b.when; });
        QMetaObject::invokeMethod(
            this, [this, request, read] { emit recentRead(request, read.events, read.olderLeftOut); },
            Qt::QueuedConnection);
    });
    return request;
}

QObject* History::writer() const {
    return writer_;
}

}  // namespace quel

#include "history.moc"
