#include "platform/Account.h"

#include "platform/OrvError.h"

#include <cerrno>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <pwd.h>
#include <unistd.h>
#endif

OrvError SystemCallError(long code) {
    return OrvError(code, QStringLiteral("A system call returned an error code of %1").arg(code));
}

QString OsAccount::LogonName() {
#ifdef _WIN32
    wchar_t buffer[257];
    DWORD size = 257;
    if (!GetUserNameW(buffer, &size))
        throw SystemCallError(static_cast<long>(GetLastError()));
    return QString::fromWCharArray(buffer);
#else
    const uid_t uid = geteuid();
    long bufferSize = sysconf(_SC_GETPW_R_SIZE_MAX);
    if (bufferSize <= 0)
        bufferSize = 16384;
    std::vector<char> buffer(static_cast<size_t>(bufferSize));
    passwd entry{};
    passwd* found = nullptr;
    int rc = 0;
    while ((rc = getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found)) == ERANGE)
        buffer.resize(buffer.size() * 2);
    if (rc != 0)
        throw SystemCallError(rc);
    if (found == nullptr)
        throw SystemCallError(ENOENT); // the user id has no account entry
    return QString::fromLocal8Bit(found->pw_name);
#endif
}
