#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

class QComboBox;
class QLabel;
class QListWidget;

namespace quel {

class PlayListCommands;

// The track selector: media files of one folder at a time, picked in any number and added to the
// player's list in the order the folder lists them. Opens in the folder of the list's last track.
class FormSelectFiles : public QWidget {
    Q_OBJECT
public:
    explicit FormSelectFiles(PlayListCommands& commands, QWidget* parent = nullptr);

    // The file patterns of the list, matched without regard to case.
    static const QStringList& patterns();
    // Where the selector opens for a list whose last track is `playerPath`.
    static QString startFolder(const QString& playerPath);
    // The places Drive1 offers: home, "/" and every mounted volume that holds files.
    static QStringList volumes();

    const QString& folder() const { return folder_; }
    // False, and nothing changes, when the folder cannot be opened.
    bool openFolder(const QString& path);

private:
    void chooseDrive(int row);
    void confirm();

    PlayListCommands& commands_;
    QComboBox* drives_ = nullptr;  // Drive1
    QLabel* path_ = nullptr;
    QListWidget* folders_ = nullptr;  // Dir1
    QListWidget* files_ = nullptr;    // File1
    QString folder_;
    int rememberedDrive_ = -1;
};

}  // namespace quel
