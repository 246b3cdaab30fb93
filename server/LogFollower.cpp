#include "server/LogFollower.h"

#include "server/ServerLog.h"

#include <QFileInfo>

LogFollower::LogFollower(QObject* parent) : QObject(parent)
{
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &LogFollower::readNew);
    // A log renamed away for a new run and made anew is watched again.
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
        watch();
        readNew();
    });
}

void LogFollower::follow(const QString& path)
{
    if (path == m_path)
        return;
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
    m_path = path;
    m_tail = LogTail(path);
    if (path.isEmpty()) {
        emit started({});
        return;
    }
    const qint64 end = m_tail.skipToEnd();
    m_watcher.addPath(QFileInfo(path).absolutePath());
    watch();
    emit started(ServerLog::lastLines(path, shownLineCount, end));
}

void LogFollower::watch()
{
    if (!m_path.isEmpty() && QFileInfo::exists(m_path) && !m_watcher.files().contains(m_path))
        m_watcher.addPath(m_path);
}

void LogFollower::readNew()
{
    if (m_path.isEmpty())
        return;
    bool madeAnew = false;
    const QStringList lines = m_tail.readNewLines(&madeAnew);
    if (madeAnew)
        emit started(lines);
    else if (!lines.isEmpty())
        emit linesAdded(lines);
}
