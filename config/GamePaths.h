#pragma once

#include <QString>

// Where one mod of one game installation lives: the game directory, the mod directory name,
// and the data directories and databases Voranth keeps for it. A plain value handed to what
// needs it; nothing process-wide changes when one is made.
class GamePaths
{
public:
    // No game directory known yet; the base game.
    GamePaths();
    GamePaths(const QString& gameRoot, const QString& mod);

    // The same game directory with another mod.
    GamePaths withMod(const QString& mod) const { return GamePaths(m_qGameRootDir, mod); }
    // The same mod in another game directory.
    GamePaths withGameRoot(const QString& root) const { return GamePaths(root, m_qGameModDir); }

    const QString& qGameRootDir() const { return m_qGameRootDir; }
    const QString& qGameModDir() const { return m_qGameModDir; }
    bool isBaseGame() const;

    // The mod's directory inside the game installation.
    QString gameModPath() const;
    // appSupportQGameDir/<mod>: where the server looks for the files Voranth writes.
    QString appSupportQGameModDir() const;
    // appSupportQ3VXDir/<mod>: the mod's extracted scripts, level shots and databases.
    QString appSupportQ3VXCurrentModDir() const;
    QString arenasPlistFileWithPath() const;
    QString botsPlistFileWithPath() const;
    static QString baseQ3ArenasPlistFileWithPath();
    static QString baseQ3BotsPlistFileWithPath();

    bool operator==(const GamePaths& other) const = default;

private:
    QString m_qGameRootDir;
    QString m_qGameModDir;
};
