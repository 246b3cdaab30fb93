#pragma once

#include "config/GamePaths.h"
#include "format/Result.h"
#include "server/ServerCommand.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariantMap>

class ServerConfig;

// Turns one configuration into the files the dedicated server reads at start: the server
// configuration file "VO_<name>.config" and, for Urban Terror ("q3ut2"), the map list file.
// Made fresh for each operation, for one mod of one game directory.
//
// Everything written into the configuration file is 7-bit ASCII, and every value from the
// configuration or the settings is shaped so that it stays one value on its line (see
// ConsoleText); values without quotes, line breaks, ';' or "/*" are written as they are.
class ConfigFiles
{
public:
    explicit ConfigFiles(const GamePaths& paths);

    // The console variables of the configuration file, one line each, in writing order.
    static const QStringList& cvarList();
    static constexpr int cvarCount = 34;

    // appSupportQGameDir/<mod>: the directory that receives the files.
    const QString& configStorePath() const { return m_configStorePath; }
    // The mod directory name the files are written for.
    const QString& modDir() const { return m_modDir; }
    // The map rotation text last built by createMapListString().
    const QString& mapListString() const { return m_mapListString; }

    // Writes the configuration file (whole or not at all, readable by its owner only) and,
    // for "q3ut2", the map list file; the first failure says which file and why.
    Result<void> saveConfigToFile(const ServerConfig& config, bool saveRconPasswd);
    // The bytes saveConfigToFile() writes into the configuration file.
    QByteArray configFileContents(const ServerConfig& config, bool saveRconPasswd);

    // The line of console variable index (0 to 33); "" for the remote-console password
    // unless it is to be saved, and for an index outside the list.
    QString getConfigLineForCvar(int index, const ServerConfig& config, bool saveRconPasswd) const;
    // "sv_master1" to "sv_master5" from the setting "Game Master Server Array".
    QString customMasterServerList() const;
    // One line per extra parameter that is not "addbot", in list order.
    QString extraParametersList(const ServerConfig& config) const;
    // One "addbot" line per bot addition, in list order.
    QString extraParametersAddbotList(const ServerConfig& config) const;

    // The map rotation for every mod but "q3ut2": one variable per map, each setting the
    // next, then "vstr d1". Stored in mapListString() and returned.
    const QString& createMapListString(const ServerConfig& config);
    // For "q3ut2": g_mapcycle naming the map list file, then the first map.
    QString mapcycleCvarAndStartMap(const ServerConfig& config) const;
    // The map names, one a line, without a line feed after the last.
    Result<void> saveMapListToFile(const ServerConfig& config) const;

    // "VO_<name>.config": spaces become '_', and so do '/', '\\', '"', control characters and
    // the second of ".." and "::", so that the name always stays one file inside
    // configStorePath() that the server can name (see ConfigFileName).
    static QString configFileReplacedSpaces(const QString& name);
    QString configFileWithPathReplacedSpaces(const QString& name) const;
    QString mapListFileWithPath() const;

    // Removes the configuration file of the record; true when none is left, or when the file
    // is that of the running configuration under another name, which keeps it.
    bool deleteConfigFile(const ServerConfig& config) const;

    // Builds the command that starts the server with the record's configuration file and
    // writes it into the terminal launch file, titled "<launchedByApp> Game Server". Starts
    // nothing itself. Fails when the launch file could not be written.
    Result<void> runConfigFile(const ServerConfig& config, const QString& launchedByApp);
    // What the server command of config is built from: the game directory, the program and
    // the configuration's file.
    ServerCommand::Inputs commandInputs(const ServerConfig& config) const;
    // The command the last runConfigFile() built.
    const QString& serverCommand() const { return m_serverCommand; }
    // appSupportQ3VXDir/VOTerminal.term: where runConfigFile() writes.
    const QString& terminalFile() const { return m_terminalFile; }
    // The template the launch file copies its window settings from; empty when missing.
    const QVariantMap& defaultTerminalDict() const { return m_defaultTerminalDict; }

private:
    Result<void> makeConfigStoreDirectory() const;
    QString mapListFileContents(const ServerConfig& config) const;
    bool isUrbanTerror() const;

    QString m_gameRoot;
    QString m_modDir;
    QString m_configStorePath;
    QString m_mapListString;
    QString m_termFileDir = QStringLiteral(":/resources/core/");
    QVariantMap m_defaultTerminalDict;
    QString m_terminalFile;
    QString m_serverCommand;
};
