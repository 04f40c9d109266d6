// Entries composed in the editor and added with 增加 on the real file service, then fired by the real
// program started on that folder: what 增加 writes is what the tick reads.

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include "fakes/fake_platform.h"
#include "program_process.h"
#include "shell/main_window.h"

using namespace quel;
using namespace quel::fakes;
using quel::e2e::Program;

namespace {

const QString kFakeTime = QStringLiteral("/usr/lib/x86_64-linux-gnu/faketime/libfaketimeMT.so.1");

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The main window of this process on the program folder, with scripted answers. The fake file service
// only records what passes through to the disk, so the bytes written are the real program's.
class Editor {
public:
    explicit Editor(const QString& home) : fake(home), window(fake.platform) { window.load(); }

    template <typename T>
    T* find(const char* name) {
        return window.findChild<T*>(QLatin1String(name));
    }
    void pick(const char* option) {
        auto* b = find<QRadioButton>(option);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(b->height() / 2, b->height() / 2));
    }
    void choose(const char* combo, int index) { find<QComboBox>(combo)->setCurrentIndex(index); }

    // An entry at `at` that runs the marker script with `marker`, confirmed with Yes.
    void add(const QDateTime& at, const char* recurrence, const std::function<void()>& fields,
             const QString& script, const QString& marker) {
        find<QListWidget>("List1")->setCurrentRow(at.time().hour());
        find<QListWidget>("List2")->setCurrentRow(at.time().minute());
        find<QListWidget>("List3")->setCurrentRow(at.time().second());
        pick(recurrence);
        fields();
        fake.dialogs.fileAnswers = {script};
        pick("Option21");
        QTest::keyClicks(find<QLineEdit>("Text6"), QStringLiteral(" '") + marker + QLatin1Char('\''));
        fake.dialogs.answers = {Answer::Yes};
        const qsizetype before = window.table().entries().size();
        QTest::mouseClick(find<QPushButton>("Command1"), Qt::LeftButton);
        QVERIFY2(window.table().entries().size() == before + 1,
                 qPrintable(fake.dialogs.messages.last().text));
    }

    FakePlatform fake;
    MainWindow window;
};

}  // namespace

class TableEditingEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void addedEntriesFireInTheRealProgram() {
        if (!QFile::exists(kFakeTime))
            QSKIP("libfaketime is not installed");
        // The entries are due within the next minute; one that crossed midnight would change its date.
        // So the program runs on a clock set to today's noon (libfaketime), whenever the test runs.
        const QDateTime start(QDate::currentDate(), QTime(12, 0, 0));
        QProcessEnvironment noon;
        noon.insert("LD_PRELOAD", kFakeTime);
        noon.insert("FAKETIME_DONT_FAKE_MONOTONIC", "1");
        const QString asan = qEnvironmentVariable("ASAN_OPTIONS");
        noon.insert("ASAN_OPTIONS", (asan.isEmpty() ? asan : asan + ":") + "verify_asan_link_order=0");

        QTemporaryDir dir;
        const QString home = dir.path();
        QDir(home).mkpath("DayTimeTable");
        // A folder with a blank in its name: the command must keep the path whole.
        const QString script = home + "/my tools/mark.sh";
        QDir().mkpath(home + "/my tools");
        QFile file(script);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\necho \"$1\" >> \"$(dirname \"$0\")/markers.txt\"\n");
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString markers = home + "/my tools/markers.txt";

        auto at = [&](int seconds) { return start.addSecs(seconds); };
        {
            Editor editor(home);
            editor.add(
                at(16), "Option3", [] {}, script, "every day");
            const QDate d1 = at(17).date();
            editor.add(
                at(17), "Option4", [&] { editor.choose("Combo5", d1.dayOfWeek() - 1); }, script, "weekday");
            editor.add(
                at(17), "Option4", [&] { editor.choose("Combo5", d1.dayOfWeek() % 7); }, script,
                "another weekday");
            const QDate d2 = at(18).date();
            editor.add(
                at(18), "Option5", [&] { editor.choose("Combo6", d2.day() - 1); }, script, "monthly");
            const QDate d3 = at(19).date();
            editor.add(
                at(19), "Option6",
                [&] {
                    editor.choose("Combo7", d3.month() - 1);
                    editor.choose("Combo8", d3.day() - 1);
                },
                script, "yearly");
            const QDate d4 = at(20).date();
            editor.add(
                at(20), "Option7",
                [&] {
                    editor.find<QLineEdit>("Text5")->setText(QString::number(d4.year()));
                    editor.choose("Combo9", d4.month() - 1);
                    editor.choose("Combo10", d4.day() - 1);
                },
                script, "one date");
            QCOMPARE(editor.window.table().entries().size(), 6);
        }

        // Set just before the start, so the program's clock reads the start within the second.
        const qint64 offset = QDateTime::currentDateTime().secsTo(start);
        noon.insert("FAKETIME", (offset >= 0 ? QStringLiteral("+") : QString()) + QString::number(offset));
        Program program(home, noon);
        QVERIFY(program.process.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(readAll(markers).contains("one date\n"), 40000);
        QCOMPARE(readAll(markers), QByteArray("every day\nweekday\nmonthly\nyearly\none date\n"));
    }
};

QTEST_MAIN(TableEditingEndToEnd)
#include "table_editing_test.moc"
