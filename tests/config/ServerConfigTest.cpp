#include "config/ServerConfig.h"
#include "config/CommonData.h"
#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"

#include <QBuffer>
#include <QDataStream>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

namespace {

// A record whose every field differs from both the defaults and the blank record.
ServerConfig unusualRecord()
{
    ServerConfig r;
    r.setConfigName("Duel Night");
    r.setModName("q3ut2");
    r.setAllowDownloads(true);
    r.setAllowVoting(false);
    r.setAutoJoinTeams(true);
    r.setCaptureLimit(8);
    r.setRadioDedicatedType(1);
    r.setForceTeamBalance(true);
    r.setFragLimit(35);
    r.setFriendlyFire(true);
    r.setGameType(4);
    r.setGameTypeString("Capture The Flag");
    r.setHunkMegs(128);
    r.setListAllMaps(false);
    r.setMaxPlayers(16);
    r.setNetIP("192.168.1.20");
    r.setNetPort(27961);
    r.setNPrivateClients(2);
    r.setPrivateClientPasswd("s3cret");
    r.setPureServer(false);
    r.setQuadFactor(2.75f);
    r.setRconPassword("rcon pw");
    r.setRotateMaps(false);
    r.setServerName("^1Red ^7Server \"quoted\"");
    r.setTimeLimit(15);
    r.setWarmup(7);
    r.setWeaponsRespawn(3);
    r.setWelcomeText("Welcome, ünïcode ✓");
    r.setKnockback(1200);
    r.setInactivity(300);
    r.setBotMinPlayers(4);
    r.setBotNoChat(true);
    r.setBotRocketJump(false);
    r.setTimeout(90);
    r.setMinPing(10);
    r.setMaxPing(400);
    r.setHunkMegsUse(true);
    r.setPunkBusterEnabled(true);
    r.setDefaultBotSkill(5);
    r.setBotGrapple(true);
    // A rate the setter rule would never leave with the radio at "derived".
    r.setOptimizeNetworkRaw(7777);
    r.setSaveAndStartButtonLabel(QString("Save & Start"));
    r.setMapList({"q3dm17", "q3tourney2", "q3dm17"});
    r.setExtraParameters({ExtraParameter("g_gravity", "400"), ExtraParameter("addbot", "Xaero 4")});
    r.setModParameters({QString("a"), 42, true, 1.5, QVariantList{QString("nested")}});
    r.setMoreGUIParameters({QString("b")});
    return r;
}

QByteArray encoded(const ServerConfig& record, int version = ServerConfig::classVersion)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    record.encodeWithCoder(out, version);
    return bytes;
}

bool decode(const QByteArray& bytes, int version, ServerConfig& record)
{
    QDataStream in(bytes);
    return ServerConfig::initWithCoder(in, version, record) && in.atEnd();
}

} // namespace

TEST(ServerConfig, NewAndBlankRecords)
{
    EXPECT_EQ(ServerConfig().modName(), "baseq3");
    const ServerConfig r("missionpack");
    EXPECT_EQ(r.modName(), "missionpack");
    EXPECT_EQ(r.optimizeNetwork(), 0);
    EXPECT_EQ(r.radioOptimizeNetwork(), 0);
    EXPECT_EQ(r.radioDedicatedType(), 0);
    EXPECT_EQ(r.quadFactor(), 3.0f);
    EXPECT_EQ(r.netPort(), 27960);
    EXPECT_EQ(r.netIP(), "localhost");
    EXPECT_EQ(r.gameTypeString(), "Free For All");
    EXPECT_EQ(r.defaultBotSkill(), 2);
    EXPECT_TRUE(r.mapList().isEmpty() && r.extraParameters().isEmpty());
    EXPECT_TRUE(r.modParameters().isEmpty() && r.moreGUIParameters().isEmpty());
    EXPECT_FALSE(r.saveAndStartButtonLabel().has_value());

    const ServerConfig b = ServerConfig::blank();
    EXPECT_EQ(b.modName(), "");
    EXPECT_EQ(b.netIP(), "");
    EXPECT_EQ(b.gameTypeString(), "");
    EXPECT_EQ(b.quadFactor(), 0.0f);
    EXPECT_EQ(b.netPort() + b.fragLimit() + b.hunkMegs() + b.maxPlayers() + b.warmup() +
                  b.weaponsRespawn() + b.knockback() + b.timeout() + b.defaultBotSkill(),
              0);
    EXPECT_FALSE(b.allowVoting() || b.listAllMaps() || b.pureServer() || b.rotateMaps() ||
                 b.botRocketJump());
}

