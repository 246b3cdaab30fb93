#include "content/MapLibrary.h"

#include "config/CommonData.h"
#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"
#include "content/StartupProgress.h"
#include "format/PlistReader.h"
#include "content/TgaDecoder.h"

#include <QVariantMap>

namespace {

const QString mapKey = QStringLiteral("map");
const QString longnameKey = QStringLiteral("longname");
const QString typeKey = QStringLiteral("type");

std::optional<QVariantList> readArenaList(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    const PlistReader::Result result = PlistReader::parseFile(path);
    if (!result.ok() || result.value.typeId() != QMetaType::QVariantList)
        return std::nullopt;
    return result.value.toList();
}

QImage decodedImage(const QString& path)
{
    if (path.isEmpty())
        return {};
    if (path.endsWith(QLatin1String(".tga"), Qt::CaseInsensitive))
        return TgaDecoder::decodeFile(path);
    return QImage(path);
}

} // namespace

MapLibrary::MapLibrary(const GamePaths& paths, StartupProgress* progress)
    : m_paths(paths), m_mod(paths.qGameModDir())
{
    m_mapCache = std::make_unique<KZQueueCache>(UserDefaults::intValue(KZXMapImageCacheSizeKey));
    if (progress)
        progress->updateProgressBar();
    readMapDatabase();
    truncateMapShortnames();
    setMapsAndTitlesFromPlist();
    if (progress) {
        progress->updateProgressBar();
        progress->setBarExplicitlyToMax();
    }
    setAppLibraryPathToImageDict();
    if (UserDefaults::intValue(KZXMapImageLoadingKey) == 2)
        setMapLibraryImageDict();
}

MapLibrary::~MapLibrary() = default;

bool MapLibrary::modMapsIsBaseQ3Mergable(const QString& mod)
{
    return mod == QLatin1String("missionpack") || mod == QLatin1String("osp");
}

void MapLibrary::readMapDatabase()
{
    m_mapLibraryDB = readArenaList(m_paths.arenasPlistFileWithPath());
    if (!m_mapLibraryDB)
        return;
    if (!modMapsIsBaseQ3Mergable(m_mod) && !m_mapLibraryDB->isEmpty())
        return;
    if (m_paths.isBaseGame())
        return; // merging the base game's list into itself would list every map twice
    if (const std::optional<QVariantList> base =
            readArenaList(GamePaths::baseQ3ArenasPlistFileWithPath()))
        m_mapLibraryDB->append(*base);
}

QString MapLibrary::truncatedMapName(const QString& name)
{
    const qsizetype blank = name.indexOf(QLatin1Char(' '));
    return blank < 0 ? name : name.left(blank);
}

void MapLibrary::truncateMapShortnames()
{
    if (!m_mapLibraryDB)
        return;
    for (QVariant& entry : *m_mapLibraryDB) {
        QVariantMap map = entry.toMap();
        const QString name = map.value(mapKey).toString();
        if (name.contains(QLatin1Char(' '))) {
            map.insert(mapKey, truncatedMapName(name));
            entry = map;
        }
    }
}

void MapLibrary::setMapsAndTitlesFromPlist()
{
    m_mapLibraryKeys.clear();
    m_mapLibraryTypes.clear();
    m_mapLibraryTitleDict.clear();
    if (!m_mapLibraryDB)
        return;
    for (const QVariant& entry : std::as_const(*m_mapLibraryDB)) {
        const QVariantMap map = entry.toMap();
        // An entry that names no map cannot be listed, started or shown.
        const QString name = map.value(mapKey).toString();
        if (name.isEmpty())
            continue;
        m_mapLibraryKeys.append(name);
        m_mapLibraryTypes.append(map.value(typeKey).toString());
        // The first entry of a name gives its title.
        if (!m_mapLibraryTitleDict.contains(name))
            m_mapLibraryTitleDict.insert(name, map.value(longnameKey, name).toString());
    }
}

