#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The recursive directory walk of the script parsers, in the same order as the pak scan's:
// every file below the directory (links to files included, links to directories not
// followed), sorted by its path relative to the directory.
class DirectoryWalk
{
public:
    DirectoryWalk() = delete;

    // The files below dir whose file name the predicate accepts, as paths relative to dir.
    // A missing or unreadable directory yields nothing.
    static QStringList files(const QString& dir,
                             const std::function<bool(const QString& fileName)>& accept);

    // Whether the text after the file name's last "." is exactly the extension.
    static std::function<bool(const QString&)> extensionIs(const QString& extension);
};