TEST(ServerConfig, OptimizeNetworkFollowsTheRadioFieldsAndSurvivesCopies)
{
    ServerConfig r;
    r.setOptimizeNetwork(5000);
    EXPECT_EQ(r.optimizeNetwork(), 0);
    r.setRadioDedicatedType(1);
    r.setOptimizeNetwork(5000);
    EXPECT_EQ(r.optimizeNetwork(), 10000);
    r.setRadioOptimizeNetwork(1);
    r.setOptimizeNetwork(5000);
    EXPECT_EQ(r.optimizeNetwork(), 5000);

    const ServerConfig copy = ServerConfig::copyOf(r);
    EXPECT_EQ(copy.radioOptimizeNetwork(), 1);
    EXPECT_EQ(copy.optimizeNetwork(), 5000);
}

TEST(ServerConfig, CopyIsIndependentAndDropsTheButtonLabel)
{
    const ServerConfig source = unusualRecord();
    ServerConfig copy = ServerConfig::copyOf(source);
    EXPECT_FALSE(copy.saveAndStartButtonLabel().has_value());
    copy.setSaveAndStartButtonLabel(source.saveAndStartButtonLabel());
    EXPECT_EQ(copy, source);

    ASSERT_TRUE(copy.setExtraParameter(0, "800", "xvalue"));
    copy.addMap("q3dm1");
    EXPECT_EQ(source.extraParameters().at(0).xvalue(), "400");
    EXPECT_EQ(source.mapsCount(), 3);
}

TEST(ServerConfig, MapListPositionsOutsideTheListChangeNothing)
{
    ServerConfig r;
    r.setMapList({"a", "b", "c", "d"});
    EXPECT_FALSE(r.insertMap("x", 5));
    EXPECT_FALSE(r.insertMap("x", -1));
    EXPECT_FALSE(r.removeMap(4));
    EXPECT_EQ(r.map(4), "");
    EXPECT_EQ(r.mapList(), QStringList({"a", "b", "c", "d"}));
    EXPECT_TRUE(r.insertMap("e", 4));
    EXPECT_TRUE(r.insertMap("z", 0));
    EXPECT_EQ(r.mapList(), QStringList({"z", "a", "b", "c", "d", "e"}));

    // Positions refer to the list before the call; repeats and strays are ignored.
    r.removeMapsFromIndices({1, 3, 3, 99, -2, 5});
    EXPECT_EQ(r.mapList(), QStringList({"z", "b", "d"}));

    r.setMapList({"a", "b", "a", "c", "a"});
    r.removeMapsInArray({"a", "c", "unknown"});
    EXPECT_EQ(r.mapList(), QStringList({"b"}));
}

TEST(ServerConfig, NextMapFollowsTheRotation)
{
    ServerConfig r;
    r.setMapList({"m0", "m1", "m2"});
    EXPECT_EQ(r.nextMapIndex(0), 1);
    EXPECT_EQ(r.nextMapIndex(1), 2);
    EXPECT_EQ(r.nextMapIndex(2), 0);
    EXPECT_EQ(r.nextMap(2), "m0");
    r.setRotateMaps(false);
    EXPECT_EQ(r.nextMapIndex(2), 2);
    EXPECT_EQ(r.nextMap(1), "m2");

    r.setMapList({"only"});
    EXPECT_EQ(r.nextMapIndex(0), 0);
    r.setRotateMaps(true);
    EXPECT_EQ(r.nextMapIndex(0), 0);
}

TEST(ServerConfig, ExtraParameterEditing)
{
    ServerConfig r;
    r.addExtraParameter();
    ASSERT_EQ(r.extraParameters().size(), 1);
    EXPECT_EQ(r.extraParameters().at(0), ExtraParameter("_cvar", "0"));
    EXPECT_TRUE(r.setExtraParameter(0, "g_gravity", "xvariable"));
    EXPECT_FALSE(r.setExtraParameter(0, "x", "xValue"));
    EXPECT_FALSE(r.setExtraParameter(1, "x", "xvalue"));
    EXPECT_EQ(r.extraParameters().at(0), ExtraParameter("g_gravity", "0"));
    EXPECT_FALSE(r.deleteExtraParameter(1));
    EXPECT_TRUE(r.deleteExtraParameter(0));
    EXPECT_TRUE(r.extraParameters().isEmpty());
}

TEST(ServerConfig, RandomPasswordsMadeInOneSecondNeverRepeat)
{
    // The same second must not mean the same password (or one of a few thousand).
    const QRegularExpression shape("^[a-zA-Z0-9]{5,8}$");
    QSet<QString> passwords;
    QSet<qsizetype> lengths;
    QSet<QChar> characters;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 1000; ++i) {
        const QString password = ServerConfig::randomPassword();
        ASSERT_TRUE(shape.match(password).hasMatch()) << password.toStdString();
        passwords.insert(password);
        lengths.insert(password.size());
        for (QChar c : password)
            characters.insert(c);
    }
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(passwords.size(), 1000);
    EXPECT_EQ(lengths.size(), 4);
    EXPECT_GT(characters.size(), 55) << "drawn from all 62 letters and digits";
}

