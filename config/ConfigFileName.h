#pragma once

#include <QString>

// The name of a configuration's server file, "VO_<name>.config", which the dedicated server
// runs with "exec". The server cuts an exec name after 63 bytes and refuses one holding ".."
// or "::" (or "q3key", its key file), so such a file would never run: the server would start
// without its configuration. The name is shaped so that it is always one file of the mod's
// directory whose name the server can take whole; only its length can still be too much.
class ConfigFileName
{
public:
    ConfigFileName() = delete;

    // The longest name, in bytes, that the server's exec keeps whole.
    static constexpr qsizetype maxExecNameLength = 63;

    // "VO_<name>.config": blanks, '/', '\\', '"' and control characters become '_', and so
    // does the second character of every ".." and "::" (and the 'y' of "q3key"), also where
    // the name meets ".config".
    static QString forConfigName(const QString& name);

    // The length the server counts: the bytes of the name as the file system holds it.
    static qsizetype execLength(const QString& fileName);
    // Whether the server can exec a file of this name.
    static bool isExecutable(const QString& fileName);
};
