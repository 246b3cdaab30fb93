// A map library of 1000 maps, each with a 512x384 level shot, opened under each image
// loading method and asked for every map's picture in turn. Prints the time and the peak
// memory of each method, and how many pictures the library held at most. Each method runs
// in a process of its own (the benchmark starts itself again), so that its peak memory is
// its own.
//
//   build/bench/MapImageBench
//
// Everything happens below a temporary directory that stands in for the home directory.

#include "bench/support/BenchEnvironment.h"
#include "bench/support/BenchScanInteraction.h"
#include "bench/support/LevelShotPicture.h"
#include "config/CommonData.h"
#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"
#include "content/MapLibrary.h"
#include "format/PlistWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr int kMaps = 1000;
constexpr int kShotWidth = 512;
constexpr int kShotHeight = 384;
constexpr int kCacheSize = 30;
const char* const kMethodOption = "--method";

QString mapName(int i)
{
    return QStringLiteral("imagebench%1").arg(i, 4, 10, QLatin1Char('0'));
}

// The base game's database and level shots, as the scan would have left them.
bool generateLibrary()
{
    const QString dataDir = CommonData::appSupportQ3VXBaseQ3Dir();
    if (!QDir().mkpath(dataDir + QStringLiteral("/levelshots")))
        return false;
    const QByteArray shot = LevelShotPicture::jpeg(kShotWidth, kShotHeight);
    QVariantList arenas;
    for (int i = 0; i < kMaps; ++i) {
        arenas.append(QVariantMap{{QStringLiteral("map"), mapName(i)},
                                  {QStringLiteral("longname"), QStringLiteral("Arena %1").arg(i)},
                                  {QStringLiteral("type"), QStringLiteral("ffa tourney team")}});
        QFile file(dataDir + QStringLiteral("/levelshots/") + mapName(i) + QStringLiteral(".jpg"));
        if (!file.open(QIODevice::WriteOnly) || file.write(shot) != shot.size())
            return false;
    }
    return PlistWriter::writeFile(dataDir + QStringLiteral("/VOArenas.plist"), arenas).ok();
}

struct MethodResult
{
    int method = 0;
    int cacheSize = 0;
    double openMs = 0;
    double lookupMs = 0;
    // Above the process's peak before the library was opened.
    qint64 peakKiB = 0;
    // Of one decoded picture.
    qint64 imageBytes = 0;
    // Images held right after creation, at most right after any lookup, and at the end.
    int heldAfterOpen = 0;
    int mostHeld = 0;
    int heldAtEnd = 0;
    // Lookups that did not give the map's own picture.
    int placeholders = 0;
};

// In the child: opens the library under one method and asks for every picture in turn.
MethodResult measureMethod(int method, int cacheSize)
{
    UserDefaults::setValue(KZXMapImageLoadingKey, method);
    UserDefaults::setValue(KZXMapImageCacheSizeKey, cacheSize);
    MethodResult result;
    result.method = method;
    result.cacheSize = cacheSize;
    const qint64 baseline = BenchEnvironment::peakResidentKiB();

    QElapsedTimer timer;
    timer.start();
    MapLibrary library{GamePaths()};
    result.openMs = double(timer.nsecsElapsed()) / 1e6;
    result.heldAfterOpen = library.numberOfImagesHeld();
    result.mostHeld = result.heldAfterOpen;

    timer.restart();
    for (const QString& name : library.mapLibraryKeys()) {
        const QImage image = library.mapImageForMap(name);
        if (image.width() != kShotWidth || image.height() != kShotHeight)
            ++result.placeholders;
        result.imageBytes = std::max<qint64>(result.imageBytes, image.sizeInBytes());
        result.mostHeld = std::max(result.mostHeld, library.numberOfImagesHeld());
    }
    result.lookupMs = double(timer.nsecsElapsed()) / 1e6;
    result.heldAtEnd = library.numberOfImagesHeld();
    result.peakKiB = BenchEnvironment::peakResidentKiB() - baseline;
    if (library.mapLibraryKeys().size() != kMaps)
        result.placeholders = kMaps; // the library did not read the generated database
    return result;
}

int runChild(char* argv[])
{
    const MethodResult r = measureMethod(std::atoi(argv[2]), std::atoi(argv[3]));
    std::printf("%d %d %.3f %.3f %lld %lld %d %d %d %d\n", r.method, r.cacheSize, r.openMs,
                r.lookupMs, qlonglong(r.peakKiB), qlonglong(r.imageBytes), r.heldAfterOpen,
                r.mostHeld, r.heldAtEnd, r.placeholders);
    return 0;
}

