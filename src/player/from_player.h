#pragma once

#include <QPointer>
#include <QWidget>

#include "player/form_select_files.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QPushButton;
class QRadioButton;
class QSlider;
class QStringListModel;
class QTimer;

namespace quel {

class Playback;
class PlayerSession;
class PlayList;
class PlayListCommands;
class VideoView;
class WindowModes;

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
    // The position label and slider at `seconds`.
    void showPosition(double seconds);
    WindowModes& modes() const { return *modes_; }
    // Timer1 of 活动窗体: the window follows the mouse at the right screen edge.
    void slideTick();
    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

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
    QWidget* buildAudioPanel();
    void wireModes();
    void applyMode();
    void showAudioPanel(bool shown);
    void updateSlide();
    void centre();

    PlayerSession& session_;
    PlayList& list_;
    PlayListCommands& commands_;
    Playback& playback_;
    QLabel* fileName_ = nullptr;   // Label1
    QLabel* checking_ = nullptr;   // the busy mark while the list's tracks are checked
    QListView* tracks_ = nullptr;  // List1
    VideoView* video_ = nullptr;
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
    QPushButton* add_ = nullptr;          // Command1
    QPushButton* remove_ = nullptr;       // Command2
    QPushButton* clear_ = nullptr;        // Command3
    QPushButton* open_ = nullptr;         // Command9
    QPushButton* saveAs_ = nullptr;       // Command10
    QPushButton* createNew_ = nullptr;    // Command11
    QPushButton* makeDefault_ = nullptr;  // Command14
    QCheckBox* toStored_ = nullptr;       // Check3
    QCheckBox* toShuffled_ = nullptr;     // Check4
    QTimer* refresh_ = nullptr;           // Timer3
    QPointer<FormSelectFiles> selector_;
    WindowModes* modes_ = nullptr;
    QMenu* menuWindow_ = nullptr;  // MenuWindow
    QTimer* slide_ = nullptr;      // Timer1
    QWidget* audioPanel_ = nullptr;
    QCheckBox* mute_ = nullptr;        // Check1
    QCheckBox* audioShown_ = nullptr;  // Check2
    QSlider* volume_ = nullptr;        // Slider2
    QSlider* balance_ = nullptr;       // Slider3
    int baseHeight_ = 0;
    bool sliding_ = false;  // the slide-in itself shows and hides the window
    bool slidOut_ = false;
    bool heldIn_ = false;  // shown from the menu in 活动窗体: stays in until the mouse has been on it
    quint64 shownRevision_ = 0;
    bool closeSelectorPending_ = false;
};

}  // namespace quel
