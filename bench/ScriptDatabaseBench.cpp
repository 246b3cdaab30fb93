// Builds the map and bot databases of a generated mod (2000 arena blocks, one in twenty
// broken, and 300 bots) and times it twice: with the block test parsing each block in
// memory, and with the reference block test that writes every block to a scratch file and
// reads it back. Also times the pak search for the broken blocks' maps with the listings
// kept against listing every pak again for every map.
//
//   build/bench/ScriptDatabaseBench [runs]

#include "config/CommonData.h"
#include "content/ArenaScriptParser.h"
#include "content/BotScriptParser.h"
#include "format/PlistReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int kArenaBlocks = 2000;
constexpr int kOneLineBlocks = 500; // of those, in ".arena" files, ten a file
constexpr int kBots = 300;
constexpr int kPaks = 4;

// The block test as first designed: the block goes to a scratch file, atomically, and is
// read back from there.
class ScratchFileArenaParser : public ArenaScriptParser
{
public:
    ScratchFileArenaParser(QString scratchFile, const QString& gameRoot)
        : ArenaScriptParser(gameRoot), m_scratchFile(std::move(scratchFile))
    {
    }

    bool checkBlockParsability(const QStringList& block) const override
    {
        QSaveFile file(m_scratchFile);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write(blockTestText(block).toUtf8());
        if (!file.commit())
            return false;
        const PlistReader::Result parsed = PlistReader::parseFile(m_scratchFile);
        return parsed.ok() && parsed.value.typeId() == QMetaType::QVariantMap;
    }

private:
    QString m_scratchFile;
};

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(path.section('/', 0, -2));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QString mapName(int i)
{
    return QStringLiteral("bench%1").arg(i, 4, 10, QLatin1Char('0'));
}

QByteArray arenaBlock(int i, bool oneLine)
{
    const bool broken = i % 20 == 7;
    QByteArray block = "{\nmap\t\t\"" + mapName(i).toLatin1() + "\"\nlongname\t\"Bench Arena " +
                       QByteArray::number(i) + "\"\nfraglimit\t" + QByteArray::number(10 + i % 20) +
                       "\ntimelimit\t" + (broken ? "10 15" : "15") +
                       "\ntype\t\t\"ffa tourney team\"\nbots\t\t\"sarge grunt\"\n}\n";
    if (oneLine)
        block.replace('\n', ' ').replace('\t', ' ');
    return block;
}

void generateMod(const QString& gameRoot, const QString& dataDir)
{
    QByteArray arenas = "// generated\r\n";
    for (int i = 0; i < kArenaBlocks - kOneLineBlocks; ++i)
        arenas += arenaBlock(i, false);
    writeFile(dataDir + "/scripts/arenas.txt", arenas);
    for (int file = 0; file < kOneLineBlocks / 10; ++file) {
        QByteArray text;
        for (int i = 0; i < 10; ++i)
            text += arenaBlock(kArenaBlocks - kOneLineBlocks + file * 10 + i, true);
        writeFile(dataDir + QStringLiteral("/scripts/extra%1.arena").arg(file), text);
    }
    QByteArray bots = "// bots\n";
    for (int i = 0; i < kBots; ++i) {
        bots += "{\nname\t\tBot" + QByteArray::number(i) + "\nfunname\t\t^" +
                QByteArray::number(i % 8) + "Bot\nmodel\t\tsarge\naifile\t\tbots/bot" +
                QByteArray::number(i) + "_c.c\n}\n";
    }
    writeFile(dataDir + "/scripts/bots.txt", bots);

    // The maps spread over the paks, with their level shots and some textures.
    QDir().mkpath(gameRoot + "/benchmod");
    for (int pak = 0; pak < kPaks; ++pak) {
        const QString path = gameRoot + QStringLiteral("/benchmod/pak%1.pk3").arg(pak);
        int error = 0;
        zip_t* archive =
            zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        for (int i = pak; i < kArenaBlocks; i += kPaks) {
            for (const QString& member :
                 {"maps/" + mapName(i) + ".bsp", "levelshots/" + mapName(i) + ".jpg",
                  "textures/" + mapName(i) + "/wall.tga"}) {
                zip_source_t* source = zip_source_buffer(archive, "x", 1, 0);
                zip_file_add(archive, member.toUtf8().constData(), source, ZIP_FL_OVERWRITE);
            }
        }
        if (zip_close(archive) != 0)
            qFatal("cannot write %s", qPrintable(path));
    }
}

