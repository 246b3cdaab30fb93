#include "server/ConfigDeletion.h"

#include "config/CommonData.h"
#include "config/ConfigStore.h"
#include "config/StringTable.h"
#include "config/VisibleText.h"
#include "server/ConfigFiles.h"
#include "server/RunningConfigGuard.h"

ConfigDeletion::Outcome ConfigDeletion::deleteConfig(ConfigStore& store, const QString& name,
                                                     const QString& gameRoot)
{
    const ServerConfig* found = store.find(name);
    const QString shown = VisibleText::escaped(name);
    if (!found)
        return {Kind::NotFound,
                voCommonText(QStringLiteral("DeleteConfigNotFoundTitle"),
                             QStringLiteral("There is no config named '%@'!"), {shown}),
                QString()};
    if (const std::optional<ServerLauncher::Alert> refusal =
            RunningConfigGuard::refusal(name, RunningConfigGuard::Change::Delete))
        return {Kind::Running, refusal->title, refusal->message};

    const ServerConfig record = *found;
    store.remove(name);
    if (const Result<void> saved = store.save(); !saved.ok()) {
        store.insert(record);
        return {Kind::StoreNotSaved,
                voCommonText(QStringLiteral("StoreNotSavedTitle"),
                             QStringLiteral("Configurations could not be saved!")),
                voCommonText(QStringLiteral("DeleteConfigNotSavedMsg"),
                             QStringLiteral("'%@' was not deleted: %@"), {shown, saved.error})};
    }
    const QString mod = CommonData::modDirOrDefault(record.modName());
    const ConfigFiles files(GamePaths(gameRoot, mod));
    if (!files.deleteConfigFile(record))
        return {Kind::ServerFileKept,
                voCommonText(QStringLiteral("DeleteConfigFileKeptTitle"),
                             QStringLiteral("The server file was not removed!")),
                voCommonText(QStringLiteral("DeleteConfigFileKeptMsg"),
                             QStringLiteral("'%@' was deleted, but its server file %@ could not "
                                            "be removed."),
                             {shown, files.configFileWithPathReplacedSpaces(name)})};
    return {};
}
