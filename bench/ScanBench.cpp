// The first start of Voranth on a game installation: the pak scan, the extraction of
// scripts, level shots and game info, and the map and bot databases (the creation of the
// first map library), on (a) the OpenArena demo game and (b) a generated large installation.
// Side by side, the same work done the old way: six "unzip -uoq" commands per pak through
// the shell into a separate data directory, then the same database build. Then the cost of
// a second start with nothing changed.
//
//   build/bench/ScanBench [runs]     (Voranth's first start: best of runs, default 3)
//
// Everything happens below a temporary directory that stands in for the home directory.

#include "bench/support/BenchEnvironment.h"
#include "bench/support/BenchScanInteraction.h"
#include "bench/support/LevelShotPicture.h"
#include "bench/support/PakWriter.h"
#include "bench/support/Stopwatch.h"
#include "config/CommonData.h"
#include "content/ArenaScriptParser.h"
#include "content/BotScriptParser.h"
#include "content/ContentScan.h"
#include "content/MapLibrary.h"
#include "content/PakExtractor.h"
#include "content/PakScanner.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

// The generated installation.
constexpr int kMods = 10;
constexpr int kPaksPerMod = 40;
constexpr int kMapsPerMod = 100; // 1000 maps in all
constexpr int kTexturesPerMap = 20;
constexpr int kBotsPerMod = 20;

const QString unzipTool = QStringLiteral("/usr/bin/unzip");
const QString skippedPak = QStringLiteral("half-RUCAB.pk3");

// The extraction commands as the old pipeline ran them, filled in order with prefix, tool,
// game directory, mod, pak path, data directory and suffix.
const QStringList& referenceCommandFormats()
{
    static const QStringList formats = {
        QStringLiteral("%@%@ -uoq '%@/%@/%@' scripts/*.txt -d '%@'%@  2>/dev/null"),
        QStringLiteral("%@%@ -uoq '%@/%@/%@' scripts/*.arena -d '%@'%@  2>/dev/null"),
        QStringLiteral("%@%@ -uoq '%@/%@/%@' levelshots/*.* -d '%@'%@  2>/dev/null"),
        QStringLiteral("%@%@ -uoq '%@/%@/%@' gameinfo.txt -d '%@'%@ 2>/dev/null"),
        QStringLiteral("%@%@ -uoq '%@/%@/%@' maps/*.cfg -d '%@'%@  2>/dev/null"),
        QStringLiteral("%@%@ -uoq '%@/%@/%@' maps/*.mapinfo -d '%@'%@  2>/dev/null")};
    return formats;
}

QString fillFormat(QString format, const QStringList& values)
{
    qsizetype from = 0;
    for (const QString& value : values) {
        const qsizetype at = format.indexOf(QStringLiteral("%@"), from);
        if (at < 0)
            break;
        format.replace(at, 2, value);
        from = at + value.size();
    }
    return format;
}

// --- The generated installation ------------------------------------------------------------

QString modName(int mod)
{
    return mod == 0 ? QStringLiteral("baseq3") : QStringLiteral("benchmod%1").arg(mod);
}

QString mapName(int mod, int map)
{
    return QStringLiteral("bench%1").arg(mod * kMapsPerMod + map, 4, 10, QLatin1Char('0'));
}

QByteArray arenaBlock(const QString& map, int number)
{
    return "{\nmap\t\t\"" + map.toLatin1() + "\"\nlongname\t\"Bench Arena " +
           QByteArray::number(number) + "\"\nfraglimit\t" + QByteArray::number(10 + number % 20) +
           "\ntimelimit\t15\ntype\t\t\"ffa tourney team" + (number % 3 == 0 ? " ctf" : "") +
           "\"\nbots\t\t\"sarge grunt\"\n}\n";
}

QByteArray botsScript(int mod, int count)
{
    QByteArray bots = "// bots of mod " + QByteArray::number(mod) + "\n";
    for (int i = 0; i < count; ++i) {
        bots += "{\nname\t\tBot" + QByteArray::number(i) + "\nfunname\t\t^" +
                QByteArray::number(i % 8) + "Bot" + QByteArray::number(i) +
                "\nmodel\t\tsarge\naifile\t\tbots/bot" + QByteArray::number(i) + "_c.c\n}\n";
    }
    return bots;
}

