#include "content/PakExtractor.h"

#include "content/ScriptBudget.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <memory>

namespace {

struct ArchiveCloser
{
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct MemberCloser
{
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;
using Member = std::unique_ptr<zip_file_t, MemberCloser>;

constexpr zip_uint8_t unixHost = 3;
const QString partPrefix = QStringLiteral(".voranth-extract-");
const QString partSuffix = QStringLiteral(".part");

bool isSymbolicLinkMember(zip_t* archive, zip_uint64_t index)
{
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) != 0)
        return false;
    return system == unixHost && S_ISLNK(attributes >> 16);
}

// Creates the directories of relativeDir below root, refusing to pass through a link.
bool makeDirectoriesInside(const QString& root, const QString& relativeDir)
{
    QString path = root;
    for (const QString& part : relativeDir.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        path += QLatin1Char('/') + part;
        const QFileInfo info(path);
        if (info.isSymLink())
            return false;
        if (info.isDir())
            continue;
        if (info.exists() || !QDir().mkdir(path))
            return false;
    }
    return true;
}

enum class MemberRead
{
    Whole,
    Damaged,
    TooLarge,
};

// Reads a whole member, refusing more than maxSize bytes whatever its header claims.
MemberRead readMember(zip_t* archive, zip_uint64_t index, qint64 maxSize, QByteArray& data)
{
    Member member(zip_fopen_index(archive, index, 0));
    if (!member)
        return MemberRead::Damaged;
    char buffer[65536];
    while (true) {
        const zip_int64_t n = zip_fread(member.get(), buffer, sizeof buffer);
        if (n < 0)
            return MemberRead::Damaged;
        if (n == 0)
            return MemberRead::Whole;
        if (data.size() + n > maxSize)
            return MemberRead::TooLarge;
        data.append(buffer, qsizetype(n));
    }
}

// Extracted files can always be extracted again, so they are not forced to disk one by one:
// a flush per file made up most of a first scan. They still appear whole, with the member's
// time, or not at all, so that an interrupted scan never leaves a cut file that looks current.
bool writeFileWithTime(const QString& path, const QByteArray& data, const QDateTime& time)
{
    // Beside its target, under a name no archive would hold; O_EXCL never follows a link.
    const QString partPath =
        QFileInfo(path).path() + QLatin1Char('/') + partPrefix + QString::number(getpid()) + partSuffix;
    QFile::remove(partPath);
    QFile out(partPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    const bool written = out.write(data) == data.size() && out.flush() &&
                         out.setFileTime(time, QFileDevice::FileModificationTime);
    out.close();
    if (!written || ::rename(QFile::encodeName(partPath).constData(),
                             QFile::encodeName(path).constData()) != 0) {
        QFile::remove(partPath);
        return false;
    }
    return true;
}

} // namespace

PakExtractor::PakExtractor(qint64 maxMemberSize) : m_maxMemberSize(maxMemberSize) {}

const QStringList& PakExtractor::selections()
{
    static const QStringList patterns = {
        QStringLiteral("scripts/*.txt"),  QStringLiteral("scripts/*.arena"),
        QStringLiteral("levelshots/*.*"), QStringLiteral("gameinfo.txt"),
        QStringLiteral("maps/*.cfg"),     QStringLiteral("maps/*.mapinfo"),
    };
    return patterns;
}

bool PakExtractor::isSelected(const QString& memberPath)
{
    const QByteArray name = memberPath.toUtf8();
    for (const QString& pattern : selections())
        if (fnmatch(pattern.toUtf8().constData(), name.constData(), 0) == 0)
            return true;
    return false;
}

bool PakExtractor::isSafeMemberPath(const QString& memberPath)
{
    if (memberPath.isEmpty() || memberPath.startsWith(QLatin1Char('/')) ||
        memberPath.contains(QLatin1Char('\\')) || memberPath.contains(QChar(0)))
        return false;
    for (const QString& part : memberPath.split(QLatin1Char('/')))
        if (part == QLatin1String(".."))
            return false;
    return true;
}

int PakExtractor::removeLeftoverParts(const QString& dir)
{
    int removed = 0;
    QDirIterator it(dir, {partPrefix + QLatin1Char('*') + partSuffix},
                    QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (QFile::remove(path))
            ++removed;
    }
    return removed;
}

PakExtractor::Report PakExtractor::extract(const QString& pakPath, const QString& destinationDir,
                                           ScriptBudget* budget) const
{
    Report report;
    int error = 0;
    Archive archive(zip_open(QFile::encodeName(pakPath).constData(), ZIP_RDONLY, &error));
    if (!archive) {
        zip_error_t zipError;
        zip_error_init_with_code(&zipError, error);
        report.problems.append(QStringLiteral("%1: cannot be read as a zip archive (%2)")
                                   .arg(pakPath, QString::fromUtf8(zip_error_strerror(&zipError))));
        zip_error_fini(&zipError);
        return report;
    }
    report.opened = true;
    QDir().mkpath(destinationDir);

    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const zip_uint64_t index = zip_uint64_t(i);
        const char* rawName = zip_get_name(archive.get(), index, 0);
        if (!rawName)
            continue;
        const QString name = QString::fromUtf8(rawName);
        if (name.endsWith(QLatin1Char('/')) || !isSelected(name))
            continue;
        const auto skip = [&](const QString& why) {
            report.problems.append(
                QStringLiteral("%1: skipped member \"%2\": %3").arg(pakPath, name, why));
        };
        if (!isSafeMemberPath(name)) {
            skip(QStringLiteral("its path leaves the data directory"));
            continue;
        }
        if (isSymbolicLinkMember(archive.get(), index)) {
            skip(QStringLiteral("it is a symbolic link"));
            continue;
        }
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(archive.get(), index, 0, &stat) != 0) {
            skip(QStringLiteral("its header cannot be read"));
            continue;
        }
        if ((stat.valid & ZIP_STAT_SIZE) && stat.size > zip_uint64_t(m_maxMemberSize)) {
            skip(QStringLiteral("larger than %1 bytes").arg(m_maxMemberSize));
            continue;
        }
        const QDateTime memberTime = (stat.valid & ZIP_STAT_MTIME)
                                         ? QDateTime::fromSecsSinceEpoch(stat.mtime)
                                         : QDateTime::currentDateTime();
        const QString target = destinationDir + QLatin1Char('/') + name;
        const QFileInfo existing(target);
        if (existing.isSymLink() || (existing.exists() && !existing.isFile())) {
            skip(QStringLiteral("something else than a file stands at its place"));
            continue;
        }
        if (existing.exists() && existing.lastModified() >= memberTime) {
            ++report.membersNotNewer;
            continue;
        }
        if (!makeDirectoriesInside(destinationDir, QFileInfo(name).path())) {
            skip(QStringLiteral("its directory cannot be made"));
            continue;
        }
        // Level shots are pictures, read one at a time; the scripts are read whole later.
        const bool script = budget && !name.startsWith(QLatin1String("levelshots/"));
        const QString overBudget =
            script ? QStringLiteral("the mod's scripts would pass the %1 bytes they may come to")
                         .arg(budget->total())
                   : QString();
        if (script && (stat.valid & ZIP_STAT_SIZE) && stat.size > zip_uint64_t(budget->left())) {
            skip(overBudget);
            continue;
        }
        const qint64 limit = script ? std::min(m_maxMemberSize, budget->left()) : m_maxMemberSize;
        QByteArray data;
        const MemberRead read = readMember(archive.get(), index, limit, data);
        if (read != MemberRead::Whole) {
            skip(read == MemberRead::Damaged ? QStringLiteral("damaged")
                 : limit < m_maxMemberSize
                     ? overBudget
                     : QStringLiteral("larger than %1 bytes").arg(m_maxMemberSize));
            continue;
        }
        if (script)
            budget->take(target, data.size());
        if (!writeFileWithTime(target, data, memberTime)) {
            skip(QStringLiteral("cannot write %1").arg(target));
            continue;
        }
        ++report.membersWritten;
    }
    return report;
}
