#include "content/DirectoryWalk.h"

#include <QDir>
#include <QDirIterator>

QStringList DirectoryWalk::files(const QString& dir,
                                 const std::function<bool(const QString&)>& accept)
{
    QStringList found;
    if (dir.isEmpty())
        return found;
    const QDir base(dir);
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        if (accept(it.fileName()))
            found.append(base.relativeFilePath(it.filePath()));
    }
    found.sort();
    return found;
}

std::function<bool(const QString&)> DirectoryWalk::extensionIs(const QString& extension)
{
    return [extension](const QString& fileName) {
        const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
        return dot >= 0 && QStringView(fileName).sliced(dot + 1) == extension;
    };
}
