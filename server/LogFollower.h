#pragma once

#include "server/LogTail.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>

// Follows a server's log in the event loop: the last lines it holds when following starts,
// then each line as the server writes it, told by the file system (no look at the file on a
// timer). A log made anew (a new run) is followed from its start.
class LogFollower : public QObject
{
    Q_OBJECT
public:
    // How many of the lines the log holds already are shown.
    static constexpr int shownLineCount = 300;

    explicit LogFollower(QObject* parent = nullptr);

    // Follows the log at path from now on, none for an empty path.
    void follow(const QString& path);
    const QString& path() const { return m_path; }

signals:
    // What was shown before is to be forgotten: another log, or the log made anew. lines are
    // its last lines.
    void started(const QStringList& lines);
    void linesAdded(const QStringList& lines);

private:
    void readNew();
    void watch();

    QString m_path;
    LogTail m_tail{QString()};
    QFileSystemWatcher m_watcher;
};
