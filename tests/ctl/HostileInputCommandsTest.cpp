#include "config/CommonData.h"
#include "config/ConfigStore.h"
#include "server/ConfigFiles.h"
#include "support/Pk3Builder.h"
#include "support/ProgramRunner.h"
#include "support/StoreSeeds.h"
#include "support/TestEnvironment.h"
#include "server/ConsoleModel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

ProgramResult ctl(const QStringList& args)
{
    return ProgramRunner::voranthctl(args);
}

using StoreSeeds::seedNames;
using StoreSeeds::writeBaseGameDatabase;

QByteArray storeBytes()
{
    QFile file(ConfigStore::storePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

mode_t modeOf(const QString& path)
{
    struct stat info = {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

} // namespace

TEST(VoranthctlHostileInput, NewInOneSecondGivesEachItsOwnPasswordInPrivateFiles)
{
    writeBaseGameDatabase();
    for (const char* name : {"one", "two", "three"})
        ASSERT_EQ(ctl({"new", name, "--game-type", "Free For All"}).exitCode, 0);
    ConfigStore store;
    store.load();
    const QSet<QString> passwords{store.find("one")->rconPassword(),
                                  store.find("two")->rconPassword(),
                                  store.find("three")->rconPassword()};
    EXPECT_EQ(passwords.size(), 3) << "separate processes, one second: still three passwords";
    // ls -l: -rw------- for the store, drwx------ for the data directory.
    EXPECT_EQ(modeOf(ConfigStore::storePath()), 0600u);
    EXPECT_EQ(modeOf(CommonData::appSupportQ3VXDir()), 0700u);
}

TEST(VoranthctlHostileInput, NamesTheServerCannotRunOrThatShareAFileAreRefused)
{
    writeBaseGameDatabase();
    seedNames({"a_b", "Keep"});
    const QByteArray before = storeBytes();
    const QString friday = "Friday Night Capture The Flag Server For Friends And Family";
    const ProgramResult tooLong = ctl({"new", friday, "--game-type", "Free For All"});
    EXPECT_EQ(tooLong.exitCode, 1);
    EXPECT_TRUE(tooLong.err.contains("at most 63 characters")) << tooLong.err.toStdString();
    EXPECT_EQ(tooLong.err.count('\n'), 1) << "one line";
    const ProgramResult shared = ctl({"new", "a b", "--game-type", "Free For All"});
    EXPECT_EQ(shared.exitCode, 1);
    EXPECT_TRUE(shared.err.contains("VO_a_b.config")) << shared.err.toStdString();
    EXPECT_EQ(ctl({"rename", "Keep", "a/b"}).exitCode, 1);
    EXPECT_EQ(ctl({"rename", "Keep", friday}).exitCode, 1);
    EXPECT_EQ(storeBytes(), before) << "nothing changed";

    // A copy skips the numbered names whose file another configuration has.
    seedNames({"Keep_2"});
    const ProgramResult copy = ctl({"duplicate", "Keep"});
    EXPECT_EQ(copy.exitCode, 0) << copy.err.toStdString();
    EXPECT_EQ(copy.out, "Keep 3\n");
    EXPECT_EQ(ctl({"rename", "a_b", "a b"}).exitCode, 0) << "its own file may stay its file";
}

TEST(VoranthctlHostileInput, AnAddressMustBeOne)
{
    seedNames({"Addr"});
    const QByteArray before = storeBytes();
    for (const QString& address :
         {QStringLiteral("127.0.0.1\necho\tINJECTED"), QStringLiteral("127.0.0.1 +echo X")}) {
        const ProgramResult refused = ctl({"set-field", "Addr", "netIP", address});
        EXPECT_EQ(refused.exitCode, 1);
        EXPECT_TRUE(refused.err.contains("neither a host name nor an IP address"))
            << refused.err.toStdString();
        EXPECT_EQ(refused.err.count('\n'), 1) << refused.err.toStdString();
    }
    EXPECT_EQ(storeBytes(), before);
    EXPECT_EQ(ctl({"set-field", "Addr", "netIP", "10.0.0.2"}).exitCode, 0);
    EXPECT_EQ(ctl({"set-field", "Addr", "netIP", "server.example.org"}).exitCode, 0);
}

TEST(VoranthctlHostileInput, NamesShowControlCharactersAsEscapes)
{
    const QString name = QString("two\nlines\x1b[31mred");
    seedNames({name, "plain"});
    const ProgramResult configs = ctl({"configs"});
    ASSERT_EQ(configs.exitCode, 0);
    EXPECT_EQ(configs.out.count('\n'), 2) << configs.out.toStdString();
    EXPECT_TRUE(configs.out.contains("two\\nlines\\e[31mred")) << configs.out.toStdString();
    EXPECT_FALSE(configs.out.contains('\x1b'));
    const ProgramResult show = ctl({"show", "two\nlines"});
    EXPECT_EQ(show.exitCode, 1);
    EXPECT_TRUE(show.err.contains("'two\\nlines'")) << show.err.toStdString();
}

TEST(VoranthctlHostileInput, TheScanCountsWhatTheDatabasesList)
{
    const QString game = TestEnvironment::makeScratchDir("emptyblocks");
    QByteArray bots = "{\nname\tSarge\n}\n";
    QByteArray arenas = "{\nmap \"q3dm1\"\n}\n";
    for (int i = 0; i < 30000; ++i) {
        bots += "{\n}\n";
        arenas += "{\nlongname \"no map\"\n}\n";
    }
    ASSERT_TRUE(Pk3Builder()
                    .add("scripts/bots.txt", bots)
                    .add("scripts/arenas.txt", arenas)
                    .write(game + "/baseq3/pak0.pk3"));
    const ProgramResult scan = ctl({"scan", "--game-dir", game});
    ASSERT_EQ(scan.exitCode, 0) << scan.err.toStdString();
    EXPECT_TRUE(scan.out.contains(QRegularExpression("baseq3 +1 +1 +yes\n"))) << scan.out.toStdString();
}

TEST(VoranthctlHostileInput, ADataDirectoryThatCannotBeMadeStopsWithAMessage)
{
    // A link to a volume that is not mounted where the data home goes.
    const QString dataHome = QFileInfo(CommonData::appSupportQ3VXDir()).path();
    QDir(dataHome).removeRecursively();
    QDir().mkpath(QFileInfo(dataHome).path());
    const QString volume = TestEnvironment::home() + "/unmounted/share";
    ASSERT_TRUE(QFile::link(volume, dataHome));
    const ProgramResult configs = ctl({"configs"});
    EXPECT_EQ(configs.exitCode, 1);
    EXPECT_TRUE(configs.err.contains(volume)) << configs.err.toStdString();
    EXPECT_TRUE(configs.err.contains("Nothing was changed")) << configs.err.toStdString();
    EXPECT_TRUE(QFileInfo(dataHome).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(TestEnvironment::home() + "/unmounted"));
    EXPECT_EQ(ctl({"configs", "--help"}).exitCode, 0) << "help needs no data directory";
    QFile::remove(dataHome);
}

TEST(VoranthctlHostileInput, QuotesSemicolonsLineBreaksAndCommandsStayValues)
{
    writeBaseGameDatabase();
    const QString marker = TestEnvironment::home() + "/pwned";
    const QString name = "it's \"x\"; $(touch pwned) `touch pwned`";
    ASSERT_EQ(ctl({"new", name, "--game-type", "Free For All"}).exitCode, 0);
    const QStringList values = {"a\"; quit; \"b", "line\nquit\r\nkillserver", "$(touch " + marker + ")",
                                "x /* quit", "x // quit"};
    for (const char* field : {"serverName", "welcomeText", "privateClientPasswd", "rconPassword"})
        for (const QString& value : values)
            ASSERT_EQ(ctl({"set-field", name, field, value}).exitCode, 0) << field;
    ASSERT_EQ(ctl({"add-maps", name, "q3dm17"}).exitCode, 0);

    const ProgramResult show = ctl({"show", name});
    ASSERT_EQ(show.exitCode, 0) << show.err.toStdString();
    const QList<QStringList> commands = ConsoleModel::commands(show.out.toLatin1());
    // One command per line of the file, none of them one that was typed as a value.
    const qsizetype commentLines =
        show.out.count(QRegularExpression("^//", QRegularExpression::MultilineOption));
    EXPECT_EQ(commands.size(), show.out.count('\n') - commentLines) << show.out.toStdString();
    for (const QStringList& command : commands) {
        EXPECT_NE(command.first(), "quit") << show.out.toStdString();
        EXPECT_NE(command.first(), "killserver");
    }
    EXPECT_FALSE(QFileInfo::exists(marker));
    EXPECT_FALSE(QFileInfo::exists("pwned"));
}
