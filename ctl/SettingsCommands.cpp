#include "ctl/SettingsCommands.h"

#include "config/CommonData.h"
#include "config/GameDirectory.h"
#include "config/GamePaths.h"
#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"
#include "config/VisibleText.h"
#include "format/PlistWriter.h"
#include "server/ServerHosting.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// The game directory of this run: from the game's preferences, else the stored setting.
QString gameDirectory()
{
    const QString fromGame = GameDirectory::fromGamePreferences();
    return fromGame.isEmpty() ? UserDefaults::stringValue(KZXQGameRootDir) : fromGame;
}

QList<QPair<QString, QString>> pathList()
{
    return {
        {QStringLiteral("Application data"), CommonData::appSupportQ3VXDir()},
        {QStringLiteral("Configuration store"),
         CommonData::appSupportQ3VXDir() + QStringLiteral("/ServerConfigs.kzvr")},
        {QStringLiteral("Current mod data"), GamePaths().appSupportQ3VXCurrentModDir()},
        {QStringLiteral("Game data"), CommonData::appSupportQGameDir()},
        {QStringLiteral("Server config directory"), GamePaths().appSupportQGameModDir()},
        {QStringLiteral("Game directory"), gameDirectory()},
        {QStringLiteral("Game preferences"), CommonData::qGamePrefsFile()},
        {QStringLiteral("Settings"), UserDefaults::settingsFilePath()},
        {QStringLiteral("Block scratch file"), CommonData::tmpBlockArenasPlistFile()},
    };
}

QString settingText(const QVariant& value, UserDefaults::Type type)
{
    switch (type) {
    case UserDefaults::Type::Boolean:
        return value.isValid() ? (value.toBool() ? QStringLiteral("YES") : QStringLiteral("NO"))
                               : QString();
    case UserDefaults::Type::StringList:
    case UserDefaults::Type::Dictionary:
        return value.isValid() ? PlistWriter::write(value).simplified() : QString();
    case UserDefaults::Type::Integer:
    case UserDefaults::Type::String:
        break;
    }
    return value.toString();
}

} // namespace

void SettingsCommands::addTo(QList<CtlCommand>& commands)
{
    commands.append({QStringLiteral("paths"), QStringLiteral("[--json]"),
                     QStringLiteral("the directories and files Voranth uses"), &paths});
    commands.append({QStringLiteral("settings"), QStringLiteral("[--json]"),
                     QStringLiteral("every user setting with its value"), &settings});
    commands.append({QStringLiteral("set"), QStringLiteral("KEY VALUE..."),
                     QStringLiteral("change one user setting"), &set});
}

int SettingsCommands::paths(const QStringList& args, CtlIo& io)
{
    CtlArguments arguments(args);
    const bool json = arguments.takeFlag(QStringLiteral("--json"));
    if (!arguments.rest().isEmpty()) {
        io.err << "usage: voranthctl paths [--json]\n";
        return CtlUsageError;
    }
    const auto list = pathList();
    if (json) {
        QJsonObject object;
        for (const auto& [name, path] : list)
            object.insert(name, path);
        io.out << QJsonDocument(object).toJson();
        return CtlOk;
    }
    for (const auto& [name, path] : list)
        io.out << (name + QLatin1Char(':')).leftJustified(26) << VisibleText::escaped(path) << '\n';
    return CtlOk;
}

int SettingsCommands::settings(const QStringList& args, CtlIo& io)
{
    CtlArguments arguments(args);
    const bool json = arguments.takeFlag(QStringLiteral("--json"));
    if (!arguments.rest().isEmpty()) {
        io.err << "usage: voranthctl settings [--json]\n";
        return CtlUsageError;
    }
    QJsonArray array;
    for (const auto& [key, type] : UserDefaults::keyTypes()) {
        const QVariant value = UserDefaults::value(key);
        const bool isDefault = !UserDefaults::hasUserValue(key);
        const QString origin =
            isDefault ? (UserDefaults::builtInDefaults().contains(key) ? QStringLiteral("default")
                                                                       : QStringLiteral("unset"))
                      : QStringLiteral("set");
        if (json) {
            array.append(QJsonObject{{QStringLiteral("key"), key},
                                     {QStringLiteral("value"), QJsonValue::fromVariant(value)},
                                     {QStringLiteral("origin"), origin}});
            continue;
        }
        io.out << key.leftJustified(40) << origin.leftJustified(9)
               << VisibleText::escaped(settingText(value, type)) << '\n';
    }
    if (json)
        io.out << QJsonDocument(array).toJson();
    return CtlOk;
}

int SettingsCommands::set(const QStringList& args, CtlIo& io)
{
    if (args.size() < 2) {
        io.err << "usage: voranthctl set KEY VALUE...\n";
        return CtlUsageError;
    }
    const QString key = args.first();
    const std::optional<UserDefaults::Type> type = UserDefaults::typeOf(key);
    if (!type) {
        io.err << "voranthctl: no setting named '" << VisibleText::escaped(key)
               << "' (voranthctl settings lists them)\n";
        return CtlRefused;
    }
    if (*type == UserDefaults::Type::Dictionary) {
        io.err << "voranthctl: '" << key << "' is kept by the pak scan and cannot be set\n";
        return CtlRefused;
    }
    const QStringList words = args.mid(1);
    const QVariant value = UserDefaults::valueFromText(*type, words);
    if (!value.isValid()) {
        io.err << "voranthctl: '" << VisibleText::escaped(words.join(QLatin1Char(' ')))
               << "' is not a valid value for '" << key << "'\n";
        return CtlRefused;
    }
    if (key == KZXServerHostingKey && !ServerHosting::fromText(value.toString())) {
        io.err << "voranthctl: '" << key << "' is " << ServerHosting::terminalText() << " or "
               << ServerHosting::serviceText() << '\n';
        return CtlRefused;
    }
    if (key == KZXGameMasterServKey && words.size() != 5) {
        io.err << "voranthctl: '" << key << "' takes exactly five servers (use \"\" for none)\n";
        return CtlRefused;
    }
    UserDefaults::setValue(key, value);
    if (const Result<void> saved = UserDefaults::sync(); !saved.ok()) {
        io.err << "voranthctl: could not write " << UserDefaults::settingsFilePath() << " ("
               << saved.error << ")\n";
        return CtlRefused;
    }
    return CtlOk;
}
