#include "player/form_select_files.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QVBoxLayout>

#include "platform/named.h"
#include "player/play_list.h"
#include "player/play_list_commands.h"
#include "player/play_list_text.h"
#include "player/player_texts.h"

namespace quel {

namespace {

const QString kUp = QStringLiteral("..");

// File systems that hold no one's music: the kernel's own views and memory-backed scratch space.
bool isPseudo(const QStorageInfo& volume) {
    static const QSet<QByteArray> pseudo = {
        "proc",        "sysfs",          "devtmpfs",    "devpts",    "tmpfs",    "cgroup",
        "cgroup2",     "pstore",         "securityfs",  "debugfs",   "tracefs",  "bpf",
        "configfs",    "fusectl",        "mqueue",      "hugetlbfs", "autofs",   "efivarfs",
        "ramfs",       "rpc_pipefs",     "binfmt_misc", "nsfs",      "squashfs", "overlay",
        "fuse.portal", "fuse.gvfsd-fuse"};
    const QString root = volume.rootPath();
    return pseudo.contains(volume.fileSystemType()) || root.startsWith(QLatin1String("/proc")) ||
           root.startsWith(QLatin1String("/sys")) || root.startsWith(QLatin1String("/dev")) ||
           root.startsWith(QLatin1String("/snap"));
}

QString fallbackFolder() {
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    return !music.isEmpty() && QFileInfo(music).isDir() ? music : QDir::homePath();
}

}  // namespace

const QStringList& FormSelectFiles::patterns() {
    // The formats of the Windows version, then those GStreamer plays here that it lacked.
    static const QStringList list = {
        QStringLiteral("*.avi"),  QStringLiteral("*.asf"),  QStringLiteral("*.asx"),  QStringLiteral("*.rmi"),
        QStringLiteral("*.wav"),  QStringLiteral("*.wma"),  QStringLiteral("*.wax"),  QStringLiteral("*.mpg"),
        QStringLiteral("*.mpeg"), QStringLiteral("*.m1v"),  QStringLiteral("*.mp2"),  QStringLiteral("*.mp3"),
        QStringLiteral("*.mpa"),  QStringLiteral("*.mpe"),  QStringLiteral("*.mid"),  QStringLiteral("*.qt"),
        QStringLiteral("*.aif"),  QStringLiteral("*.aifc"), QStringLiteral("*.aiff"), QStringLiteral("*.mov"),
        QStringLiteral("*.au"),   QStringLiteral("*.snd"),  QStringLiteral("*.ogg"),  QStringLiteral("*.oga"),
        QStringLiteral("*.flac"), QStringLiteral("*.opus"), QStringLiteral("*.m4a")};
    return list;
}

QString FormSelectFiles::startFolder(const QString& playerPath) {
    if (playerPath.startsWith(QLatin1Char('/'))) {
        const QFileInfo info(playerPath);
        if (info.isDir()) {
            return playerPath;
        }
        if (QFileInfo(info.absolutePath()).isDir()) {
            return info.absolutePath();
        }
    }
    return fallbackFolder();
}

QStringList FormSelectFiles::volumes() {
    QStringList places = {QDir::homePath(), QStringLiteral("/")};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady() && !isPseudo(volume) &&
            !places.contains(volume.rootPath())) {
            places << volume.rootPath();
        }
    }
    return places;
}

