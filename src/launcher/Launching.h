#pragma once

#include <QString>

class AppContext;

namespace modMain {

// Starts a catalogue program: its path comes from the catalogue, the parameters and start-in
// directory from the caller. On an error shows one box, "Unable to execute program : <name>.
// Error Follows" with the error's description below it, and returns false.
bool LaunchProgram(AppContext& ctx, const QString& name, const QString& startIn,
                   const QString& parameters);
// Opens a file or folder with the desktop's default handler; the same messages on an error.
bool OpenFolder(AppContext& ctx, const QString& name, const QString& path);
// The logon name from the operating system; throws OrvError when the system cannot name the
// user.
QString GetLoggedOnUser(AppContext& ctx);

} // namespace modMain
