#include "server/ServiceUnit.h"
#include "server/LogTail.h"
#include "server/ServerLog.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

ServiceUnit::Definition definitionIn(const QString& dir)
{
    ServiceUnit::Definition definition;
    definition.name = ServiceUnit::nameFor("VO_My_FFA.config");
    definition.description = "Voranth server: My FFA 100%";
    definition.workingDirectory = dir;
    definition.program = "/bin/sleep";
    definition.arguments = {"+set", "fs_game", "\"a$b\"", "+exec", "\"VO_My_FFA.config\""};
    definition.logFile = dir + "/VO_My_FFA.log";
    definition.environment = {"HOME=" + dir, "VORANTH_SERVER_TOKEN=00ff"};
    return definition;
}

void append(const QString& path, const QByteArray& text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(text);
}

} // namespace

TEST(ServiceUnit, NamesFollowSystemdEscapingAndOnlyOursAreTakenForOurs)
{
    EXPECT_EQ(ServiceUnit::nameFor("VO_My_FFA.config"), "voranth-VO_My_FFA.service");
    EXPECT_EQ(ServiceUnit::escaped("a-b/c.d"), "a\\x2db-c.d");
    EXPECT_EQ(ServiceUnit::escaped(".hidden"), "\\x2ehidden");
    EXPECT_EQ(ServiceUnit::escaped("Ä b"), "\\xc3\\x84\\x20b");
    EXPECT_TRUE(ServiceUnit::isVoranthUnit("voranth-VO_x.service"));
    for (const char* other :
         {"voranth-.service", "sshd.service", "voranth-x.timer", "voranth-a/b.service"})
        EXPECT_FALSE(ServiceUnit::isVoranthUnit(other)) << other;
}

TEST(ServiceUnit, ATransientStartCarriesTheUnitsSettingsAndTheCommandAsIs)
{
    const QStringList arguments = ServiceUnit::transientArguments(definitionIn("/games/q3"));
    for (const char* setting :
         {"StartLimitIntervalSec=120", "StartLimitBurst=5", "Restart=on-failure", "RestartSec=2",
          "TimeoutStopSec=10", "WorkingDirectory=/games/q3",
          "StandardOutput=append:/games/q3/VO_My_FFA.log",
          "Description=Voranth server: My FFA 100%"})
        EXPECT_TRUE(arguments.contains(setting)) << setting;
    EXPECT_TRUE(arguments.contains("--setenv=VORANTH_SERVER_TOKEN=00ff"));
    EXPECT_TRUE(arguments.contains("--unit=voranth-VO_My_FFA.service"));
    // The command after "--", each word on its own; the manager would expand "$b".
    const QStringList command = arguments.mid(arguments.indexOf("--") + 1);
    EXPECT_EQ(command, QStringList({"/bin/sleep", "+set", "fs_game", "\"a$$b\"", "+exec",
                                    "\"VO_My_FFA.config\""}));
}

TEST(ServiceUnit, TheUnitFileIsAcceptedBySystemdAnalyze)
{
    const QString dir = TestEnvironment::makeScratchDir("units");
    const ServiceUnit::Definition definition = definitionIn(dir);
    const QString path = dir + "/" + definition.name;
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(ServiceUnit::unitFileText(definition).toUtf8());
    file.close();
    const QString text = ServiceUnit::unitFileText(definition);
    EXPECT_TRUE(text.contains("Description=Voranth server: My FFA 100%%\n"));
    EXPECT_TRUE(text.contains("ExecStart=\"/bin/sleep\" \"+set\" \"fs_game\" \"\\\"a$$b\\\"\""));
    EXPECT_TRUE(text.contains("[Install]\nWantedBy=default.target\n"));

    QProcess verify;
    verify.start("systemd-analyze", {"verify", path});
    ASSERT_TRUE(verify.waitForFinished(60000));
    const QString said =
        QString::fromUtf8(verify.readAllStandardError() + verify.readAllStandardOutput());
    EXPECT_EQ(verify.exitCode(), 0) << said.toStdString();
    EXPECT_FALSE(said.contains(definition.name)) << said.toStdString();
}

TEST(ServerLog, EachRunBeginsANewPrivateLogAndKeepsFiveBefore)
{
    for (int run = 1; run <= 8; ++run) {
        const Result<QString> log = ServerLog::beginRun("VO_A.config");
        ASSERT_TRUE(log.ok()) << log.error.toStdString();
        EXPECT_EQ(log.value, ServerLog::pathFor("VO_A.config"));
        EXPECT_EQ(QFileInfo(log.value).size(), 0);
        EXPECT_EQ(QFileInfo(log.value).permissions() & 0x0077, 0);
        append(log.value, "run " + QByteArray::number(run) + "\n");
    }
    for (int earlier = 1; earlier <= ServerLog::keptRuns; ++earlier) {
        QFile file(ServerLog::earlierRunPath("VO_A.config", earlier));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << earlier;
        EXPECT_EQ(file.readAll(), "run " + QByteArray::number(8 - earlier) + "\n");
    }
    EXPECT_FALSE(
        QFileInfo::exists(ServerLog::earlierRunPath("VO_A.config", ServerLog::keptRuns + 1)));
    EXPECT_EQ(
        QDir(QFileInfo(ServerLog::pathFor("VO_A.config")).path()).entryList(QDir::Files).size(),
        ServerLog::keptRuns + 1);

    // A link left at the log's place is replaced, never written through.
    const QString target = TestEnvironment::makeScratchDir("elsewhere") + "/target";
    append(target, "mine\n");
    QFile::remove(ServerLog::pathFor("VO_B.config"));
    ASSERT_TRUE(QFile::link(target, ServerLog::pathFor("VO_B.config")));
    ASSERT_TRUE(ServerLog::beginRun("VO_B.config").ok());
    EXPECT_FALSE(QFileInfo(ServerLog::pathFor("VO_B.config")).isSymLink());
    QFile kept(target);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "mine\n");
}

TEST(ServerLog, TheLastLinesComeFromTheEndAndATailReadsOnlyWhatIsNew)
{
    const QString path = TestEnvironment::makeScratchDir("log") + "/server.log";
    QByteArray text;
    for (int line = 1; line <= 50000; ++line)
        text += "line " + QByteArray::number(line) + "\n";
    append(path, text);
    EXPECT_EQ(ServerLog::lastLines(path, 3),
              QStringList({"line 49998", "line 49999", "line 50000"}));
    EXPECT_EQ(ServerLog::lastLines(path, 2, QByteArray("line 1\nline 2\nline 3\n").size()),
              QStringList({"line 2", "line 3"}));
    EXPECT_TRUE(ServerLog::lastLines(path + ".none", 3).isEmpty());

    LogTail tail(path);
    EXPECT_EQ(tail.skipToEnd(), text.size());
    EXPECT_TRUE(tail.readNewLines().isEmpty());
    append(path, "new one\nhalf");
    EXPECT_EQ(tail.readNewLines(), QStringList({"new one"}));
    append(path, " done\n");
    EXPECT_EQ(tail.readNewLines(), QStringList({"half done"}));
    // A new run's log at the same path is read from its start.
    QFile::remove(path);
    append(path, "fresh\n");
    bool madeAnew = false;
    EXPECT_EQ(tail.readNewLines(&madeAnew), QStringList({"fresh"}));
    EXPECT_TRUE(madeAnew);
}
