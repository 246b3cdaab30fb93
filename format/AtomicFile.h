#pragma once

#include <QByteArray>
#include <QString>

// Writes a whole file or nothing: the bytes go to a temporary file beside it, which then
// replaces the file.
class AtomicFile
{
public:
    static bool write(const QString& path, const QByteArray& bytes);
};
