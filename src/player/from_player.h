#pragma once

#include <QPointer>
#include <QWidget>

#include "player/form_select_files.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QRadioButton;
class QSlider;
class QStringListModel;
class QTimer;

namespace quel {

class Playback;
class PlayerSession;
class PlayList;

// The player window: shows the loaded player's list and playback and forwards what the operator
// does to them. It stays on top of other windows, set once when it is made.
class FromPlayer : public QWidget {
    Q_OBJECT
public:
    explicit FromPlayer(PlayerSession& session, QWidget* parent = nullptr);
    ~FromPlayer() override;

    // How often the position display refreshes while a track plays and the window shows.
    static constexpr int kRefreshMs = 100;

    FormSelectFiles* selector() const { return selector_; }
    // Timer3: the slider and the position label follow the playing track.
    void refreshPosition();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void buildFace();
    void wire();
    void showList();
    void showPlayback();
    void setUpDisplay();
    void updateRefresh();
    int selectedLine() const;
    void selectLine(int line);
    void openSelector();
    void closeSelector();

    PlayList& list_;
    Playback& playback_;
    QLabel* fileName_ = nullptr;   // Label1
    QListView* tracks_ = nullptr;  // List1
    QStringListModel* model_ = nullptr;
    QLineEdit* number_ = nullptr;           // Text4
    QLineEdit* count_ = nullptr;            // Text1
    QRadioButton* throughToEnd_ = nullptr;  // Option1
    QRadioButton* repeatTrack_ = nullptr;   // Option2
    QRadioButton* repeatAll_ = nullptr;     // Option3
    QPushButton* play_ = nullptr;           // Command5
    QPushButton* pause_ = nullptr;          // Command6
    QLabel* duration_ = nullptr;
    QLabel* position_ = nullptr;
    QSlider* slider_ = nullptr;           // Slider1
    QPushButton* makeDefault_ = nullptr;  // Command14
    QCheckBox* toStored_ = nullptr;       // Check3
    QCheckBox* toShuffled_ = nullptr;     // Check4
    QTimer* refresh_ = nullptr;           // Timer3
    QPointer<FormSelectFiles> selector_;
    quint64 shownRevision_ = 0;
    bool closeSelectorPending_ = false;
};

}  // namespace quel
