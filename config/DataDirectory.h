#pragma once

#include "format/Result.h"

#include <QString>

// Voranth's data directory (CommonData::appSupportQ3VXDir): the configuration store with
// every password, the record of the running server, the databases. It belongs to its user
// alone, so it is made, and kept, with mode 0700.
class DataDirectory
{
public:
    DataDirectory() = delete;

    // Makes the data directory and every missing directory above it (mode 0700), and sets an
    // existing data directory of the user's to 0700. A link to a directory is followed.
    // Nothing is ever removed: when something else stands where a directory must be (a
    // file, or a link to nothing, such as a volume not yet mounted), the result says so and
    // nothing is changed. The error names the path in the way.
    static Result<void> prepare();
    static Result<void> prepare(const QString& path);

    // The window's alert for a directory that cannot be used.
    static QString unusableTitle();
    static QString unusableMessage(const Result<void>& result);
};