FormSelectFiles::FormSelectFiles(PlayListCommands& commands, QWidget* parent)
    : QWidget(parent), commands_(commands) {
    setObjectName(QStringLiteral("FormSelectFiles"));
    setWindowTitle(QStringLiteral("曲目选择器：<支持Alt，Shift,双击，框选，全选等多种选择方式>"));
    // Its own window, above the player that stays on top.
    setWindowFlags(Qt::Window | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    drives_ = named(new QComboBox, "Drive1");
    path_ = named(new QLabel, "FolderPath");
    path_->setWordWrap(true);
    folders_ = named(new QListWidget, "Dir1");
    left->addWidget(drives_);
    left->addWidget(path_);
    left->addWidget(folders_, 1);
    layout->addLayout(left, 1);

    auto* right = new QVBoxLayout;
    files_ = named(new QListWidget, "File1");
    files_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    right->addWidget(files_, 1);
    auto* buttons = new QHBoxLayout;
    auto* all = named(new QPushButton(QStringLiteral("全选")), "Command1");
    auto* none = named(new QPushButton(QStringLiteral("全不选")), "Command2");
    auto* ok = named(new QPushButton(QStringLiteral("确定")), "Command3");
    auto* cancel = named(new QPushButton(QStringLiteral("取消")), "Command4");
    for (QPushButton* b : {all, none, ok, cancel}) {
        buttons->addWidget(b);
    }
    right->addLayout(buttons);
    layout->addLayout(right, 2);

    drives_->addItems(volumes());
    const QString start = startFolder(commands_.list().playerPath());
    // The volume that holds the starting folder: the longest root it lies under.
    int best = -1;
    for (int i = 0; i < drives_->count(); ++i) {
        const QString root = drives_->itemText(i);
        const bool under =
            start == root || start.startsWith(root.endsWith(QLatin1Char('/')) ? root : root + '/');
        if (under && (best < 0 || root.size() > drives_->itemText(best).size())) {
            best = i;
        }
    }
    drives_->setCurrentIndex(best);
    rememberedDrive_ = best;
    if (!openFolder(start)) {
        openFolder(QDir::homePath());
    }

    connect(drives_, &QComboBox::activated, this, &FormSelectFiles::chooseDrive);
    connect(folders_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        openFolder(item->text() == kUp ? QFileInfo(folder_).absolutePath()
                                       : QDir(folder_).filePath(item->text()));
    });
    connect(all, &QPushButton::clicked, files_, &QListWidget::selectAll);
    connect(none, &QPushButton::clicked, files_, &QListWidget::clearSelection);
    connect(ok, &QPushButton::clicked, this, &FormSelectFiles::confirm);
    connect(files_, &QListWidget::itemDoubleClicked, this, &FormSelectFiles::confirm);
    connect(cancel, &QPushButton::clicked, this, &QWidget::close);
}

bool FormSelectFiles::openFolder(const QString& path) {
    const QDir dir(path);
    if (!dir.exists() || !QFileInfo(path).isReadable()) {
        return false;
    }
    folder_ = dir.absolutePath();
    path_->setText(folder_);
    folders_->clear();
    if (!dir.isRoot()) {
        folders_->addItem(kUp);
    }
    const auto byName = QDir::Name | QDir::IgnoreCase;
    folders_->addItems(dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, byName));
    files_->clear();
    files_->addItems(dir.entryList(patterns(), QDir::Files, byName));
    return true;
}

// A drive that cannot be opened (a drive without a disc) falls back to the last one that could.
void FormSelectFiles::chooseDrive(int row) {
    if (openFolder(drives_->itemText(row))) {
        rememberedDrive_ = row;
    } else {
        drives_->setCurrentIndex(rememberedDrive_);
    }
}

void FormSelectFiles::confirm() {
    QStringList chosen;
    QStringList refused;
    const QDir dir(folder_);
    for (int i = 0; i < files_->count(); ++i) {
        if (files_->item(i)->isSelected()) {
            const QString path = dir.filePath(files_->item(i)->text());
            (playlist::fitsInList(path) ? chosen : refused) << path;
        }
    }
    if (!refused.isEmpty()) {
        const EditMark asked = commands_.list().mark();
        const QPointer<FormSelectFiles> self(this);
        commands_.tell(texts::kCannotListNames + QLatin1Char('\n') + refused.join(QLatin1Char('\n')),
                       MessageIcon::Warning);
        // The schedule may have put another list in place meanwhile; these tracks were not for it.
        if (!self || commands_.list().mark() != asked) {
            return;
        }
    }
    close();
    commands_.add(chosen);
}

}  // namespace quel
