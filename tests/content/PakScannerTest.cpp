#include "content/PakScanner.h"
#include "config/CommonData.h"
#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"
#include "support/Pk3Builder.h"
#include "support/RecordingScanInteraction.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// Writes empty databases, as the parsers would, and remembers what it was asked to build.
struct RecordingBuilder : ModDatabaseBuilder
{
    void makePlistFromArena(const QString& mod, const QString& dataDir) override
    {
        arenas.append(mod);
        write(dataDir + "/VOArenas.plist");
    }
    void makePlistFromBots(const QString& mod, const QString& dataDir) override
    {
        bots.append(mod);
        write(dataDir + "/VOBots.plist");
    }
    static void write(const QString& path)
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write("(\n)\n");
    }
    QStringList arenas;
    QStringList bots;
};

// Fails, as a build under a memory limit would, for the mods it is told.
struct FailingBuilder : RecordingBuilder
{
    void makePlistFromArena(const QString& mod, const QString& dataDir) override
    {
        if (failing.contains(mod))
            throw std::bad_alloc();
        RecordingBuilder::makePlistFromArena(mod, dataDir);
    }
    void makePlistFromBots(const QString& mod, const QString& dataDir) override
    {
        if (failing.contains(mod))
            throw std::bad_alloc();
        RecordingBuilder::makePlistFromBots(mod, dataDir);
    }
    QStringList failing;
};

qint64 bytesBelow(const QString& dir)
{
    qint64 total = 0;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        total += it.fileInfo().size();
    }
    return total;
}

ino_t inodeOf(const QString& path)
{
    struct stat status = {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
}

bool touch(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}

class PakScannerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        root = TestEnvironment::makeScratchDir("game");
    }

    void makePak(const QString& relativePath, const QString& script = "scripts/arenas.txt")
    {
        ASSERT_TRUE(Pk3Builder()
                        .add(script, "{\nmap \"x\"\n}\n")
                        .add("levelshots/x.jpg", "jpg")
                        .write(root + "/" + relativePath));
    }

    PakScanner::Summary scan()
    {
        builder = RecordingBuilder();
        interaction = RecordingScanInteraction();
        PakScanner scanner(root, builder, interaction);
        scanner.checkAndExtractGamePaks();
        return scanner.summary();
    }

    static QString dataDir(const QString& mod)
    {
        return CommonData::appSupportQ3VXDir() + "/" + mod;
    }

    QString root;
    RecordingBuilder builder;
    RecordingScanInteraction interaction;
};

} // namespace

TEST_F(PakScannerTest, FirstRunExtractsAndBuildsEveryMod)
{
    makePak("baseq3/pak0.pk3");
    makePak("missionpack/sub/pak1.pk3");
    const PakScanner::Summary summary = scan();
    EXPECT_EQ(summary.modsFound, (QStringList{"baseq3", "missionpack"}));
    EXPECT_EQ(summary.modsExtracted, (QStringList{"baseq3", "missionpack"}));
    EXPECT_TRUE(interaction.notices.isEmpty());
    EXPECT_EQ(builder.arenas, (QStringList{"baseq3", "missionpack"}));
    EXPECT_EQ(builder.bots, (QStringList{"baseq3", "missionpack"}));
    EXPECT_TRUE(QFile::exists(dataDir("baseq3") + "/scripts/arenas.txt"));
    EXPECT_TRUE(QFile::exists(dataDir("missionpack") + "/levelshots/x.jpg"));
    EXPECT_EQ(PakScanner::paksInfo().value("missionpack").toMap().keys(),
              QStringList{"sub/pak1.pk3"});
    EXPECT_EQ(PakScanner::paksInfoVersion(), CommonData::applicationVersion());
    EXPECT_EQ(interaction.progressMade, 1);
    EXPECT_EQ(interaction.texts, QStringList{"Building map database ... please wait"});

    // Nothing changed: no extraction, no window, no build, and the settings file is not
    // rewritten (a rewrite makes a new file).
    const ino_t settingsFile = inodeOf(UserDefaults::settingsFilePath());
    ASSERT_NE(settingsFile, ino_t(0));
    const PakScanner::Summary again = scan();
    EXPECT_TRUE(again.modsExtracted.isEmpty());
    EXPECT_EQ(interaction.progressMade, 0);
    EXPECT_TRUE(builder.arenas.isEmpty());
    EXPECT_EQ(inodeOf(UserDefaults::settingsFilePath()), settingsFile);

    makePak("baseq3/pak1.pk3");
    scan();
    EXPECT_NE(inodeOf(UserDefaults::settingsFilePath()), settingsFile) << "the new pak is recorded";
    EXPECT_TRUE(PakScanner::paksInfo().value("baseq3").toMap().contains("pak1.pk3"));
}