struct Run
{
    qint64 nanoseconds;
    int unparsable;
    int paksListed;
};

Run buildDatabases(ArenaScriptParser& parser, const QString& dataDir)
{
    QElapsedTimer timer;
    timer.start();
    if (!parser.makePlistFromArena("benchmod", dataDir) ||
        !BotScriptParser::makePlistFromBots("benchmod", dataDir))
        qFatal("cannot write the databases");
    return {timer.nsecsElapsed(), int(parser.unparsable().unparsableMaps().size()),
            parser.pakFinder().listedPakCount()};
}

qint64 best(int runs, const std::function<qint64()>& run)
{
    qint64 fastest = std::numeric_limits<qint64>::max();
    for (int i = 0; i < runs; ++i)
        fastest = std::min(fastest, run());
    return fastest;
}

} // namespace

int main(int argc, char* argv[])
{
    // Never the real home: every path of the application goes below a scratch directory.
    QTemporaryDir scratch;
    qputenv("HOME", scratch.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", (scratch.path() + "/data-home").toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (scratch.path() + "/config-home").toLocal8Bit());
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;

    const QString gameRoot = scratch.path() + "/game";
    const QString dataDir = scratch.path() + "/support/benchmod";
    generateMod(gameRoot, dataDir);

    Run inMemory{};
    const qint64 memoryTime = best(runs, [&] {
        ArenaScriptParser parser(gameRoot);
        inMemory = buildDatabases(parser, dataDir);
        return inMemory.nanoseconds;
    });
    const qint64 scratchTime = best(runs, [&] {
        ScratchFileArenaParser parser(scratch.path() + "/tmpBlkFile-bench.plist", gameRoot);
        return buildDatabases(parser, dataDir).nanoseconds;
    });

    // The pak search alone: the broken blocks' maps, with the listings kept for the build,
    // and with every pak listed again for every map.
    ArenaScriptParser recorded(gameRoot);
    buildDatabases(recorded, dataDir);
    const QStringList maps = recorded.unparsable().unparsableMaps();
    const qint64 keptTime = best(runs, [&] {
        QElapsedTimer timer;
        timer.start();
        PakFinder finder(gameRoot);
        for (const QString& map : maps)
            finder.findPakWithMap(map, "benchmod");
        return timer.nsecsElapsed();
    });
    const qint64 relistTime = best(runs, [&] {
        QElapsedTimer timer;
        timer.start();
        for (const QString& map : maps)
            PakFinder(gameRoot).findPakWithMap(map, "benchmod");
        return timer.nsecsElapsed();
    });

    const auto ms = [](qint64 ns) {
        return double(ns) / 1e6;
    };
    std::printf("Generated mod: %d arena blocks (%d broken), %d bots, %d paks; best of %d runs\n",
                kArenaBlocks, inMemory.unparsable, kBots, kPaks, runs);
    std::printf("Both databases, block test in memory:          %9.2f ms\n", ms(memoryTime));
    std::printf("Both databases, block test through a file:     %9.2f ms (reference)\n",
                ms(scratchTime));
    std::printf("Ratio reference / in memory:                   %9.2f\n",
                double(scratchTime) / double(memoryTime));
    std::printf("Pak search for %lld maps, listings kept:        %9.2f ms (%d paks listed)\n",
                qlonglong(maps.size()), ms(keptTime), inMemory.paksListed);
    std::printf("Pak search, every pak listed for every map:    %9.2f ms (ratio %.1f)\n",
                ms(relistTime), double(relistTime) / double(keptTime));
    return 0;
}