TEST(ServerConfig, RconPasswordAccordingToPrefs)
{
    ServerConfig r;
    const QRegularExpression shape("^[a-zA-Z0-9]{5,8}$");
    r.setRconPasswordAccordingToPrefs("shown pw");
    EXPECT_TRUE(shape.match(r.rconPassword()).hasMatch()); // the built-in "random"

    UserDefaults::setValue(KZXRconPasswordGenerationTypeStringKey, "copy");
    r.setRconPasswordAccordingToPrefs("shown pw");
    EXPECT_EQ(r.rconPassword(), "shown pw");
    UserDefaults::setValue(KZXRconPasswordGenerationTypeStringKey, "empty");
    r.setRconPasswordAccordingToPrefs("shown pw");
    EXPECT_EQ(r.rconPassword(), "");
    for (const char* type : {"random", "Copy", "whatever"}) {
        UserDefaults::setValue(KZXRconPasswordGenerationTypeStringKey, type);
        r.setRconPasswordAccordingToPrefs("shown pw");
        EXPECT_TRUE(shape.match(r.rconPassword()).hasMatch()) << type;
    }
}

TEST(ServerConfig, CodingGivesEveryFieldBack)
{
    const ServerConfig source = unusualRecord();
    ServerConfig read = ServerConfig::blank();
    ASSERT_TRUE(decode(encoded(source), 5, read));
    EXPECT_EQ(read, source);
    EXPECT_EQ(read.optimizeNetwork(), 7777);

    ServerConfig plain;
    plain.setSaveAndStartButtonLabel(std::nullopt);
    ASSERT_TRUE(decode(encoded(plain), 5, read));
    EXPECT_EQ(read, plain);
}

TEST(ServerConfig, OlderVersionsReadWithTheirDefaults)
{
    const ServerConfig source = unusualRecord();
    ServerConfig v4 = ServerConfig::blank();
    ASSERT_TRUE(decode(encoded(source, 4), 4, v4));
    EXPECT_EQ(v4.defaultBotSkill(), 2);
    EXPECT_FALSE(v4.botGrapple());
    EXPECT_TRUE(v4.punkBusterEnabled());
    EXPECT_EQ(v4.modParameters(), source.modParameters());

    ServerConfig v1 = ServerConfig::blank();
    ASSERT_TRUE(decode(encoded(source, 1), 1, v1));
    EXPECT_EQ(v1.defaultBotSkill(), 2);
    EXPECT_FALSE(v1.botGrapple() || v1.hunkMegsUse() || v1.punkBusterEnabled());
    EXPECT_TRUE(v1.modParameters().isEmpty() && v1.moreGUIParameters().isEmpty());
    // The items every version holds come back unchanged.
    ServerConfig expected = source;
    expected.setHunkMegsUse(false);
    expected.setModParameters({});
    expected.setMoreGUIParameters({});
    expected.setPunkBusterEnabled(false);
    expected.setDefaultBotSkill(2);
    expected.setBotGrapple(false);
    EXPECT_EQ(v1, expected);

    EXPECT_FALSE(decode(encoded(source), 6, v1));
    EXPECT_FALSE(decode(encoded(source), 0, v1));
}

TEST(ServerConfig, FlagItemsCarryTheFlagInTheHighByte)
{
    ServerConfig r;
    r.setConfigName("");
    r.setModName("");
    r.setAllowDownloads(false);
    r.setAllowVoting(true);
    r.setAutoJoinTeams(true);
    QByteArray bytes = encoded(r);
    // Two empty strings (tag and length each) come before the first flag.
    EXPECT_EQ(bytes.mid(10, 6), QByteArray::fromHex("000101010100"));

    // The low byte is not read: clearing the neighbours' copies changes nothing.
    bytes[11] = 0;
    bytes[13] = 0;
    ServerConfig read = ServerConfig::blank();
    ASSERT_TRUE(decode(bytes, 5, read));
    EXPECT_EQ(read, r);
}

TEST(ServerConfig, ShortStreamsLeaveTheRecordUntouched)
{
    const QByteArray bytes = encoded(unusualRecord());
    const ServerConfig untouched = ServerConfig::blank();
    for (qsizetype length = 0; length < bytes.size(); ++length) {
        ServerConfig record = untouched;
        QDataStream in(bytes.left(length));
        ASSERT_FALSE(ServerConfig::initWithCoder(in, 5, record)) << length;
        ASSERT_EQ(record, untouched) << length;
    }
}
