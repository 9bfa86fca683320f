#pragma once
// The five launch-argument texts a main window carries, and the getters the data modules read
// the database account through. Main thread only.

#include <QString>
#include <array>

class TLaunchArgsOwner {
public:
    // Arguments 1 to 5; 1 user name, 2 password, 3 database name.
    std::array<QString, 5> LaunchArgs;
};

// Each returns a copy of one argument of the main window, or an empty text when there is none.
QString GetDbUser(const TLaunchArgsOwner* mainForm);
QString GetDbPassword(const TLaunchArgsOwner* mainForm);
QString GetDbName(const TLaunchArgsOwner* mainForm);
