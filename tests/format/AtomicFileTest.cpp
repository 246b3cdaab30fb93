#include "format/AtomicFile.h"
#include "support/RefusingFileSystem.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writePlainly(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

unsigned modeOf(const QString& path)
{
    struct stat status
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777
                                                                       : 0u;
}

QStringList entriesOf(const QString& directory)
{
    return QDir(directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                         QDir::NoDotAndDotDot,
                                     QDir::Name);
}

} // namespace

TEST(AtomicFile, ReplacesALinkAndAnOpenFileWithAFileOfThePermissionsAskedFor)
{
    const QString dir = TestEnvironment::makeScratchDir("atomic");
    const QString outside = TestEnvironment::makeScratchDir("outside") + "/target";
    ASSERT_TRUE(writePlainly(outside, "the link's target"));
    const QString path = dir + "/file";
    ASSERT_TRUE(QFile::link(outside, path));

    ASSERT_TRUE(AtomicFile::write(path, "written", AtomicFile::privatePermissions).ok());
    EXPECT_FALSE(QFileInfo(path).isSymLink()) << "the link itself is replaced";
    EXPECT_EQ(contentsOf(path), "written");
    EXPECT_EQ(contentsOf(outside), "the link's target") << "never written through";
    EXPECT_EQ(modeOf(path), 0600u);

    // Over a file that others may read, the permissions are still the ones asked for.
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ReadGroup | QFileDevice::ReadOther));
    ASSERT_EQ(modeOf(path), 0644u);
    ASSERT_TRUE(AtomicFile::write(path, "private again", AtomicFile::privatePermissions).ok());
    EXPECT_EQ(modeOf(path), 0600u);
    ASSERT_TRUE(AtomicFile::write(path, "public").ok());
    EXPECT_EQ(modeOf(path), 0644u);
    EXPECT_EQ(contentsOf(path), "public");
    EXPECT_EQ(entriesOf(dir), QStringList{"file"}) << "no temporary file is left";
}

TEST(AtomicFile, AWriteThatCannotBeMadeSaysWhyAndLeavesNothingBehind)
{
    const QString dir = TestEnvironment::makeScratchDir("atomic");

    const Result<void> noDirectory = AtomicFile::write(dir + "/missing/file", "x");
    EXPECT_TRUE(noDirectory.error.contains(dir + "/missing: No such file or directory"))
        << noDirectory.error.toStdString();

    // A directory where the file belongs cannot be replaced; it stays as it was.
    ASSERT_TRUE(QDir().mkpath(dir + "/file/inside"));
    const Result<void> overDirectory = AtomicFile::write(dir + "/file", "x");
    EXPECT_TRUE(overDirectory.error.startsWith("Cannot replace " + dir + "/file: "))
        << overDirectory.error.toStdString();
    EXPECT_TRUE(QFileInfo(dir + "/file/inside").isDir());
    EXPECT_EQ(entriesOf(dir), QStringList{"file"});

    ASSERT_TRUE(writePlainly(dir + "/plain", "a file"));
    const Result<void> inAFile = AtomicFile::makeDirectories(dir + "/plain/sub/dir");
    EXPECT_EQ(inAFile.error, "Cannot make the directory " + dir + "/plain: Not a directory");
    ASSERT_TRUE(AtomicFile::makeDirectories(dir + "/made/sub").ok());
    EXPECT_TRUE(QFileInfo(dir + "/made/sub").isDir());
}

TEST(AtomicFile, AFullOrReadOnlyFileSystemKeepsTheOldFileAndSaysWhy)
{
    using RefusingFileSystem::Refusal;
    const struct
    {
        Refusal refusal;
        QStringList reasons; // read-only by chmod where no file system can be mounted
    } cases[] = {{Refusal::ReadOnly, {"Read-only file system", "Permission denied"}},
                 {Refusal::Full, {"No space left on device"}}};
    for (const auto& c : cases) {
        const QString dir = TestEnvironment::makeScratchDir("refusing");
        const RefusingFileSystem::Report report =
            RefusingFileSystem::tryWrite(c.refusal, dir, "atomic", dir + "/file");
        if (!report.skipped.isEmpty())
            GTEST_SKIP() << report.skipped.toStdString();
        ASSERT_TRUE(report.probeFailure.isEmpty()) << report.probeFailure.toStdString();
        EXPECT_TRUE(report.error.contains(dir) &&
                    std::any_of(c.reasons.begin(), c.reasons.end(),
                                [&](const QString& reason) { return report.error.contains(reason); }))
            << report.error.toStdString();
        EXPECT_TRUE(report.intact) << "the old file is untouched";
        EXPECT_EQ(report.entries, QStringList{"file"}) << "no temporary file is left";
    }
}
