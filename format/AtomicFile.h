#pragma once

#include "format/Result.h"

#include <QByteArray>
#include <QFileDevice>
#include <QString>

// Writes a whole file or nothing: the bytes go to a new temporary file beside it (created
// exclusively, with the permissions asked for), are flushed to the disk, and the temporary
// file then replaces the path by a rename. A symbolic link at the path is replaced by the
// file, never written through. A failure leaves the old file as it was, removes the temporary
// file, and says why, with the operating system's reason.
class AtomicFile
{
public:
    static constexpr QFileDevice::Permissions publicPermissions =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
        QFileDevice::ReadOther;
    // For files that hold passwords: readable by their owner only.
    static constexpr QFileDevice::Permissions privatePermissions =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner;

    // Whether the bytes must be on the disk before the file replaces the old one. A file that
    // only shares a passing count between processes, and is worth nothing after a crash, is
    // spared the wait (on a busy disk, tens of milliseconds a write).
    enum class Flush
    {
        ToDisk,
        NotNeeded,
    };

    static Result<void> write(const QString& path, const QByteArray& bytes,
                              QFileDevice::Permissions permissions = publicPermissions,
                              Flush flush = Flush::ToDisk);
    // Makes the directory and every missing one above it (with the permissions asked for,
    // less the umask); a directory or a link to one at a component is taken as it is. Says
    // which component could not be made, and why.
    static Result<void> makeDirectories(
        const QString& path,
        QFileDevice::Permissions permissions = publicPermissions | QFileDevice::ExeOwner |
                                               QFileDevice::ExeGroup | QFileDevice::ExeOther);
};
