#pragma once

#include "format/Result.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

// Reads the old-style (OpenStep) text property lists: strings, arrays "( a, b )" and
// dictionaries "{ key = value; }". Strings come back as QString, arrays as QVariantList and
// dictionaries as QVariantMap. Bad input is reported with its position, never a crash.
class PlistReader
{
public:
    // The value read, or the error with where it stands.
    struct Result : ::Result<QVariant>
    {
        qsizetype offset = -1; // character offset of the error
        int line = 0;          // 1-based line of the error
        int column = 0;        // 1-based column of the error
    };

    static Result parse(const QString& text);
    static Result parse(const QByteArray& utf8);
    static Result parseFile(const QString& path);
    // A ".strings" table: the body of a dictionary without its outer braces.
    static Result parseStrings(const QString& text);
};
