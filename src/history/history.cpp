#include "history/history.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "platform/clock.h"

namespace quel {

// Lives on the history's own thread and appends one line at a time: opened, written and closed, as
// every file of the program, so no file stays open between events.
class HistoryWriter : public QObject {
    Q_OBJECT
public:
    void append(const QString& path, const QByteArray& line) {
        const bool ok = QDir().mkpath(QFileInfo(path).path()) && write(path, line);
        if (!ok && working_)
            emit failed(path);
        working_ = ok;
    }

signals:
    void failed(const QString& path);

private:
    static bool write(const QString& path, const QByteArray& line) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
            return false;
        return file.write(line) == line.size() && file.flush();
    }

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

QList<HistoryEvent> History::recent(int days) {
    flush();
    const QDate today = clock_.now().date();
    const QDate first = today.addDays(1 - days);
    QList<HistoryEvent> events;
    for (QDate month(first.year(), first.month(), 1); month <= today; month = month.addMonths(1)) {
        QFile file(folder_ + QLatin1Char('/') + historyFileName(month));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        for (const QString& line : QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"))) {
            const std::optional<HistoryEvent> event = parseHistoryLine(line);
            if (event && event->when.date() >= first && event->when.date() <= today)
                events.append(*event);
        }
    }
    // Lines are appended as things happen, so the file order is the order of time, and newest first is
    // that order turned round; a stable sort keeps it for the lines of one second.
    std::reverse(events.begin(), events.end());
    std::stable_sort(events.begin(), events.end(),
                     [](const HistoryEvent& a, const HistoryEvent& b) { return a.when > b.when; });
    return events;
}

}  // namespace quel

#include "history.moc"
