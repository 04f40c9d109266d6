#pragma once

#include "platform/autostart.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/instance.h"
#include "platform/launcher.h"
#include "platform/line_in.h"
#include "platform/media.h"
#include "platform/power.h"
#include "platform/sleep_inhibitor.h"
#include "platform/tray.h"
#include "platform/worker.h"

namespace quel {

// The operating-system services, handed to every window when it is built. A test builds the whole
// program on fakes by handing in another bundle.
struct Platform {
    Clock& clock;
    Dialogs& dialogs;
    Files& files;
    InstanceGuard& instance;
    Autostart& autostart;
    Tray& tray;
    MediaFactory& media;
    Launcher& launcher;
    LineIn& lineIn;
    Power& power;
    SleepInhibitor& sleepInhibitor;
    Worker& worker;
    // The program folder: settings files, tables, play lists and sounds.
    QString programFolder;
    // The command that starts this program, for the autostart entry.
    QString executable;
};

}  // namespace quel
