#pragma once

#include <QString>

class ConfigStore;

// Deleting a configuration, for the window and voranthctl alike, in the order that loses
// nothing when a step fails: refused while its server runs (RunningConfigGuard); then out of
// the store, and the store saved; only once the store is saved, its server file removed. A
// store that cannot be saved gets the configuration back, and its server file stays.
class ConfigDeletion
{
public:
    ConfigDeletion() = delete;

    enum class Kind
    {
        Deleted,
        NotFound,
        Running,
        StoreNotSaved,
        // Deleted from the store, but the server file could not be removed.
        ServerFileKept,
    };
    struct Outcome
    {
        Kind kind = Kind::Deleted;
        // What tells the user, for every kind but Deleted.
        QString title;
        QString message;
        bool deleted() const { return kind == Kind::Deleted || kind == Kind::ServerFileKept; }
    };

    // Deletes the configuration of that name from the store (and from its file), and its
    // server file in the game directory gameRoot.
    static Outcome deleteConfig(ConfigStore& store, const QString& name, const QString& gameRoot);
};
