#include "config/CommonData.h"
#include "config/ConfigArchive.h"
#include "config/ConfigStore.h"
#include "config/DataDirectory.h"
#include "config/StringTable.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

mode_t modeOf(const QString& path)
{
    struct stat info = {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

TEST(DataDirectory, IsMadeAndKeptPrivateWithItsMissingParents)
{
    const QString base = TestEnvironment::makeScratchDir("fresh");
    const QString dir = base + "/share/deeper/Voranth";
    const Result<void> made = DataDirectory::prepare(dir);
    ASSERT_TRUE(made.ok()) << made.error.toStdString();
    EXPECT_TRUE(QFileInfo(dir).isDir());
    EXPECT_EQ(modeOf(dir), 0700u);
    EXPECT_EQ(modeOf(base + "/share") & 077, 0u) << "parents made for it are private too";

    // A directory an earlier version made readable to everyone is made private again.
    ASSERT_EQ(::chmod(QFile::encodeName(dir).constData(), 0755), 0);
    ASSERT_TRUE(DataDirectory::prepare(dir).ok());
    EXPECT_EQ(modeOf(dir), 0700u);
}

TEST(DataDirectory, WhatStandsInTheWayIsReportedAndNeverRemoved)
{
    const QString base = TestEnvironment::makeScratchDir("blocked");
    // A file where the data home goes.
    writeFile(base + "/share", "the user's file");
    Result<void> result = DataDirectory::prepare(base + "/share/Voranth");
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.error.contains(base + "/share")) << result.error.toStdString();
    EXPECT_TRUE(result.error.contains("not a directory")) << result.error.toStdString();
    EXPECT_EQ(contentsOf(base + "/share"), "the user's file");

    // A link to a volume that is not mounted: the link stays, nothing is made in its place.
    const QString unmounted = base + "/media/volume/share";
    ASSERT_TRUE(QFile::link(unmounted, base + "/linked"));
    result = DataDirectory::prepare(base + "/linked/Voranth");
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.error.contains(unmounted)) << result.error.toStdString();
    EXPECT_TRUE(QFileInfo(base + "/linked").isSymLink());
    EXPECT_FALSE(QFileInfo::exists(base + "/media"));

    // The window's alert names the reason and where the configurations are kept.
    EXPECT_TRUE(DataDirectory::unusableMessage(result).startsWith(result.error));
    EXPECT_TRUE(StringTable::contains("VOCommon", "DataDirUnusableTitle"));
    EXPECT_TRUE(StringTable::contains("VOCommon", "DataDirUnusableMsg"));
    EXPECT_TRUE(StringTable::contains("VOCommon", "DataDirLinkNotDirectory"));
    EXPECT_TRUE(StringTable::contains("VOCommon", "DataDirBlockedByFile"));
    EXPECT_TRUE(StringTable::contains("VOCommon", "DataDirNotCreated"));
}

TEST(DataDirectory, ALinkToADirectoryIsFollowed)
{
    const QString base = TestEnvironment::makeScratchDir("followed");
    QDir().mkpath(base + "/volume/share");
    ASSERT_TRUE(QFile::link(base + "/volume/share", base + "/share"));
    ASSERT_TRUE(DataDirectory::prepare(base + "/share/Voranth").ok());
    EXPECT_TRUE(QFileInfo(base + "/volume/share/Voranth").isDir());
    EXPECT_TRUE(QFileInfo(base + "/share").isSymLink());
}

TEST(DataDirectory, TheStoreIsWrittenPrivateAlsoOverAnOpenOne)
{
    ASSERT_TRUE(DataDirectory::prepare().ok());
    writeFile(ConfigStore::storePath(), ConfigArchive::encode({}));
    ASSERT_EQ(::chmod(QFile::encodeName(ConfigStore::storePath()).constData(), 0644), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(CommonData::appSupportQ3VXDir()).constData(), 0755), 0);

    ConfigStore store;
    store.load();
    ServerConfig record;
    record.setConfigName("secret");
    record.setRconPassword("hunter2");
    store.insert(record);
    ASSERT_TRUE(store.save().ok());
    EXPECT_EQ(modeOf(ConfigStore::storePath()), 0600u);
    EXPECT_EQ(modeOf(CommonData::appSupportQ3VXDir()), 0700u);
}

TEST(DataDirectory, AStoreThatCannotGetItsDirectoryIsNotSaved)
{
    // The data home is a link to nothing: saving says why and makes nothing.
    const QString dataHome = QFileInfo(CommonData::appSupportQ3VXDir()).path();
    QDir(dataHome).removeRecursively();
    QDir().mkpath(QFileInfo(dataHome).path());
    ASSERT_TRUE(QFile::link(TestEnvironment::home() + "/not-mounted", dataHome));
    ConfigStore store;
    const Result<void> saved = store.save();
    EXPECT_FALSE(saved.ok());
    EXPECT_TRUE(saved.error.contains("not-mounted")) << saved.error.toStdString();
    EXPECT_TRUE(QFileInfo(dataHome).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(TestEnvironment::home() + "/not-mounted"));
    QFile::remove(dataHome);
}