QByteArray gameInfo()
{
    return "gametypes\n{\n{ \"Free For All\" 0 }\n{ \"Tournament\" 1 }\n"
           "{ \"Team Deathmatch\" 3 }\n{ \"Capture the Flag\" 4 }\n}\n";
}

// Stands in for a compiled map: half noise, half slowly changing bytes, so that it deflates
// about as poorly as real map data.
QByteArray mapBytes(QRandomGenerator& random, int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; i += 4) {
        const quint32 word = random.generate();
        for (int k = 0; k < 4 && i + k < size; ++k)
            bytes[i + k] = char((k < 2 ? word >> (8 * k) : i / 64) & 0xff);
    }
    return bytes;
}

// Ten mods of forty paks; each map in a pak of its own mod with its bsp, level shot, arena
// script, textures and, for some, a config. The first pak of a mod holds its bots and game
// info; the last pak brings a newer bots script, as patches do.
struct Generated
{
    int paks = 0;
    int maps = 0;
};

Generated generateInstallation(const QString& gameDir)
{
    const QByteArray levelShot = LevelShotPicture::jpeg(256, 192);
    const QByteArray texture = LevelShotPicture::jpeg(64, 64, 5);
    QRandomGenerator random(42);
    const QDateTime epoch(QDate(2008, 8, 8), QTime(12, 0), Qt::UTC);
    Generated made;
    for (int mod = 0; mod < kMods; ++mod) {
        const QString modDir = gameDir + QLatin1Char('/') + modName(mod);
        QDir().mkpath(modDir);
        for (int pak = 0; pak < kPaksPerMod; ++pak) {
            const QDateTime time = epoch.addSecs(3600 * pak);
            PakWriter writer(modDir + QStringLiteral("/pak%1.pk3").arg(pak));
            bool ok = writer.isOpen();
            if (pak == 0) {
                ok = ok && writer.add(QStringLiteral("scripts/bots.txt"),
                                      botsScript(mod, kBotsPerMod), time);
                ok = ok && writer.add(QStringLiteral("scripts/common.shader"), "// shaders", time);
                if (mod != 0)
                    ok = ok && writer.add(QStringLiteral("gameinfo.txt"), gameInfo(), time);
            }
            if (pak == kPaksPerMod - 1)
                ok = ok && writer.add(QStringLiteral("scripts/bots.txt"),
                                      botsScript(mod, kBotsPerMod + 2), time);
            for (int map = pak; map < kMapsPerMod; map += kPaksPerMod) {
                const QString name = mapName(mod, map);
                const int number = mod * kMapsPerMod + map;
                // Archives made on other systems do not care about letter case.
                const QString shot = number % 7 == 0 ? name.toUpper() : name;
                ok = ok && writer.add("maps/" + name + ".bsp", mapBytes(random, 16384), time);
                ok = ok && writer.add("levelshots/" + shot + ".jpg", levelShot, time);
                ok = ok && writer.add("scripts/" + name + ".arena", arenaBlock(name, number), time);
                if (number % 4 == 0)
                    ok = ok && writer.add("maps/" + name + ".cfg", QByteArray(), time);
                for (int t = 0; t < kTexturesPerMap; ++t)
                    ok = ok && writer.add(QStringLiteral("textures/%1/tex%2.jpg").arg(name).arg(t),
                                          texture, time);
                ++made.maps;
            }
            if (!ok || !writer.close())
                qFatal("cannot write the paks of %s", qPrintable(modDir));
            ++made.paks;
        }
    }
    return made;
}

// --- Walking an installation ----------------------------------------------------------------

struct Installation
{
    QString label;
    QString gameDir;
    QStringList mods;
    QList<QStringList> paks; // per mod, relative to its directory
    int pakCount = 0;
};

