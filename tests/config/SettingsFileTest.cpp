#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"
#include "support/RefusingFileSystem.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <gtest/gtest.h>

namespace {

QVariant onDisk(const QString& key)
{
    return QSettings(UserDefaults::settingsFilePath(), QSettings::IniFormat).value(key);
}

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(UserDefaults, TheFileIsOneQSettingsReadsAndWhatOthersWroteStays)
{
    const QString path = UserDefaults::settingsFilePath();
    EXPECT_EQ(path, TestEnvironment::home() + "/.config/Voranth/Voranth.conf");

    const QVariantMap paks{{"baseq3", QVariantMap{{"pak0.pk3", 1234}}}};
    UserDefaults::setValue(KZXGamePaksInfoKey, paks);
    UserDefaults::setValue(KZXGameMasterServKey, QStringList{"a", "b", "", "", ""});
    UserDefaults::setValue("MainWindow/geometry", QByteArray("\x00\x01 bytes", 8));
    UserDefaults::setValue("MainWindow/tab", 2);
    ASSERT_TRUE(UserDefaults::sync().ok());
    EXPECT_EQ(onDisk(KZXGamePaksInfoKey).toMap(), paks);
    EXPECT_EQ(onDisk(KZXGameMasterServKey).toStringList(), (QStringList{"a", "b", "", "", ""}));
    EXPECT_EQ(onDisk("MainWindow/geometry").toByteArray(), QByteArray("\x00\x01 bytes", 8));

    // voranthctl sets a value while the window runs: the window's next write keeps it.
    {
        QSettings other(path, QSettings::IniFormat);
        other.setValue(KZXDedicatedAppName, "from-voranthctl");
    }
    UserDefaults::setValue(KZXMapImageCacheSizeKey, 12);
    ASSERT_TRUE(UserDefaults::sync().ok());
    EXPECT_EQ(onDisk(KZXDedicatedAppName).toString(), "from-voranthctl");
    EXPECT_EQ(UserDefaults::stringValue(KZXDedicatedAppName), "from-voranthctl");
    EXPECT_EQ(onDisk(KZXMapImageCacheSizeKey).toInt(), 12);

    // Removing a group removes its keys, also ones set since the last write.
    UserDefaults::setValue("MainWindow/splitter", QByteArray("state"));
    UserDefaults::removeValue("MainWindow");
    EXPECT_FALSE(UserDefaults::hasUserValue("MainWindow/tab"));
    ASSERT_TRUE(UserDefaults::sync().ok());
    for (const char* key : {"MainWindow/geometry", "MainWindow/tab", "MainWindow/splitter"})
        EXPECT_FALSE(onDisk(key).isValid()) << key;
    EXPECT_EQ(onDisk(KZXMapImageCacheSizeKey).toInt(), 12);
    EXPECT_EQ(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"Voranth.conf"});
}

TEST(UserDefaults, ALinkAtTheSettingsFileIsReplacedNotWrittenThrough)
{
    const QString path = UserDefaults::settingsFilePath();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    const QString outside = TestEnvironment::makeScratchDir("outside") + "/elsewhere.conf";
    {
        QSettings elsewhere(outside, QSettings::IniFormat);
        elsewhere.setValue("Untouched", "yes");
    }
    const QByteArray before = contentsOf(outside);
    ASSERT_TRUE(QFile::link(outside, path));
    UserDefaults::setValue(KZXPutTerminalBackKey, false);
    ASSERT_TRUE(UserDefaults::sync().ok());
    EXPECT_FALSE(QFileInfo(path).isSymLink());
    EXPECT_EQ(contentsOf(outside), before);
    EXPECT_FALSE(onDisk(KZXPutTerminalBackKey).toBool());
}

TEST(UserDefaults, ASettingsFileThatCannotBeWrittenSaysWhyAndKeepsTheChanges)
{
    const QString path = UserDefaults::settingsFilePath();
    const QString directory = QFileInfo(path).path();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(directory).path()));
    QFile blocker(directory);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)) << "a file where the directory belongs";
    blocker.close();
    UserDefaults::setValue(KZXEnablePunkBusterByDefaultKey, true);
    EXPECT_EQ(UserDefaults::sync().error,
              "Cannot make the directory " + directory + ": Not a directory");
    EXPECT_TRUE(UserDefaults::boolValue(KZXEnablePunkBusterByDefaultKey));
    ASSERT_TRUE(QFile::remove(directory));
    ASSERT_TRUE(UserDefaults::sync().ok()) << "the change was kept for the next write";
    EXPECT_TRUE(onDisk(KZXEnablePunkBusterByDefaultKey).toBool());

    using RefusingFileSystem::Refusal;
    for (const auto& [refusal, reason] :
         {std::pair{Refusal::ReadOnly, QString("Read-only file system")},
          std::pair{Refusal::Full, QString("No space left on device")}}) {
        QDir(directory).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(directory));
        const RefusingFileSystem::Report report =
            RefusingFileSystem::tryWrite(refusal, directory, "settings", path);
        if (!report.skipped.isEmpty())
            GTEST_SKIP() << report.skipped.toStdString();
        ASSERT_TRUE(report.probeFailure.isEmpty()) << report.probeFailure.toStdString();
        EXPECT_TRUE(report.error.contains(directory) &&
                    (report.error.contains(reason) || report.error.contains("Permission denied")))
            << report.error.toStdString();
        EXPECT_TRUE(report.intact);
        EXPECT_EQ(report.values.value("kept"), "new");
        EXPECT_EQ(report.entries, QStringList{"Voranth.conf"});
    }
}
