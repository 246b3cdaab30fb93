#include "bench/support/PakWriter.h"

#include <QFile>

#include <zip.h>

#include <cstdlib>
#include <cstring>

PakWriter::PakWriter(const QString& path)
{
    int error = 0;
    m_archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
}

PakWriter::~PakWriter()
{
    if (m_archive)
        zip_discard(m_archive);
}

bool PakWriter::add(const QString& memberPath, const QByteArray& bytes, const QDateTime& time)
{
    if (!m_archive)
        return false;
    // libzip reads the bytes only at close, so it gets a copy of its own to free (it keeps
    // no buffer for an empty member).
    void* copy = nullptr;
    if (!bytes.isEmpty()) {
        copy = std::malloc(size_t(bytes.size()));
        if (!copy)
            return false;
        std::memcpy(copy, bytes.constData(), size_t(bytes.size()));
    }
    zip_source_t* source =
        zip_source_buffer(m_archive, copy, zip_uint64_t(bytes.size()), copy ? 1 : 0);
    if (!source) {
        std::free(copy);
        return false;
    }
    const zip_int64_t index =
        zip_file_add(m_archive, memberPath.toUtf8().constData(), source, ZIP_FL_OVERWRITE);
    if (index < 0) {
        zip_source_free(source);
        return false;
    }
    return zip_file_set_mtime(m_archive, zip_uint64_t(index), time_t(time.toSecsSinceEpoch()), 0) ==
           0;
}

bool PakWriter::close()
{
    if (!m_archive)
        return false;
    const bool written = zip_close(m_archive) == 0;
    if (written)
        m_archive = nullptr;
    return written;
}
