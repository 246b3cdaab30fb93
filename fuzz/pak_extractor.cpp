// The pak extractor on a damaged or hostile pk3: the bytes are written as a pk3 below the
// temporary home and extracted into a directory nested below it. Whatever the archive
// holds, nothing may appear beside that directory or above it, and nothing inside it may be
// a link or a left-over part file.
#include "content/PakExtractor.h"
#include "content/PakFinder.h"
#include "fuzz/FuzzSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace {

// Smaller than the scan's limit, so that a bomb costs milliseconds and not a second; the
// limit's code path is the same.
constexpr qint64 memberSizeLimit = 1024 * 1024;

struct Places
{
    QString root;        // holds only "pak" and "deep"
    QString pak;         // root/pak/input.pk3
    QString destination; // root/deep/er/out
};

const Places& places()
{
    static const Places p = [] {
        Places made;
        made.root = FuzzSupport::directory(QStringLiteral("extract"));
        made.pak = FuzzSupport::directory(QStringLiteral("extract/pak")) +
                   QStringLiteral("/input.pk3");
        made.destination = made.root + QStringLiteral("/deep/er/out");
        return made;
    }();
    return p;
}

// The directory holds nothing but the one name given, or nothing at all.
void expectAtMost(const QString& dir, const QString& name)
{
    const QStringList found =
        QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    if (found.size() > 1 || (found.size() == 1 && found.first() != name))
        FuzzSupport::fail("the extraction wrote outside its directory",
                          dir + QStringLiteral(": ") + found.join(QLatin1Char(' ')));
}

int checkDestination(const QString& destination)
{
    int files = 0;
    QDirIterator it(destination, QDir::AllEntries | QDir::Hidden | QDir::System |
                                     QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        if (info.isSymLink() || !(info.isFile() || info.isDir()))
            FuzzSupport::fail("the extraction made something else than files and directories",
                              info.filePath());
        if (info.fileName().endsWith(QLatin1String(".part")))
            FuzzSupport::fail("the extraction left a part file", info.filePath());
        if (info.isFile())
            ++files;
    }
    return files;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::initialize(argc, argv);
    places();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const Places& p = places();
    QDir(p.root + QStringLiteral("/deep")).removeRecursively();
    FuzzSupport::writeFile(p.pak, FuzzSupport::bytes(data, size));

    PakFinder::pakEntryNames(p.pak);
    const PakExtractor::Report report = PakExtractor(memberSizeLimit).extract(p.pak, p.destination);

    const QStringList top = QDir(p.root).entryList(QDir::AllEntries | QDir::Hidden |
                                                   QDir::System | QDir::NoDotAndDotDot);
    if (top != QStringList{QStringLiteral("deep"), QStringLiteral("pak")} &&
        top != QStringList{QStringLiteral("pak")})
        FuzzSupport::fail("the extraction wrote outside its directory", top.join(QLatin1Char(' ')));
    expectAtMost(p.root + QStringLiteral("/pak"), QStringLiteral("input.pk3"));
    expectAtMost(p.root + QStringLiteral("/deep"), QStringLiteral("er"));
    expectAtMost(p.root + QStringLiteral("/deep/er"), QStringLiteral("out"));
    if (checkDestination(p.destination) > report.membersWritten)
        FuzzSupport::fail("more files than the report says were written");
    return 0;
}
