#pragma once

#include "platform/Text.h"

#include <QString>

// A candidate entry of the launcher: a catalogue program and the principal whose rule made it
// a candidate. The names are stored trimmed of spaces.
class clsProgram {
public:
    // ObjectType codes of a candidate entry.
    static constexpr short FromGroupRule = 1;
    static constexpr short FromUserRule = 2;

    clsProgram() = default;
    clsProgram(const QString& programName, const QString& objectName, short objectType) {
        SetProgramName(programName);
        SetObjectName(objectName);
        SetObjectType(objectType);
    }

    void SetProgramName(const QString& name) { mProgramName = TrimSpaces(name); }
    void SetObjectName(const QString& name) { mObjectName = TrimSpaces(name); }
    void SetObjectType(short type) { mObjectType = type; }
    const QString& ObjectName() const { return mObjectName; }
    short ObjectType() const { return mObjectType; }
    const QString& ProgramName() const { return mProgramName; }

    bool operator==(const clsProgram&) const = default;

private:
    QString mProgramName;
    QString mObjectName;
    short mObjectType = 0;
};
