#pragma once

#include <QString>

// Whether a file may decide who administers the launcher: it and the folder that holds it
// must belong to the expected owner (or root) and be writable by no one else, so that no
// other account can have placed or changed it. Symbolic links are followed to the real file.
//
// Returns an empty string when the file can be trusted, otherwise a sentence that names the
// file, says what is wrong and how to fix it. A missing file is trusted (there is nothing
// to read); its folder is checked all the same. On Windows the registry's own access control
// decides and every path is trusted.
QString UntrustedFileReason(const QString& file, unsigned ownerUid);

// The effective user id of the process (0 on Windows).
unsigned EffectiveUid();
