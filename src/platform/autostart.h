#pragma once

#include <QString>

namespace quel {

// Starting the program with the desktop session.
class Autostart {
public:
    virtual ~Autostart() = default;
    virtual bool enable(const QString& executable) = 0;
    virtual bool disable() = 0;
};

// An XDG autostart entry, $XDG_CONFIG_HOME/autostart/<application id>.desktop.
class XdgAutostart final : public Autostart {
public:
    // `configHome` empty means the user's configuration folder.
    explicit XdgAutostart(QString configHome = {});
    bool enable(const QString& executable) override;
    bool disable() override;
    QString entryPath() const;

private:
    QString configHome_;
};

}  // namespace quel
