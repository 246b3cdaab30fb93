#pragma once

#include <QString>
#include <QVariant>

// Writes values in the old-style text property-list form that PlistReader reads back.
// Strings, string lists, lists and maps (and anything QVariant converts to a string).
class PlistWriter
{
public:
    static QString write(const QVariant& value);
    // Writes the whole file atomically; false when it cannot be written.
    static bool writeFile(const QString& path, const QVariant& value);
};
