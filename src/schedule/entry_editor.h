#pragma once

#include <QWidget>

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace quel {

// The panel where the operator composes a new entry: time lists, comment, recurrence and response.
class EntryEditor : public QWidget {
    Q_OBJECT
public:
    explicit EntryEditor(QWidget* parent = nullptr);

    // The time lists hold 0-23 and 0-59; filled once at start-up.
    void fillTimeLists();
    QPushButton* addButton() const { return add_; }

private:
    void enableRecurrenceFields();

    QListWidget* hours_;
    QListWidget* minutes_;
    QListWidget* seconds_;
    QButtonGroup* recurrence_;
    QButtonGroup* response_;
    QComboBox* weekday_;
    QComboBox* monthDay_;
    QComboBox* yearMonth_;
    QComboBox* yearDay_;
    QLineEdit* year_;
    QComboBox* dateMonth_;
    QComboBox* dateDay_;
    QPushButton* add_;
};

}  // namespace quel
