#include "content/BotLibrary.h"

#include "format/PlistReader.h"
#include "format/Logging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QVariantMap>

namespace {

bool isQ3Fortress2(const QString& mod)
{
    return mod == QLatin1String("q3f2");
}

} // namespace

BotLibrary::BotLibrary(const GamePaths& paths) : m_mod(paths.qGameModDir())
{
    const QString path = paths.botsPlistFileWithPath();
    m_botLibraryDB = readBotsPlist(path);
    if (!m_botLibraryDB && !isQ3Fortress2(m_mod)) {
        if (replaceBotsPlistFileWithLink(paths))
            m_botLibraryDB = readBotsPlist(path);
    }
    setBotsFromPlist();
}

std::optional<QVariantList> BotLibrary::readBotsPlist(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    const PlistReader::Result parsed = PlistReader::parseFile(path);
    if (!parsed.ok() || parsed.value.typeId() != QMetaType::QVariantList)
        return std::nullopt;
    return parsed.value.toList();
}

void BotLibrary::setBotsFromPlist()
{
    m_names.clear();
    if (!m_botLibraryDB) {
        if (!isQ3Fortress2(m_mod))
            m_names = stockBotNames();
        return;
    }
    for (const QVariant& entry : *m_botLibraryDB) {
        if (entry.typeId() != QMetaType::QVariantMap)
            continue;
        const QVariant name = entry.toMap().value(QStringLiteral("name"));
        if (name.typeId() == QMetaType::QString && !name.toString().isEmpty())
            m_names.append(name.toString());
    }
}

QString BotLibrary::botNameAtIndex(int index) const
{
    return index >= 0 && index < m_names.size() ? m_names.at(index) : QString();
}

bool BotLibrary::replaceBotsPlistFileWithLink(const GamePaths& paths)
{
    const QString target = GamePaths::baseQ3BotsPlistFileWithPath();
    const QString path = paths.botsPlistFileWithPath();
    if (path.isEmpty())
        return false;
    if (QDir::cleanPath(path) == QDir::cleanPath(target)) {
        qCWarning(lcContent, "BotLibrary:replaceBotsPlistFileWithLink: ERROR: baseq3 is unusable! Should "
                 "bail out here...");
        return false;
    }
    const QFileInfo existing(path);
    if (existing.exists() || existing.isSymLink())
        QFile::remove(path);
    return QFile::link(target, path);
}

const QStringList& BotLibrary::stockBotNames()
{
    static const QStringList names = {
        QStringLiteral("Xaero"),   QStringLiteral("Orbb"),    QStringLiteral("Slash"),
        QStringLiteral("Sorlag"),  QStringLiteral("Daemia"),  QStringLiteral("Uriel"),
        QStringLiteral("Wrack"),   QStringLiteral("Keel"),    QStringLiteral("Bitterman"),
        QStringLiteral("Gorre"),   QStringLiteral("Anarki"),  QStringLiteral("TankJr"),
        QStringLiteral("Patriot"), QStringLiteral("Cadavre"), QStringLiteral("Angel"),
        QStringLiteral("Klesk"),   QStringLiteral("Phobos"),  QStringLiteral("Mynx"),
        QStringLiteral("Visor"),   QStringLiteral("Lucy"),    QStringLiteral("Hunter"),
        QStringLiteral("Razor"),   QStringLiteral("Major"),   QStringLiteral("Biker"),
        QStringLiteral("Sarge"),   QStringLiteral("Stripe"),  QStringLiteral("Grunt"),
        QStringLiteral("Ranger"),  QStringLiteral("Doom"),    QStringLiteral("Hossman"),
        QStringLiteral("Bones"),   QStringLiteral("Crash")};
    return names;
}
