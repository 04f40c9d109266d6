#pragma once

// What the campus tests share: a program folder with a table, the history and clock-state stand-ins,
// and a campus of one source and several followers, each with its own program folder.

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <vector>

#include "campus/campus.h"
#include "fakes/fake_platform.h"
#include "schedule/table_file.h"

namespace quel::campus::test {

class RecordingLog final : public CampusLog {
public:
    void write(const QString& what, const QString& result) override { lines << what + u'\t' + result; }
    QStringList lines;
};

class FixedClockState final : public ClockStateReader {
public:
    ClockState read() override {
        ++reads;
        return state;
    }
    ClockState state{ClockState::Sync::Synchronized, QStringLiteral("test")};
    int reads = 0;
};

inline QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// A table of one tone entry at `time`, ringing `sound` (a full path).
inline QByteArray tableBytes(const QString& time, const QString& sound) {
    return *tableFileBytes(QStringLiteral("|%1*课>每天<%2").arg(time, sound));
}

struct Member {
    QTemporaryDir dir;
    RecordingLog log;
    std::unique_ptr<Campus> campus;
    QString folder() const { return dir.path(); }
    QString file(const QString& relative) const { return dir.filePath(relative); }
};

// One source publishing into a shared bundle folder and `followers` followers of it, all on one clock.
struct CampusOf {
    explicit CampusOf(int followers, Campus::SourceFactory sources = sourceFor) : members() {
        for (int i = 0; i <= followers; ++i) {
            members.push_back(std::make_unique<Member>());
            Member& m = *members.back();
            m.campus = std::make_unique<Campus>(clock, m.folder(), m.log, clockState, sources);
        }
        source().campus->start();
        writeBytes(source().file(QStringLiteral("DayTimeTable/Default.DTT")),
                   tableBytes(QStringLiteral("8:00:00"), source().file(QStringLiteral("sounds/bell.wav"))));
        writeBytes(source().file(QStringLiteral("sounds/bell.wav")), QByteArray("RIFF first bell"));
        writeBytes(source().file(QStringLiteral("DefaultDTT.txt")),
                   "\"" + source().file(QStringLiteral("DayTimeTable/Default.DTT")).toUtf8() + "\"\r\n");
    }
    Member& source() { return *members.front(); }
    Member& follower(int i) { return *members[size_t(i) + 1]; }
    int followers() const { return int(members.size()) - 1; }
    QString bundle() const { return bundleDir.path(); }

    // Time passing second by second, each member's tick called as the program's would be.
    void run(qint64 seconds) {
        for (qint64 s = 0; s < seconds; ++s) {
            clock.advance(1000);
            for (auto& m : members)
                m->campus->onTick();
        }
    }

    fakes::FakeClock clock;
    FixedClockState clockState;
    QTemporaryDir bundleDir;
    std::vector<std::unique_ptr<Member>> members;
};

}  // namespace quel::campus::test
