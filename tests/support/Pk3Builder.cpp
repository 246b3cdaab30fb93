#include "support/Pk3Builder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <zip.h>

Pk3Builder& Pk3Builder::add(const QString& name, const QByteArray& bytes, const QDateTime& time)
{
    m_members.append(Member{name, bytes, time});
    return *this;
}

Pk3Builder& Pk3Builder::addSymlink(const QString& name, const QString& target)
{
    m_members.append(Member{name, target.toUtf8(), {}, true});
    return *this;
}

bool Pk3Builder::write(const QString& path) const
{
    QFile::remove(path);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    int error = 0;
    zip_t* archive =
        zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return false;
    bool ok = true;
    for (const Member& member : m_members) {
        // The buffers live in m_members until zip_close has read them.
        zip_source_t* source = zip_source_buffer(archive, member.bytes.constData(),
                                                 zip_uint64_t(member.bytes.size()), 0);
        const zip_int64_t index = source ? zip_file_add(archive, member.name.toUtf8().constData(),
                                                        source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8)
                                         : -1;
        if (index < 0) {
            if (source)
                zip_source_free(source);
            ok = false;
            break;
        }
        if (member.link)
            ok = ok &&
                 zip_file_set_external_attributes(archive, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX,
                                                  zip_uint32_t(S_IFLNK | 0777) << 16) == 0;
        if (member.time.isValid())
            ok = ok && zip_file_set_mtime(archive, zip_uint64_t(index),
                                          member.time.toSecsSinceEpoch(), 0) == 0;
    }
    if (!ok) {
        zip_discard(archive);
        return false;
    }
    return zip_close(archive) == 0;
}

QStringList Pk3Builder::memberNames(const QString& pk3Path)
{
    QStringList names;
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(pk3Path).constData(), ZIP_RDONLY, &error);
    if (!archive)
        return names;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i)
        if (const char* name = zip_get_name(archive, zip_uint64_t(i), 0))
            names.append(QString::fromUtf8(name));
    zip_discard(archive);
    return names;
}

std::optional<QByteArray> Pk3Builder::extract(const QString& pk3Path, const QString& member)
{
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(pk3Path).constData(), ZIP_RDONLY, &error);
    if (!archive)
        return std::nullopt;
    std::optional<QByteArray> bytes;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(archive, member.toUtf8().constData(), 0, &stat) == 0 &&
        (stat.valid & ZIP_STAT_SIZE)) {
        if (zip_file_t* file = zip_fopen(archive, member.toUtf8().constData(), 0)) {
            QByteArray data(qsizetype(stat.size), Qt::Uninitialized);
            if (zip_fread(file, data.data(), stat.size) == zip_int64_t(stat.size))
                bytes = data;
            zip_fclose(file);
        }
    }
    zip_discard(archive);
    return bytes;
}

bool Pk3Builder::extractTo(const QString& pk3Path, const QString& member, const QString& file)
{
    const std::optional<QByteArray> bytes = extract(pk3Path, member);
    if (!bytes || !QDir().mkpath(QFileInfo(file).absolutePath()))
        return false;
    QFile out(file);
    return out.open(QIODevice::WriteOnly) && out.write(*bytes) == bytes->size();
}
