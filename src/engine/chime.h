#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "engine/chime_rules.h"
#include "engine/program_clock.h"
#include "platform/platform.h"

class QAction;
class QMenu;

namespace quel {

// The hourly chime and its menu 敲钟. The setting lives in `Toll.txt`; the ticks of the menu are the
// state the chime obeys, as the operator sees it.
class Chime : public QObject {
    Q_OBJECT
public:
    // `chime` is the component that plays nothing but the bell, so a bell never cuts off a tone.
    Chime(Platform& platform, Media& chime, QObject* parent = nullptr);
    ~Chime() override;

    QMenu* chimeMenu() const { return menu_.get(); }

    // Start-up hands in the repaired content of `Toll.txt`: its switch ticks 开 or 关, its last letter
    // the sound. A setting that names neither leaves those items unticked.
    void applyTollSetting(const QString& tollSetting);
    QString tollSetting() const { return tollSetting_; }

    // Every tick, after the program clock advanced: strikes the hour at each whole hour while on.
    void hourlyChime(const ProgramClock& clock);

signals:
    // The hour was struck with this sound.
    void struck(const ProgramClock& clock, const QString& soundPath);

private:
    void chooseSwitch(QAction* clicked, bool checked, bool on);
    void chooseSound(QAction* clicked, bool checked, chime::Sound sound);
    void listen();
    void play(const QString& path);
    void save();
    QAction* soundAction(chime::Sound sound) const;

    Files& files_;
    QString programFolder_;
    Media& chime_;
    QString tollSetting_;

    std::unique_ptr<QMenu> menu_;
    QAction* on_ = nullptr;
    QAction* off_ = nullptr;
    QAction* soundA_ = nullptr;
    QAction* soundB_ = nullptr;
    QAction* soundC_ = nullptr;
};

}  // namespace quel