void MapLibrary::setAppLibraryPathToImageDict()
{
    m_mapLibraryPathToImageDict.clear();
    const LevelShotIndex modShots(m_paths.appSupportQ3VXCurrentModDir() +
                                  QStringLiteral("/levelshots"));
    const QString baseDir = CommonData::appSupportQ3VXBaseQ3Dir() + QStringLiteral("/levelshots");
    const bool separateBase = baseDir != modShots.directory();
    const LevelShotIndex baseShots(separateBase ? baseDir : QString());
    for (const QString& name : std::as_const(m_mapLibraryKeys)) {
        for (const QString& extension : {QStringLiteral("jpg"), QStringLiteral("tga")}) {
            QString path = modShots.find(name, extension);
            if (path.isEmpty() && separateBase)
                path = baseShots.find(name, extension);
            if (!path.isEmpty()) {
                m_mapLibraryPathToImageDict.insert(name, path);
                break;
            }
        }
    }
}

QImage MapLibrary::placeholderImage()
{
    return QImage(QStringLiteral(":/resources/core/NO MAP IMAGE.jpg"));
}

void MapLibrary::setNoMapImageForKey(const QString& name)
{
    m_mapLibraryImageDict.insert(name, placeholderImage());
}

bool MapLibrary::setMapLibraryImageForMap(const QString& name)
{
    const QImage image = decodedImage(m_mapLibraryPathToImageDict.value(name));
    if (image.isNull())
        setNoMapImageForKey(name);
    else
        m_mapLibraryImageDict.insert(name, image);
    return true;
}

void MapLibrary::setMapLibraryImageDict()
{
    m_mapLibraryImageDict.clear();
    for (const QString& name : std::as_const(m_mapLibraryKeys))
        setMapLibraryImageForMap(name);
}

QImage MapLibrary::mapImageForMap(const QString& name)
{
    if (name.isEmpty())
        return placeholderImage();
    const int method = UserDefaults::intValue(KZXMapImageLoadingKey);
    const int cacheSize = UserDefaults::intValue(KZXMapImageCacheSizeKey);
    const qsizetype held = m_mapLibraryImageDict.size();
    if ((method == 0 && held > 3) || (method == 1 && held > cacheSize + 3))
        m_mapLibraryImageDict.clear();
    if (!m_mapLibraryImageDict.contains(name)) {
        if (method == 0)
            m_mapLibraryImageDict.clear();
        setMapLibraryImageForMap(name);
    }
    applyCachePolicy(method, cacheSize, name);
    return m_mapLibraryImageDict.value(name);
}

void MapLibrary::applyCachePolicy(int method, int cacheSize, const QString& name)
{
    if (method != 1) {
        m_mapCache.reset();
        return;
    }
    if (m_mapCache && cacheSize < m_mapCache->queueSize())
        m_mapCache.reset();
    else if (m_mapCache)
        m_mapCache->setQueueSize(cacheSize);
    if (!m_mapCache)
        m_mapCache = std::make_unique<KZQueueCache>(cacheSize);
    m_mapCache->addObject(name);
    if (const std::optional<QString>& out = m_mapCache->objectOut())
        m_mapLibraryImageDict.remove(*out);
}

QString MapLibrary::map(int index) const
{
    return m_mapLibraryKeys.value(index);
}

QString MapLibrary::mapTitle(int index) const
{
    return m_mapLibraryTitleDict.value(map(index));
}

QImage MapLibrary::mapImage(int index)
{
    return mapImageForMap(map(index));
}

QString MapLibrary::mapTitleForMap(const QString& name) const
{
    return m_mapLibraryTitleDict.value(name, unknownMapMarker());
}

std::optional<QString> MapLibrary::mapDBNameForServerMap(const QString& serverMap) const
{
    for (const QString& key : m_mapLibraryKeys)
        if (key.contains(serverMap))
            return key;
    return std::nullopt;
}

QString MapLibrary::mapTypes(int index) const
{
    return m_mapLibraryTypes.value(index);
}

bool MapLibrary::mapTypesMatch(const QString& mapTypes, const QString& shortName)
{
    return shortName == QLatin1String("all") || mapTypes.contains(shortName);
}

QStringList MapLibrary::mapsOfGameType(const QString& shortName) const
{
    QStringList maps;
    for (int index = 0; index < m_mapLibraryKeys.size(); ++index)
        if (mapTypesMatch(m_mapLibraryTypes.at(index), shortName))
            maps.append(m_mapLibraryKeys.at(index));
    return maps;
}
