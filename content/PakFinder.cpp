#include "content/PakFinder.h"

#include "content/PakScanner.h"

#include <QFile>

#include <zip.h>

#include <algorithm>

QStringList PakFinder::pakEntryNames(const QString& pakPath)
{
    QStringList names;
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(pakPath).constData(), ZIP_RDONLY, &error);
    if (!archive)
        return names;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    names.reserve(count > 0 ? count : 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        if (const char* name = zip_get_name(archive, zip_uint64_t(i), ZIP_FL_ENC_GUESS))
            names.append(QString::fromUtf8(name));
    }
    zip_discard(archive);
    return names;
}

PakFinder::ModListing PakFinder::listModPaks(const QString& modDir)
{
    ModListing listing;
    listing.paks = PakScanner::paksOfMod(modDir);
    for (const QString& pak : listing.paks) {
        for (const QString& name : pakEntryNames(modDir + QLatin1Char('/') + pak)) {
            listing.names += name;
            listing.names += QLatin1Char('\n');
        }
        listing.pakEnds.append(listing.names.size());
        ++m_listedPakCount;
    }
    return listing;
}

QString PakFinder::findPakWithMap(const QString& map, const QString& mod)
{
    const QString& root = m_gameRoot;
    if (root.isEmpty() || mod.isEmpty() || map.contains(QLatin1Char('\n')))
        return unknownPak();
    const QString modDir = root + QLatin1Char('/') + mod;
    auto it = m_listings.find(modDir);
    if (it == m_listings.end())
        it = m_listings.insert(modDir, listModPaks(modDir));
    ModListing& listing = *it;

    const auto known = listing.answers.constFind(map);
    if (known != listing.answers.constEnd())
        return *known;
    // Names end in "\n" and a map name comes from one script line, so a match never spans
    // two names; where it starts tells the pak.
    QString answer = unknownPak();
    const qsizetype at = listing.names.indexOf(map);
    if (at >= 0) {
        const auto end = std::upper_bound(listing.pakEnds.cbegin(), listing.pakEnds.cend(), at);
        if (end != listing.pakEnds.cend())
            answer = listing.paks.at(end - listing.pakEnds.cbegin());
    }
    listing.answers.insert(map, answer);
    return answer;
}
