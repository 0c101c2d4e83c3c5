#pragma once

#include <QString>

// Who runs the program. The name always comes from the operating system, never from the
// environment or a command-line option: it decides who is an administrator.
class Account {
public:
    virtual ~Account() = default;
    // The logon name; throws OrvError (the system's error code and
    // "A system call returned an error code of N") when the system cannot name the user.
    virtual QString LogonName() = 0;
};

class OsAccount : public Account {
public:
    QString LogonName() override;
};

// The error raised when a system call fails with the code given.
class OrvError SystemCallError(long code);