Installation describe(const QString& label, const QString& gameDir)
{
    Installation installation{label, gameDir, {}, {}, 0};
    const QDir root(gameDir);
    for (const QString& entry : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (!PakScanner::isModDirectory(root.filePath(entry)))
            continue;
        installation.mods.append(entry);
        installation.paks.append(PakScanner::paksOfMod(root.filePath(entry)));
        installation.pakCount += int(installation.paks.last().size());
    }
    return installation;
}

QString pakPath(const Installation& installation, int mod, const QString& pak)
{
    return installation.gameDir + QLatin1Char('/') + installation.mods[mod] + QLatin1Char('/') +
           pak;
}

// Every extracted and built file below dir, by relative path.
QMap<QString, QByteArray> filesBelow(const QString& dir)
{
    QMap<QString, QByteArray> files;
    const QDir base(dir);
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        QFile file(it.filePath());
        if (file.open(QIODevice::ReadOnly))
            files.insert(base.relativeFilePath(it.filePath()), file.readAll());
    }
    return files;
}

// --- The three ways of doing the work --------------------------------------------------------

void buildDatabases(const Installation& installation, const QString& dataRoot)
{
    ArenaScriptParser parser;
    for (const QString& mod : installation.mods) {
        const QString dataDir = dataRoot + QLatin1Char('/') + mod;
        QDir().mkpath(dataDir);
        parser.makePlistFromArena(mod, dataDir);
        BotScriptParser::makePlistFromBots(mod, dataDir);
    }
}

struct ReferenceCost
{
    Stopwatch::Cost extraction;
    Stopwatch::Cost databases;
    int commands = 0;
};

// The old pipeline: each pak through six unzip processes started by the shell.
ReferenceCost runReference(const Installation& installation, const QString& dataRoot)
{
    ReferenceCost cost;
    Stopwatch watch;
    for (int mod = 0; mod < installation.mods.size(); ++mod) {
        const QString dataDir = dataRoot + QLatin1Char('/') + installation.mods[mod];
        QDir().mkpath(dataDir);
        for (const QString& pak : installation.paks[mod]) {
            if (pak == skippedPak)
                continue;
            for (const QString& format : referenceCommandFormats()) {
                const QString command =
                    fillFormat(format, {QString(), unzipTool, installation.gameDir,
                                        installation.mods[mod], pak, dataDir, QString()});
                // The exit status was never looked at; "no file matched" is the usual one.
                [[maybe_unused]] const int status = std::system(command.toLocal8Bit().constData());
                ++cost.commands;
            }
        }
    }
    cost.extraction = watch.elapsed();
    watch.restart();
    buildDatabases(installation, dataRoot);
    cost.databases = watch.elapsed();
    return cost;
}

Stopwatch::Cost extractInProcess(const Installation& installation, const QString& dataRoot)
{
    const PakExtractor extractor;
    Stopwatch watch;
    for (int mod = 0; mod < installation.mods.size(); ++mod) {
        const QString dataDir = dataRoot + QLatin1Char('/') + installation.mods[mod];
        QDir().mkpath(dataDir);
        for (const QString& pak : installation.paks[mod])
            if (pak != skippedPak)
                extractor.extract(pakPath(installation, mod, pak), dataDir);
    }
    return watch.elapsed();
}

struct StartResult
{
    Stopwatch::Cost cost;
    int modsExtracted = 0;
    int paksExtracted = 0;
    int maps = 0;
};

// One start of the application as far as the map database goes: the scan and the first
// map library.
StartResult startVoranth(const QString& gameRoot)
{
    BenchScanInteraction interaction;
    Stopwatch watch;
    ContentScan scan(gameRoot, interaction);
    scan.run();
    const MapLibrary library(GamePaths(gameRoot, CommonData::qGameDefaultModDir()),
                             scan.progress());
    scan.closeProgress();
    StartResult result;
    result.cost = watch.elapsed();
    result.modsExtracted = int(scan.summary().modsExtracted.size());
    result.paksExtracted = scan.summary().paksExtracted;
    result.maps = int(library.mapLibraryKeys().size());
    return result;
}

