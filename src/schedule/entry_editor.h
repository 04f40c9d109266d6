#pragma once

#include <QWidget>

#include "schedule/entry_builder.h"

class QButtonGroup;
class QLabel;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace quel {

class EntryChoices;

// The panel where the operator composes a new entry: time lists, comment, recurrence and response. It
// shows the choices kept in `choices` and hands the whole composition to 增加 as `EditorValues`.
class EntryEditor : public QWidget {
    Q_OBJECT
public:
    explicit EntryEditor(EntryChoices& choices, QWidget* parent = nullptr);

    // The time lists hold 0-23 and 0-59; filled once at start-up.
    void fillTimeLists();
    QPushButton* addButton() const { return add_; }

    EditorValues values() const;
    // Sends the operator back to the field a refusal names.
    void showRefusal(const Refusal& refusal);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildResponses(QWidget* frame);
    void enableRecurrenceFields();
    void takeDefaultTone();
    void chooseTone();
    void chooseFile(QRadioButton* option);
    void showChosenTone();

    EntryChoices& choices_;
    QListWidget* hours_;
    QListWidget* minutes_;
    QListWidget* seconds_;
    QLineEdit* comment_;
    QButtonGroup* recurrence_;
    QButtonGroup* response_;
    QComboBox* weekday_;
    QComboBox* monthDay_;
    QComboBox* yearMonth_;
    QComboBox* yearDay_;
    QLineEdit* year_;
    QComboBox* dateMonth_;
    QComboBox* dateDay_;
    QRadioButton* defaultTone_ = nullptr;  // Option1
    QRadioButton* chosenTone_ = nullptr;   // Option2
    // The file name of the chosen tone beside 选择乐音, its whole path as the tip: the tone column of the
    // list shows only part of a long path.
    QLabel* chosenToneName_ = nullptr;
    QLineEdit* program_ = nullptr;          // Text6
    QLineEdit* staticPlayList_ = nullptr;   // Text7
    QLineEdit* table_ = nullptr;            // Text8
    QLineEdit* dynamicPlayList_ = nullptr;  // Text9
    QPushButton* add_;
};

}  // namespace quel
