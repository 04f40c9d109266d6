#include "schedule/entry_choices.h"

#include <QDir>

#include "platform/command_words.h"
#include "platform/dialogs.h"
#include "platform/media.h"
#include "platform/program_folder.h"

namespace quel {

namespace {

const QString kToneFilter = QStringLiteral(
    "所有可以播放的文件|*.avi;*.asf;*.asx;*.rmi;*.wav;*.wma;*.wax;*.mpg;*.mpeg;*.m1v;*.mp2;*.mp3;*.mpa;*.mpe;"
    "*.mid;*.rmi;*.qt;*.aif;*.aifc;*.aiff;*.mov;*.au;*.snd");
const QString kPlayListFilter = QStringLiteral("播放列表文件(*.PLF)|*.PLF");
// A Linux program carries no extension to filter by.
const QString kProgramFilter = QStringLiteral("所有文件(*)|*");
const QString kTableFilter = QStringLiteral("全天时间安排表(*.DTT)|*.DTT");

}  // namespace

EntryChoices::EntryChoices(Dialogs& dialogs, Media& tonePlayer, QString programFolder)
    : dialogs_(dialogs), tonePlayer_(tonePlayer), programFolder_(std::move(programFolder)) {}

void EntryChoices::takeDefaultTone() {
    chosenTone_ = defaultRing_;
    preview(chosenTone_);
}

EntryChoices::ToneChoice EntryChoices::chooseTone(bool chosenToneWasInForce) {
    tonePlayer_.stop();
    const QString path = dialogs_.openFile({QStringLiteral("请选择内部铃声："), programFolder_, kToneFilter});
    if (!path.isEmpty()) {
        chosenTone_ = path;
        preview(chosenTone_);
        return ToneChoice::Chosen;
    }
    if (chosenToneWasInForce)
        return ToneChoice::Unchanged;
    chosenTone_ = defaultRing_;
    return ToneChoice::DefaultAgain;
}

QString EntryChoices::choosePlayList() {
    chosenPlayList_.clear();
    chosenPlayList_ =
        dialogs_.openFile({QStringLiteral("请选择播放列表文件:"),
                           programFolder_ + QLatin1Char('/') + installed::kPlayLists, kPlayListFilter});
    return chosenPlayList_;
}

QString EntryChoices::chooseProgram() {
    const QString path = dialogs_.openFile(
        {QStringLiteral("请选择要执行的可执行文件名：(*.com,*.exe):"), QDir::homePath(), kProgramFilter});
    return quoteCommandWord(path);
}

QString EntryChoices::chooseTable() {
    return dialogs_.openFile({QStringLiteral("请选择要打开的全天时间安排表："),
                              programFolder_ + QLatin1Char('/') + installed::kTables, kTableFilter});
}

void EntryChoices::preview(const QString& path) {
    tonePlayer_.setFileName(path);
    tonePlayer_.play();
}

}  // namespace quel
