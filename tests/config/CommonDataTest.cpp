#include "config/CommonData.h"
#include "config/GameDirectory.h"
#include "config/GamePaths.h"
#include "config/SettingsKeys.h"
#include "config/StringTable.h"
#include "config/UserDefaults.h"
#include "format/PlistReader.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

void writeGamePreferences(const QByteArray& text)
{
    QDir().mkpath(CommonData::qGamePrefsDir());
    QFile file(CommonData::qGamePrefsFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

} // namespace

TEST(CommonData, PathsFollowTheHomeAndXdgDirectories)
{
    const QString home = TestEnvironment::home();
    EXPECT_EQ(CommonData::appSupportQGameDir(), home + "/.q3a");
    EXPECT_EQ(CommonData::appSupportQ3VXDir(), home + "/.local/share/Voranth");
    EXPECT_EQ(CommonData::appSupportQ3VXBaseQ3Dir(), home + "/.local/share/Voranth/baseq3");
    EXPECT_EQ(CommonData::tmpBlockArenasPlistFile(),
              "/tmp/tmpBlkFile-" + CommonData::userLoginName() + ".plist");
}

TEST(GamePaths, NameTheDirectoriesOfOneModOfOneGame)
{
    const QString home = TestEnvironment::home();
    const GamePaths base;
    EXPECT_EQ(base.qGameModDir(), "baseq3");
    EXPECT_TRUE(base.qGameRootDir().isEmpty());
    EXPECT_EQ(base.appSupportQ3VXCurrentModDir(), CommonData::appSupportQ3VXBaseQ3Dir());

    const GamePaths mod = GamePaths("/games/q3", "baseq3").withMod("q3ut2");
    EXPECT_EQ(mod.qGameRootDir(), "/games/q3");
    EXPECT_EQ(mod.gameModPath(), "/games/q3/q3ut2");
    EXPECT_EQ(mod.appSupportQGameModDir(), home + "/.q3a/q3ut2");
    EXPECT_EQ(mod.appSupportQ3VXCurrentModDir(), home + "/.local/share/Voranth/q3ut2");
    EXPECT_EQ(mod.arenasPlistFileWithPath(), home + "/.local/share/Voranth/q3ut2/VOArenas.plist");
    EXPECT_EQ(mod.botsPlistFileWithPath(), home + "/.local/share/Voranth/q3ut2/VOBots.plist");
    EXPECT_EQ(GamePaths::baseQ3BotsPlistFileWithPath(),
              home + "/.local/share/Voranth/baseq3/VOBots.plist");
    EXPECT_FALSE(mod.isBaseGame());
}

TEST(GameDirectory, WithoutGamePreferencesOrSettingItIsUnknown)
{
    EXPECT_EQ(GameDirectory::settle(), "");
    EXPECT_FALSE(UserDefaults::hasUserValue(KZXQGameRootDir));
}

TEST(GameDirectory, GamePreferencesNameIt)
{
    writeGamePreferences("{ NSDefaultOpenDirectory = \"/games/Quake III Arena\"; Other = 1; }");
    EXPECT_EQ(GameDirectory::settle(), "/games/Quake III Arena");
    EXPECT_EQ(UserDefaults::stringValue(KZXQGameRootDir), "/games/Quake III Arena");
}

TEST(GameDirectory, UnreadableGamePreferencesChangeNothing)
{
    writeGamePreferences("{ NSDefaultOpenDirectory = ");
    EXPECT_EQ(GameDirectory::settle(), "");
    EXPECT_FALSE(UserDefaults::hasUserValue(KZXQGameRootDir));
}

TEST(GameDirectory, TheStoredSettingCountsWhileItHoldsTheBaseGame)
{
    const QString game = TestEnvironment::makeScratchDir("game");
    EXPECT_EQ(GameDirectory::choose(game + "/sub/.."), game);
    EXPECT_EQ(GameDirectory::settle(), "") << "no baseq3 yet";
    QDir().mkpath(game + "/baseq3");
    EXPECT_EQ(GameDirectory::settle(), game);
}

TEST(UserDefaults, BuiltInDefaultsAreReadButNeverWritten)
{
    EXPECT_EQ(UserDefaults::intValue(KZXMapImageCacheSizeKey), 30);
    EXPECT_EQ(UserDefaults::intValue(KZXMapImageLoadingKey), 1);
    EXPECT_TRUE(UserDefaults::boolValue(KZXUseDefaultMasterServersKey));
    EXPECT_EQ(UserDefaults::stringValue(KZXRconPasswordGenerationTypeStringKey), "random");
    EXPECT_EQ(UserDefaults::stringListValue(KZXGameMasterServKey).size(), 5);
    EXPECT_EQ(UserDefaults::intValue(KZXDedicatedAppType), 0);
    EXPECT_FALSE(UserDefaults::value(KZXCustomDedicatedAppname).isValid());
    EXPECT_EQ(UserDefaults::builtInDefaults().size(), 16);
    EXPECT_EQ(UserDefaults::stringValue(KZXServerHostingKey), "terminal");

    UserDefaults::setValue(KZXMapImageCacheSizeKey, 12);
    ASSERT_TRUE(UserDefaults::sync().ok());
    EXPECT_EQ(UserDefaults::intValue(KZXMapImageCacheSizeKey), 12);
    QFile file(UserDefaults::settingsFilePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray stored = file.readAll();
    EXPECT_TRUE(stored.contains("Map%20Image%20Cache%20Size=12")) << stored.constData();
    EXPECT_FALSE(stored.contains("Use%20Default")) << stored.constData();
    UserDefaults::removeValue(KZXMapImageCacheSizeKey);
    EXPECT_EQ(UserDefaults::intValue(KZXMapImageCacheSizeKey), 30);
}

TEST(UserDefaults, TextTakesTheTypeOfTheSetting)
{
    using T = UserDefaults::Type;
    EXPECT_EQ(UserDefaults::valueFromText(T::Boolean, {"YES"}), QVariant(true));
    EXPECT_EQ(UserDefaults::valueFromText(T::Boolean, {"no"}), QVariant(false));
    EXPECT_FALSE(UserDefaults::valueFromText(T::Boolean, {"maybe"}).isValid());
    EXPECT_EQ(UserDefaults::valueFromText(T::Integer, {"-3"}), QVariant(-3));
    EXPECT_FALSE(UserDefaults::valueFromText(T::Integer, {"3x"}).isValid());
    EXPECT_FALSE(UserDefaults::valueFromText(T::String, {"a", "b"}).isValid());
    EXPECT_EQ(UserDefaults::valueFromText(T::StringList, {"a", ""}),
              QVariant(QStringList{"a", ""}));
    EXPECT_EQ(UserDefaults::typeOf("Paks Info Version"), T::String);
    EXPECT_FALSE(UserDefaults::typeOf("No Such Key").has_value());
}

TEST(StringTable, TablesGiveTheirTextOrTheDefault)
{
    for (const char* table : {"VOCommon", "RconComm", "Maps"})
        EXPECT_EQ(StringTable::text(table, "NoSuchKeyAnywhere", "Fallback %@"), "Fallback %@");
    EXPECT_EQ(StringTable::text("NoSuchTable", "Key", "Default"), "Default");
}

TEST(StringTable, EveryTableResourceParses)
{
    for (const char* table : {"VOCommon", "RconComm", "Maps"}) {
        QFile file(QStringLiteral(":/resources/strings/%1.strings").arg(table));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << table;
        const PlistReader::Result result =
            PlistReader::parseStrings(QString::fromUtf8(file.readAll()));
        EXPECT_TRUE(result.ok()) << table << ": " << result.error.toStdString() << " at line "
                                 << result.line;
        for (const QString& key : result.value.toMap().keys())
            EXPECT_TRUE(StringTable::contains(table, key));
    }
}

TEST(StringTable, PlaceholdersAreFilledInOrderOnce)
{
    EXPECT_EQ(StringTable::filled("'%@' already exists (with mod: %@).", {"50%@ off", "baseq3"}),
              "'50%@ off' already exists (with mod: baseq3).");
    EXPECT_EQ(StringTable::filled("no placeholder", {"x"}), "no placeholder");
    EXPECT_EQ(StringTable::filled("%@ and %@", {"one"}), "one and %@");
    EXPECT_EQ(
        StringTable::text("VOCommon", "GameDirNotValidMsg", "unused", {"Quake 3 Arena", "baseq3"}),
        "Your Quake 3 Arena installation directory should at least contain the 'baseq3' directory");
}