// Forgets every earlier scan, as on a machine where Voranth never ran. The old data is moved
// aside rather than deleted: the file system slows down the creation of files for a while
// after thousands were deleted, which would burden the next measurement.
void forgetEarlierScans(const QString& aside)
{
    static int moved = 0;
    QDir().mkpath(aside);
    QDir().rename(CommonData::appSupportQ3VXDir(),
                  aside + QStringLiteral("/support-%1").arg(++moved));
    PakScanner::deletePaksInfo();
}

// Reads every pak once, so that no side pays for a cold disk cache.
void warmUp(const Installation& installation)
{
    for (int mod = 0; mod < installation.mods.size(); ++mod) {
        for (const QString& pak : installation.paks[mod]) {
            QFile file(pakPath(installation, mod, pak));
            if (!file.open(QIODevice::ReadOnly))
                continue;
            char buffer[1 << 16];
            while (file.read(buffer, sizeof buffer) > 0) {
            }
        }
    }
}

void compareResults(const QString& voranthDir, const QString& referenceDir)
{
    const QMap<QString, QByteArray> ours = filesBelow(voranthDir);
    const QMap<QString, QByteArray> theirs = filesBelow(referenceDir);
    QStringList differences;
    for (auto it = theirs.cbegin(); it != theirs.cend(); ++it)
        if (!ours.contains(it.key()) || ours.value(it.key()) != it.value())
            differences.append(it.key());
    for (auto it = ours.cbegin(); it != ours.cend(); ++it)
        if (!theirs.contains(it.key()))
            differences.append(it.key() + QStringLiteral(" (Voranth only)"));
    if (differences.isEmpty()) {
        std::printf("  same files and databases as the reference: yes (%lld files)\n",
                    qlonglong(theirs.size()));
        return;
    }
    std::printf("  same files and databases as the reference: NO, %lld differ, e.g. %s\n",
                qlonglong(differences.size()),
                qPrintable(QStringList(differences.mid(0, 5)).join(QStringLiteral(", "))));
}

Stopwatch::Cost fastest(const QList<Stopwatch::Cost>& costs)
{
    return *std::min_element(costs.cbegin(), costs.cend(),
                             [](const auto& a, const auto& b) { return a.wallMs < b.wallMs; });
}

void printCost(const char* what, const Stopwatch::Cost& cost, const QString& note = QString())
{
    std::printf("  %-52s %9.1f ms %9.1f ms  %s\n", what, cost.wallMs, cost.cpuMs, qPrintable(note));
}

void printRatio(const char* what, const Stopwatch::Cost& reference, const Stopwatch::Cost& ours)
{
    std::printf("  %-52s %9.1f x  %9.1f x\n", what, reference.wallMs / ours.wallMs,
                reference.cpuMs / ours.cpuMs);
}