TEST_F(PakScannerTest, AnOldRecordedVersionRebuildsEverythingAfterANotice)
{
    makePak("baseq3/pak0.pk3");
    scan();
    ASSERT_TRUE(touch(dataDir("baseq3") + "/marker"));
    PakScanner::setPaksInfoVersion("1.0.2");
    const PakScanner::Summary summary = scan();
    EXPECT_TRUE(summary.fullRebuild);
    ASSERT_EQ(interaction.notices.size(), 1);
    EXPECT_TRUE(interaction.notices.first().startsWith("Voranth now at version " +
                                                       CommonData::applicationVersion() + "!\n"));
    EXPECT_FALSE(QFile::exists(dataDir("baseq3") + "/marker"));
    EXPECT_EQ(summary.modsExtracted, QStringList{"baseq3"});

    for (const QString& version : {CommonData::applicationVersion(), QString("0.9")}) {
        PakScanner::setPaksInfoVersion(version);
        EXPECT_FALSE(scan().fullRebuild) << version.toStdString();
        EXPECT_TRUE(interaction.notices.isEmpty());
    }
    UserDefaults::removeValue(KZXPaksInfoVersion);
    EXPECT_TRUE(scan().fullRebuild) << "a record without a version";
}

TEST_F(PakScannerTest, OnlyTheModWithATouchedPakIsRebuilt)
{
    makePak("baseq3/pak0.pk3");
    makePak("cpma/pak1.pk3");
    scan();
    ASSERT_TRUE(touch(dataDir("cpma") + "/marker"));
    QFile pak(root + "/baseq3/pak0.pk3");
    ASSERT_TRUE(pak.open(QIODevice::ReadWrite));
    pak.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
    pak.close();
    EXPECT_EQ(scan().modsExtracted, QStringList{"baseq3"});
    EXPECT_TRUE(QFile::exists(dataDir("cpma") + "/marker"));
    EXPECT_EQ(builder.arenas, QStringList{"baseq3"});
}

TEST_F(PakScannerTest, AMissingBotDatabaseReExtractsWithoutRemoval)
{
    makePak("baseq3/pak0.pk3");
    scan();
    ASSERT_TRUE(touch(dataDir("baseq3") + "/marker"));
    QFile::remove(dataDir("baseq3") + "/VOBots.plist");
    EXPECT_EQ(scan().modsExtracted, QStringList{"baseq3"});
    EXPECT_TRUE(QFile::exists(dataDir("baseq3") + "/marker"));
    EXPECT_EQ(builder.arenas, QStringList{"baseq3"});
    EXPECT_EQ(builder.bots, QStringList{"baseq3"});
}

TEST_F(PakScannerTest, AnAddedPakIsAChangeARemovedOneIsNot)
{
    makePak("baseq3/pak0.pk3");
    makePak("baseq3/pak1.pk3");
    scan();
    QFile::remove(root + "/baseq3/pak1.pk3");
    EXPECT_TRUE(scan().modsExtracted.isEmpty());
    EXPECT_EQ(PakScanner::paksInfo().value("baseq3").toMap().keys(), QStringList{"pak0.pk3"});
    makePak("baseq3/zz.pk3");
    EXPECT_EQ(scan().modsExtracted, QStringList{"baseq3"});
}

TEST_F(PakScannerTest, OnlyDirectoriesWithPaksAreMods)
{
    makePak("baseq3/pak0.pk3");
    QDir().mkpath(root + "/empty/sub");
    makePak("upper/PAK1.PK3");
    QFile loose(root + "/loose.pk3");
    ASSERT_TRUE(loose.open(QIODevice::WriteOnly));
    loose.close();
    makePak("deep/a/b/c/maps.pk3");
    EXPECT_EQ(scan().modsFound, (QStringList{"baseq3", "deep"}));
}

