#pragma once

#include <QWidget>

namespace quel {

// frmAbout: title, version, platform and build date.
class AboutWindow : public QWidget {
    Q_OBJECT
public:
    explicit AboutWindow(QWidget* parent = nullptr);
};

}  // namespace quel
