#include "server/LogTail.h"

#include <QFile>
#include <QStringList>

#include <algorithm>

#include <sys/stat.h>

namespace {

// The inode and size of the file at the path; none when there is none.
bool statOf(const QString& path, quint64& inode, qint64& size)
{
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    inode = quint64(info.st_ino);
    size = qint64(info.st_size);
    return true;
}

// What one read takes at most: a log that grew a lot meanwhile is read in turns.
constexpr qint64 maxReadBytes = 1024 * 1024;

} // namespace

LogTail::LogTail(QString path) : m_path(std::move(path)) {}

qint64 LogTail::skipToEnd()
{
    qint64 size = 0;
    m_offset = statOf(m_path, m_inode, size) ? size : 0;
    m_partial.clear();
    return m_offset;
}

QStringList LogTail::readNewLines(bool* madeAnew)
{
    if (madeAnew)
        *madeAnew = false;
    quint64 inode = 0;
    qint64 size = 0;
    if (!statOf(m_path, inode, size))
        return {};
    if (inode != m_inode || size < m_offset) {
        // A path seen for the first time is no log made anew.
        if (madeAnew && m_inode != 0)
            *madeAnew = true;
        m_inode = inode;
        m_offset = 0;
        m_partial.clear();
    }
    if (size == m_offset)
        return {};
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(m_offset))
        return {};
    const QByteArray read = file.read(std::min(maxReadBytes, size - m_offset));
    m_offset += read.size();
    m_partial += read;
    const qsizetype lastEnd = m_partial.lastIndexOf('\n');
    if (lastEnd < 0)
        return {};
    const QString whole = QString::fromUtf8(m_partial.left(lastEnd));
    m_partial.remove(0, lastEnd + 1);
    return whole.split(QLatin1Char('\n'));
}