void benchmark(const Installation& installation, const QString& scratch, int runs)
{
    std::printf("\n%s: %s\n", qPrintable(installation.label), qPrintable(installation.gameDir));
    warmUp(installation);

    StartResult first;
    QList<Stopwatch::Cost> firstStarts;
    for (int run = 0; run < runs; ++run) {
        forgetEarlierScans(scratch + QStringLiteral("/aside"));
        first = startVoranth(installation.gameDir);
        firstStarts.append(first.cost);
    }

    static int installations = 0;
    const QString runDir = scratch + QStringLiteral("/runs-%1").arg(++installations);
    const QString referenceRoot = runDir + QStringLiteral("/reference-data");
    const ReferenceCost reference = runReference(installation, referenceRoot);
    Stopwatch::Cost referenceTotal = reference.extraction;
    referenceTotal += reference.databases;

    QList<Stopwatch::Cost> extractions;
    for (int run = 0; run < runs; ++run)
        extractions.append(
            extractInProcess(installation, runDir + QStringLiteral("/extracted-%1").arg(run)));

    QList<Stopwatch::Cost> unchanged;
    for (int run = 0; run < 10; ++run) {
        const StartResult again = startVoranth(installation.gameDir);
        if (again.modsExtracted != 0)
            std::printf("  (an unchanged start extracted %d mods)\n", again.modsExtracted);
        unchanged.append(again.cost);
    }
    std::sort(unchanged.begin(), unchanged.end(),
              [](const auto& a, const auto& b) { return a.wallMs < b.wallMs; });
    const Stopwatch::Cost median = unchanged[unchanged.size() / 2];

    std::printf("  %lld mods, %d paks (%d extracted), %d maps in the base game's library\n",
                qlonglong(installation.mods.size()), installation.pakCount, first.paksExtracted,
                first.maps);
    std::printf("  %-52s %12s %12s\n", "", "wall", "processor");
    const QString best = QStringLiteral("best of %1").arg(runs);
    printCost("first start, Voranth (scan, extraction, databases)", fastest(firstStarts), best);
    printCost(qPrintable(QStringLiteral("first start, reference (%1 unzip runs via /bin/sh)")
                             .arg(reference.commands)),
              referenceTotal, QStringLiteral("one run"));
    printCost("  of which extraction", reference.extraction);
    printCost("  of which databases", reference.databases);
    printRatio("ratio reference / Voranth", referenceTotal, fastest(firstStarts));
    printCost("extraction alone, Voranth (in process)", fastest(extractions), best);
    printRatio("extraction alone, ratio reference / Voranth", reference.extraction,
               fastest(extractions));
    printCost("unchanged start, Voranth", median,
              QStringLiteral("median of %1, fastest %2 ms")
                  .arg(unchanged.size())
                  .arg(unchanged.first().wallMs, 0, 'f', 1));
    const double hundreds = std::max(1, installation.pakCount) / 100.0;
    std::printf("  %-52s %9.2f ms %9.2f ms\n", "unchanged start per hundred paks",
                median.wallMs / hundreds, median.cpuMs / hundreds);
    compareResults(CommonData::appSupportQ3VXDir(), referenceRoot);
}

} // namespace

int main(int argc, char* argv[])
{
    // Never the real home: every path of the application goes below a scratch directory.
    QTemporaryDir scratch(QDir::tempPath() + QStringLiteral("/voranth-scanbench-XXXXXX"));
    if (!scratch.isValid()) {
        std::fprintf(stderr, "ScanBench: cannot make a temporary directory\n");
        return 1;
    }
    BenchEnvironment::useScratchHome(scratch.path() + QStringLiteral("/home"));
    QCoreApplication app(argc, argv);
    BenchEnvironment::nameApplication();
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;

    if (!QFileInfo(unzipTool).isExecutable()) {
        std::fprintf(stderr, "ScanBench: %s is missing (tools/setup-debian.sh installs it)\n",
                     qPrintable(unzipTool));
        return 1;
    }
    std::printf(
        "Scan and database build: Voranth against six unzip commands per pak, e.g.\n"
        "  %s\n"
        "Working below %s; load average %s\n",
        qPrintable(fillFormat(referenceCommandFormats().first(),
                              {QString(), unzipTool, "GAME", "MOD", "PAK", "DATA", QString()})),
        qPrintable(scratch.path()), qPrintable(BenchEnvironment::loadAverage()));

    const QString demoDir = scratch.path() + QStringLiteral("/demo-game");
    QProcess makeDemo;
    makeDemo.start(
        QStringLiteral("/bin/bash"),
        {BenchEnvironment::sourceDir() + QStringLiteral("/tools/make-demo-game.sh"), demoDir});
    if (makeDemo.waitForFinished(60000) && makeDemo.exitCode() == 0)
        benchmark(describe(QStringLiteral("(a) OpenArena demo game"), demoDir), scratch.path(),
                  runs);
    else
        std::printf("\n(a) OpenArena demo game: not made (%s)\n",
                    qPrintable(QString::fromLocal8Bit(makeDemo.readAllStandardError()).trimmed()));

    const QString largeDir = scratch.path() + QStringLiteral("/large-game");
    QElapsedTimer timer;
    timer.start();
    const Generated generated = generateInstallation(largeDir);
    std::printf("\nGenerated %d paks with %d maps in %.1f s\n", generated.paks, generated.maps,
                double(timer.elapsed()) / 1000.0);
    benchmark(describe(QStringLiteral("(b) generated large installation"), largeDir),
              scratch.path(), runs);
    return 0;
}