bool runMethodInChild(int method, int cacheSize, MethodResult& result)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QString::fromLatin1(kMethodOption), QString::number(method),
                 QString::number(cacheSize), QDir::homePath()});
    if (!child.waitForFinished(120000) || child.exitCode() != 0)
        return false;
    const QStringList f =
        QString::fromLocal8Bit(child.readAllStandardOutput()).trimmed().split(QLatin1Char(' '));
    if (f.size() != 10)
        return false;
    result = {f[0].toInt(),      f[1].toInt(), f[2].toDouble(), f[3].toDouble(), f[4].toLongLong(),
              f[5].toLongLong(), f[6].toInt(), f[7].toInt(),    f[8].toInt(),    f[9].toInt()};
    return true;
}

QString methodLabel(const MethodResult& r)
{
    switch (r.method) {
    case 0:
        return QStringLiteral("0 (only the image in use)");
    case 1:
        return QStringLiteral("1 (cache of %1)").arg(r.cacheSize);
    default:
        return QStringLiteral("2 (all at creation)");
    }
}

// What each method may hold at most: about one picture, the cache plus the slack of three
// before everything is cleared, or every picture.
bool holdsWithinItsBound(const MethodResult& r)
{
    switch (r.method) {
    case 0:
        return r.mostHeld <= 1 + 3;
    case 1:
        return r.mostHeld <= r.cacheSize + 3;
    default:
        return r.heldAfterOpen == kMaps && r.heldAtEnd == kMaps && r.mostHeld == kMaps;
    }
}

} // namespace

int main(int argc, char* argv[])
{
    const bool child = argc == 5 && std::strcmp(argv[1], kMethodOption) == 0;
    // Never the real home: every path of the application goes below a scratch directory,
    // the parent's own, which its children share.
    std::unique_ptr<QTemporaryDir> scratch;
    if (child) {
        BenchEnvironment::useScratchHome(QString::fromLocal8Bit(argv[4]));
    } else {
        scratch = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                                  QStringLiteral("/voranth-imagebench-XXXXXX"));
        if (!scratch->isValid()) {
            std::fprintf(stderr, "MapImageBench: cannot make a temporary directory\n");
            return 1;
        }
        BenchEnvironment::useScratchHome(scratch->path() + QStringLiteral("/home"));
    }
    QCoreApplication app(argc, argv);
    BenchEnvironment::nameApplication();
    if (child)
        return runChild(argv);

    if (!generateLibrary()) {
        std::fprintf(stderr, "MapImageBench: cannot write the library below %s\n",
                     qPrintable(scratch->path()));
        return 1;
    }
    std::printf("Map images: %d maps with %dx%d jpg level shots, every picture asked for once,\n"
                "each method in a process of its own (peak memory above the process's peak\n"
                "before the library was opened); load average %s\n\n",
                kMaps, kShotWidth, kShotHeight, qPrintable(BenchEnvironment::loadAverage()));
    std::printf("%-26s %9s %11s %9s %12s %11s %10s %9s\n", "method", "open ms", "lookups ms",
                "peak MiB", "pictures MiB", "after open", "most held", "held end");

    bool allWithinBounds = true;
    for (const int method : {0, 1, 2}) {
        MethodResult r;
        if (!runMethodInChild(method, kCacheSize, r)) {
            std::printf("%-26d the run failed\n", method);
            allWithinBounds = false;
            continue;
        }
        std::printf("%-26s %9.1f %11.1f %9.1f %12.1f %11d %10d %9d\n", qPrintable(methodLabel(r)),
                    r.openMs, r.lookupMs, double(r.peakKiB) / 1024.0,
                    double(r.imageBytes) * r.mostHeld / (1024.0 * 1024.0), r.heldAfterOpen,
                    r.mostHeld, r.heldAtEnd);
        if (r.placeholders != 0) {
            std::printf("    %d lookups gave no level shot of their own\n", r.placeholders);
            allWithinBounds = false;
        }
        const bool within = holdsWithinItsBound(r);
        allWithinBounds = allWithinBounds && within;
        if (r.method == 0)
            std::printf("    at most %d image(s) held at any moment: %s\n", r.mostHeld,
                        within ? "as expected" : "MORE THAN EXPECTED");
        else if (r.method == 1)
            std::printf("    at most %d images held at any moment, limit c + 3 = %d: %s\n",
                        r.mostHeld, r.cacheSize + 3, within ? "kept" : "EXCEEDED");
        else
            std::printf("    all %d images held from creation to the end: %s\n", kMaps,
                        within ? "yes" : "NO");
    }
    std::printf("\npictures MiB: the most images held at once, times the size of one decoded "
                "picture\n");
    return allWithinBounds ? 0 : 1;
}
