#include "LaunchArgs.h"

QString GetDbUser(const TLaunchArgsOwner* mainForm) {
    return mainForm ? mainForm->LaunchArgs[0] : QString();
}

QString GetDbPassword(const TLaunchArgsOwner* mainForm) {
    return mainForm ? mainForm->LaunchArgs[1] : QString();
}

QString GetDbName(const TLaunchArgsOwner* mainForm) {
    return mainForm ? mainForm->LaunchArgs[2] : QString();
}
