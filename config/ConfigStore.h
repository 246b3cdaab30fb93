#pragma once

#include "config/ConfigArchive.h"

#include <QStringList>

#include <functional>
#include <optional>

// Every server configuration of the user by its unique name, kept in "ServerConfigs.kzvr"
// in the application's data directory.
class ConfigStore
{
public:
    static QString storePath();

    // Reads the store file. A missing file gives an empty store; a file that cannot be
    // read is moved aside under a dated name (movedAsidePath() tells where) so that the
    // next save cannot destroy it, and the store starts empty.
    void load();
    // Writes the whole store atomically; false with a reason when it cannot.
    Result<void> save() const;

    const ConfigArchive::Store& serverConfigDict() const { return m_serverConfigDict; }
    bool contains(const QString& name) const { return m_serverConfigDict.contains(name); }
    const ServerConfig* find(const QString& name) const;
    ServerConfig* find(const QString& name);
    // Adds or replaces the record under its configName.
    void insert(const ServerConfig& record);
    bool remove(const QString& name);
    // Every name, sorted without regard to case (as after loading).
    QStringList sortedKeysCaseInsensitive() const;

    // Why New, Duplicate or Rename refused, with the texts that tell the user.
    enum class Refusal
    {
        None,
        EmptyName,
        NotFound,
        NameTaken,       // another configuration (of any mod) has the name
        FileNameTooLong, // the server could not exec the configuration's file
        FileNameShared,  // another configuration of the mod would write the same server file
        NoFreeCopyName,  // Duplicate: no numbered name from 2 to 99 can be had
    };
    struct Outcome
    {
        Refusal refusal = Refusal::None;
        QString name; // the configuration's name after the operation
        QString title;
        QString message;
        bool ok() const { return refusal == Refusal::None; }
    };

    // Whether a configuration of mod may take name; replacing is the configuration that gives
    // its name up for it (Rename), which may then share its server file.
    Outcome checkName(const QString& name, const QString& mod, const QString& replacing = {}) const;

    // The game type's limits, from the mod's table.
    struct Limits
    {
        int fragLimit = 0;
        int timeLimit = 0;
        int captureLimit = 0;
        int maxPlayers = 0;
    };
    // The values the editor showed when New was asked for.
    struct ShownValues
    {
        QString netIP;
        int netPort = 0;
        QString privateClientPasswd;
        QString serverName;
        QString welcomeText;
    };
    struct NewConfig
    {
        QString name;
        QString mod;
        int gameType = 0;
        QString gameTypeString;
        std::optional<Limits> limits;
        // Carried over as the "Preserve ..." settings say; none from voranthctl.
        std::optional<ShownValues> shown;
        // Copied when the setting "Rcon Password Generation Type String" says "copy".
        QString shownRconPassword;
    };
    // New: a record with the defaults, the game type and its limits, the values carried over,
    // the remote-console password the settings ask for and PunkBuster as the settings say.
    Outcome addConfig(const NewConfig& request);

    // The name a duplicate of name gets: the base of the name followed by the first number
    // from 2 to 99 that checkName() lets a configuration of mod have; none when there is none.
    std::optional<QString> duplicateNameFor(const QString& name, const QString& mod = {}) const;
    // Duplicate: a copy of the record under duplicateNameFor().
    Outcome duplicateConfig(const QString& name);
    // Rename: the record keeps every field (edit, when given, changes it first) and takes the
    // new name.
    Outcome renameConfig(const QString& oldName, const QString& newName,
                         const std::function<void(ServerConfig&)>& edit = {});

    const QString& movedAsidePath() const { return m_movedAsidePath; }
    const QString& loadError() const { return m_loadError; }

private:
    static void carryOver(const ShownValues& shown, ServerConfig& record);
    static Outcome refusal(Refusal why, const QString& title, const QString& message);
    static Outcome nameTaken(const QString& name, const ServerConfig& existing);
    static Outcome notFound(const QString& name);

    ConfigArchive::Store m_serverConfigDict;
    QString m_movedAsidePath;
    QString m_loadError;
};
