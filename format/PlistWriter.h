#pragma once

#include "format/Result.h"

#include <QString>
#include <QVariant>

// Writes values in the old-style text property-list form that PlistReader reads back.
// Strings, string lists, lists and maps (and anything QVariant converts to a string).
class PlistWriter
{
public:
    static QString write(const QVariant& value);
    // Writes the whole file atomically; says why when it cannot be written.
    static Result<void> writeFile(const QString& path, const QVariant& value);
};
