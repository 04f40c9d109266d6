#pragma once

#include <QString>

namespace quel {

class Dialogs;
class Media;

// What the editor's response options choose and preview: the tone, the play list, the program and the
// table a new entry will name. It keeps the chosen tone and play list for the life of the window.
class EntryChoices {
public:
    EntryChoices(Dialogs& dialogs, Media& tonePlayer, QString programFolder);
    EntryChoices(const EntryChoices&) = delete;
    EntryChoices& operator=(const EntryChoices&) = delete;

    // The built-in tone, known once start-up has found the program's sounds.
    void setDefaultRing(const QString& path) { defaultRing_ = path; }
    const QString& defaultRing() const { return defaultRing_; }
    const QString& chosenTone() const { return chosenTone_; }
    const QString& chosenPlayList() const { return chosenPlayList_; }

    // 默认乐音: the built-in tone becomes the chosen one and sounds once.
    void takeDefaultTone();

    enum class ToneChoice { Chosen, Unchanged, DefaultAgain };
    // 选择乐音: the operator picks a sound, which sounds once. A cancelled choice leaves an earlier one
    // in force, or, when 选择乐音 was not in force before, brings the default tone back.
    ToneChoice chooseTone(bool chosenToneWasInForce);

    // The play list of 播音开-静态 or -动态; empty when cancelled. The old choice is gone either way.
    QString choosePlayList();
    // The command text of 执行程序: the program's path, grouped in single quotes when it has blanks, so
    // that arguments typed after it do not split it. Empty when cancelled.
    QString chooseProgram();
    // The table of 打开表; empty when cancelled.
    QString chooseTable();

private:
    void preview(const QString& path);

    Dialogs& dialogs_;
    Media& tonePlayer_;
    QString programFolder_;
    QString defaultRing_;
    QString chosenTone_;
    QString chosenPlayList_;
};

}  // namespace quel
