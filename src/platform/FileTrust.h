#pragma once

#include <QByteArray>
#include <QString>

// Whether a file may decide who administers the launcher: no other account may have placed
// or changed it. The path is checked as written: the folder that holds it must belong to the
// expected owner (or root) and be writable by no one else (a sticky folder still lets others
// add files, so it is not enough), and the file itself must be a regular file of that owner,
// writable by no one else. A symbolic link is refused, except where `links` allows a link that
// sits in a trusted folder (the machine-wide file, whose folders only root can write); its
// target is then checked the same way.
//
// Reading happens on the descriptor that was checked (O_NOFOLLOW, fstat), so nothing can be
// swapped in between. On Windows the registry's own access control decides.

enum class TrustedLinks { Refuse, InTrustedFolders };

enum class TrustFailure {
    None,
    Ownership, // another account owns or may write the file or its folder
    NotAFile,  // a link, a FIFO, a device, a folder
    TooLarge,
    Unreadable, // cannot be examined or read
};

struct TrustedRead {
    bool exists = false;
    TrustFailure failure = TrustFailure::None;
    QByteArray bytes;
    // What is wrong ("/x/settings.ini may be written by other users (mode 0664)"), empty
    // when the file could be read (or is missing from a trusted folder).
    QString problem;
};

// Reads `file` if it can be trusted from `ownerUid`, at most `limit` bytes.
TrustedRead ReadTrustedFile(const QString& file, unsigned ownerUid, TrustedLinks links,
                            qint64 limit);

// Why `folder` (a folder that must not be reached through a link when `links` is Refuse)
// could have been changed by another account than `ownerUid` or root; empty when it cannot.
// A missing folder is not a problem.
QString UntrustedFolderProblem(const QString& folder, unsigned ownerUid,
                               TrustedLinks links = TrustedLinks::Refuse);
// The same for a file: not a link, a regular file, its owner's or root's, written by no one
// else. A missing file is not a problem.
QString UntrustedFileProblem(const QString& file, unsigned ownerUid);

// The effective user id of the process (0 on Windows).
unsigned EffectiveUid();
