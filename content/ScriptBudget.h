#pragma once

#include <QString>
#include <QStringList>

// How much script text one mod may bring: the arena, map-info, bot and game-info scripts of
// a mod are extracted and read whole, so their total is bounded, far above what any real game
// holds (OpenArena's come to about 20 KB, a pack of thousands of maps to a few MB). A file
// that would pass the bound is skipped, and the skip recorded, so that a hostile pak cannot
// exhaust memory or disk.
class ScriptBudget
{
public:
    static constexpr qint64 defaultModTotal = 8 * 1024 * 1024;

    explicit ScriptBudget(qint64 total = defaultModTotal) : m_left(total), m_total(total) {}

    // Takes size bytes for the file at path; false, with the skip logged and recorded, when
    // they are more than what is left.
    bool take(const QString& path, qint64 size);

    qint64 left() const { return m_left; }
    qint64 total() const { return m_total; }
    // One line per skipped file.
    const QStringList& skipped() const { return m_skipped; }

private:
    qint64 m_left;
    qint64 m_total;
    QStringList m_skipped;
};
