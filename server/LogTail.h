#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Reads what a growing log gained since the last read, from where that read stopped, never the
// whole file again. A log made anew (shorter than what was read, or another file at the path)
// is read from its start.
class LogTail
{
public:
    explicit LogTail(QString path);

    // Starts after the file's present end (only what is written from now on is read); that
    // end.
    qint64 skipToEnd();
    // The whole lines written since the last read; a line still being written waits for its
    // end. madeAnew, when given, tells whether the log was made anew since (and the lines are
    // from its start).
    QStringList readNewLines(bool* madeAnew = nullptr);

private:
    QString m_path;
    qint64 m_offset = 0;
    quint64 m_inode = 0;
    QByteArray m_partial;
};