TEST_F(PakScannerTest, HalfRucabIsCountedButNeverExtracted)
{
    for (int i = 0; i < 7; ++i)
        makePak(QString("baseq3/pak%1.pk3").arg(i));
    ASSERT_TRUE(Pk3Builder()
                    .add("scripts/rucab.arena", "{ map \"r\" }")
                    .write(root + "/baseq3/half-RUCAB.pk3"));
    const PakScanner::Summary summary = scan();
    EXPECT_EQ(summary.paksExtracted, 7);
    EXPECT_DOUBLE_EQ(interaction.delta, 10.0);
    ASSERT_EQ(interaction.steps.size(), 8);
    EXPECT_DOUBLE_EQ(interaction.steps.last(), 80.0);
    EXPECT_FALSE(QFile::exists(dataDir("baseq3") + "/scripts/rucab.arena"));
}

TEST_F(PakScannerTest, TheSupportDirectoryKeepsOnlyRecordedModsAndPlainFiles)
{
    makePak("baseq3/pak0.pk3");
    const QString support = CommonData::appSupportQ3VXDir();
    QDir().mkpath(support + "/gone-mod/scripts");
    QDir().mkpath(TestEnvironment::home() + "/elsewhere");
    QFile target(TestEnvironment::home() + "/elsewhere/keep");
    ASSERT_TRUE(target.open(QIODevice::WriteOnly));
    target.close();
    ASSERT_TRUE(QFile::link(TestEnvironment::home() + "/elsewhere", support + "/linked"));
    // The records of the running servers and the player history are the application's own.
    for (const QString& dir :
         {CommonData::appSupportServersDir(), CommonData::appSupportHistoryDir()})
        ASSERT_TRUE(QDir().mkpath(dir));
    for (const QString& name : {QString("ServerConfigs.kzvr"), QString("VOTerminal.term"),
                                QString("servers/0123abcd.plist"), QString("history/Alpha.hist")}) {
        QFile file(support + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    scan();
    EXPECT_FALSE(QFileInfo::exists(support + "/gone-mod"));
    EXPECT_FALSE(QFileInfo(support + "/linked").isSymLink());
    EXPECT_TRUE(QFile::exists(TestEnvironment::home() + "/elsewhere/keep"))
        << "a link, not its target";
    EXPECT_TRUE(QFile::exists(support + "/ServerConfigs.kzvr"));
    EXPECT_TRUE(QFile::exists(support + "/VOTerminal.term"));
    EXPECT_TRUE(QFile::exists(support + "/servers/0123abcd.plist"));
    EXPECT_TRUE(QFile::exists(support + "/history/Alpha.hist"));
    EXPECT_TRUE(QFileInfo(support + "/baseq3").isDir());
}

TEST_F(PakScannerTest, HostileArchivesNeverWriteOutsideTheDataDirectory)
{
    const QString outside = TestEnvironment::home() + "/outside";
    Pk3Builder hostile;
    hostile.add("scripts/../../../outside/escaped.txt", "x")
        .add("/tmp/voranth-absolute-escape/levelshots/abs.jpg", "x")
        .addSymlink("scripts/link.txt", TestEnvironment::home() + "/outside")
        .add("scripts/it's \"quoted\"; $(touch pwned).txt", "fine")
        .add("levelshots/big.jpg", QByteArray(3 * 1024 * 1024, 'x'))
        .add("scripts/ok.arena", "{ map \"ok\" }");
    ASSERT_TRUE(hostile.write(root + "/baseq3/pak0.pk3"));
    QFile truncated(root + "/baseq3/pak1.pk3");
    ASSERT_TRUE(truncated.open(QIODevice::WriteOnly));
    truncated.write(QByteArray("PK\x03\x04", 4) + QByteArray(100, '\x01'));
    truncated.close();
    makePak("baseq3/pak2.pk3", "scripts/after.arena");

    builder = RecordingBuilder();
    interaction = RecordingScanInteraction();
    PakScanner scanner(root, builder, interaction, PakExtractor(1024 * 1024));
    scanner.checkAndExtractGamePaks();
    const PakScanner::Summary& summary = scanner.summary();

    EXPECT_FALSE(QFileInfo::exists(outside + "/escaped.txt"));
    EXPECT_FALSE(QFileInfo::exists("/tmp/voranth-absolute-escape"));
    EXPECT_FALSE(QFileInfo(dataDir("baseq3") + "/scripts/link.txt").exists());
    EXPECT_FALSE(QFileInfo(dataDir("baseq3") + "/scripts/link.txt").isSymLink());
    EXPECT_FALSE(QFileInfo::exists(dataDir("baseq3") + "/levelshots/big.jpg"));
    EXPECT_FALSE(QFileInfo::exists(root + "/baseq3/pwned"));
    EXPECT_TRUE(
        QFileInfo::exists(dataDir("baseq3") + "/scripts/it's \"quoted\"; $(touch pwned).txt"));
    EXPECT_TRUE(QFileInfo::exists(dataDir("baseq3") + "/scripts/ok.arena"));
    EXPECT_TRUE(QFileInfo::exists(dataDir("baseq3") + "/scripts/after.arena"))
        << "later paks still count";
    EXPECT_EQ(summary.problems.size(), 4) << summary.problems.join('\n').toStdString();
    EXPECT_EQ(builder.arenas, QStringList{"baseq3"});
}

TEST_F(PakScannerTest, AModsScriptsAreBoundedAndAZipBombIsNotUnpacked)
{
    // Many large members that pack small: together they pass what a mod's scripts may add up
    // to, so only the first are extracted; a bomb of 64 MiB of zeros is not unpacked at all.
    Pk3Builder members;
    for (int i = 0; i < 16; ++i)
        members.add(QStringLiteral("scripts/m%1.arena").arg(i, 2, 10, QChar('0')),
                    QByteArray(300 * 1024, 'a'));
    members.add("scripts/bomb.txt", QByteArray(64 * 1024 * 1024, '\0'));
    ASSERT_TRUE(members.write(root + "/baseq3/pak0.pk3"));
    ASSERT_LT(QFileInfo(root + "/baseq3/pak0.pk3").size(), 1024 * 1024);
    makePak("missionpack/pak0.pk3");

    builder = RecordingBuilder();
    interaction = RecordingScanInteraction();
    PakScanner scanner(root, builder, interaction, PakExtractor(), 1024 * 1024);
    scanner.checkAndExtractGamePaks();
    const PakScanner::Summary& summary = scanner.summary();

    EXPECT_LE(bytesBelow(dataDir("baseq3") + "/scripts"), 1024 * 1024);
    EXPECT_TRUE(QFileInfo::exists(dataDir("baseq3") + "/scripts/m00.arena"));
    EXPECT_FALSE(QFileInfo::exists(dataDir("baseq3") + "/scripts/m15.arena"));
    EXPECT_FALSE(QFileInfo::exists(dataDir("baseq3") + "/scripts/bomb.txt"));
    EXPECT_EQ(summary.problems.size(), 16 - 3 + 1) << summary.problems.join('\n').toStdString();
    // The scan goes on: the other mod has its own allowance, and both get their databases.
    EXPECT_TRUE(QFileInfo::exists(dataDir("missionpack") + "/scripts/arenas.txt"));
    EXPECT_EQ(builder.arenas, (QStringList{"baseq3", "missionpack"}));
}

TEST_F(PakScannerTest, AFailedBuildLeavesAStateTheNextStartRecoversFrom)
{
    makePak("baseq3/pak0.pk3");
    makePak("hostile/pak0.pk3");
    scan();
    // A start was killed while it extracted the mod again: a part file is left behind and
    // the databases are missing.
    ASSERT_TRUE(touch(dataDir("hostile") + "/scripts/.voranth-extract-4242.part"));
    QFile::remove(dataDir("hostile") + "/VOArenas.plist");
    QFile::remove(dataDir("hostile") + "/VOBots.plist");

    FailingBuilder failing;
    failing.failing = QStringList{"hostile"};
    interaction = RecordingScanInteraction();
    PakScanner scanner(root, failing, interaction);
    scanner.checkAndExtractGamePaks();
    EXPECT_TRUE(failing.arenas.isEmpty());
    EXPECT_EQ(scanner.summary().modsExtracted, QStringList{"hostile"});
    EXPECT_FALSE(QFileInfo::exists(dataDir("hostile") + "/scripts/.voranth-extract-4242.part"));
    EXPECT_EQ(scanner.summary().problems.size(), 2) << scanner.summary().problems.join('\n').toStdString();
    // Empty databases in place of the failed ones.
    for (const char* file : {"/VOArenas.plist", "/VOBots.plist"}) {
        QFile database(dataDir("hostile") + file);
        ASSERT_TRUE(database.open(QIODevice::ReadOnly)) << file;
        EXPECT_EQ(database.readAll(), "(\n)\n");
    }

    // The next start does not build (and fail) again: nothing changed.
    FailingBuilder again;
    again.failing = QStringList{"hostile"};
    PakScanner next(root, again, interaction);
    next.checkAndExtractGamePaks();
    next.rebuildArenasPlistFilesIfNeeded();
    EXPECT_TRUE(again.arenas.isEmpty());
    EXPECT_TRUE(next.summary().problems.isEmpty());
    EXPECT_TRUE(next.summary().modsExtracted.isEmpty());
}

TEST_F(PakScannerTest, GameDirectoriesWithShellCharactersWork)
{
    root = TestEnvironment::makeScratchDir("it's a \"game\"; $(touch pwned)");
    makePak("baseq3/pak 0; 'x'.pk3");
    EXPECT_EQ(scan().modsExtracted, QStringList{"baseq3"});
    EXPECT_TRUE(QFile::exists(dataDir("baseq3") + "/scripts/arenas.txt"));
    EXPECT_FALSE(QFileInfo::exists(root + "/pwned"));
}

TEST(PakExtractor, SelectsMembersAsUnzipPatternsDo)
{
    for (const char* name :
         {"scripts/arenas.txt", "scripts/sub/x.txt", "scripts/a.arena", "levelshots/q3dm1.jpg",
          "levelshots/deep/x.y.tga", "gameinfo.txt", "maps/q3dm1.cfg", "maps/x.mapinfo"})
        EXPECT_TRUE(PakExtractor::isSelected(name)) << name;
    for (const char* name : {"Scripts/arenas.txt", "scripts/arenas.TXT", "levelshots/noext",
                             "maps/q3dm1.bsp", "sub/gameinfo.txt", "scripts/x.arenas"})
        EXPECT_FALSE(PakExtractor::isSelected(name)) << name;
}

TEST(PakExtractor, AnExistingFileIsReplacedOnlyByANewerMember)
{
    const QString dir = TestEnvironment::makeScratchDir("extract");
    const QDateTime old = QDateTime::currentDateTime().addDays(-10);
    ASSERT_TRUE(Pk3Builder().add("scripts/a.txt", "old", old).write(dir + "/old.pk3"));
    ASSERT_TRUE(Pk3Builder().add("scripts/a.txt", "new", old.addDays(5)).write(dir + "/new.pk3"));
    ASSERT_TRUE(
        Pk3Builder().add("scripts/a.txt", "older", old.addDays(-5)).write(dir + "/older.pk3"));
    PakExtractor extractor;
    EXPECT_EQ(extractor.extract(dir + "/old.pk3", dir + "/out").membersWritten, 1);
    EXPECT_EQ(extractor.extract(dir + "/new.pk3", dir + "/out").membersWritten, 1);
    const PakExtractor::Report older = extractor.extract(dir + "/older.pk3", dir + "/out");
    EXPECT_EQ(older.membersWritten, 0);
    EXPECT_EQ(older.membersNotNewer, 1);
    QFile result(dir + "/out/scripts/a.txt");
    ASSERT_TRUE(result.open(QIODevice::ReadOnly));
    EXPECT_EQ(result.readAll(), "new");
    EXPECT_EQ(QDir(dir + "/out/scripts").entryList(QDir::Files | QDir::Hidden),
              QStringList{"a.txt"})
        << "no half-written file stays behind";
    EXPECT_TRUE(QFileInfo(result).permissions() & QFileDevice::ReadOther);
}
