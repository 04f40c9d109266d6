#pragma once

#include <QString>
#include <QStringList>

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
    // `configHome` empty means the user's configuration folder. `programHome`, when not empty, is the
    // program folder that QUELBROOK_HOME named: the entry hands it on, so the program started at login
    // uses the same folder and table.
    explicit XdgAutostart(QString configHome = {}, QString programHome = {});
    bool enable(const QString& executable) override;
    bool disable() override;
    QString entryPath() const;

private:
    QString configHome_;
    QString programHome_;
};

// The value of an Exec= key that runs `arguments`, quoted and escaped as the desktop entry format
// asks: an argument with a reserved character in double quotes with ", `, $ and \ escaped, then the
// key file's own escapes of the value, and % doubled.
QString desktopExecValue(const QStringList& arguments);

}  // namespace quel
