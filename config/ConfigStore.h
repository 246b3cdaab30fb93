#pragma once

#include "config/ConfigArchive.h"

#include <QStringList>

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

    // The name a duplicate of name gets: the base of the name followed by the first free
    // number from 2 to 99; none when all are taken.
    std::optional<QString> duplicateNameFor(const QString& name) const;

    const QString& movedAsidePath() const { return m_movedAsidePath; }
    const QString& loadError() const { return m_loadError; }

private:
    ConfigArchive::Store m_serverConfigDict;
    QString m_movedAsidePath;
    QString m_loadError;
};
