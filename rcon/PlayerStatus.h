#pragma once

#include <QString>

// One player line of the server's status reply.
class PlayerStatus
{
public:
    PlayerStatus() = default;

    const QString& name() const { return m_name; }
    // Stores the name without its colour codes.
    void setName(const QString& name) { m_name = stringStrippedFromCaretChars(name); }
    // The ping and score columns as they stand in the reply, blank padding included.
    const QString& ping() const { return m_ping; }
    void setPing(const QString& ping) { m_ping = ping; }
    const QString& score() const { return m_score; }
    void setScore(const QString& score) { m_score = score; }
    // The client slot the server lists the player in; -1 when unknown.
    int slot() const { return m_slot; }
    void setSlot(int slot) { m_slot = slot; }

    // The text without colour codes: every caret goes together with the character after
    // it ("^1Red^7" gives "Red", "^^77" gives "77"); a caret at the very end goes alone.
    static QString stringStrippedFromCaretChars(const QString& text);

    QString description() const;

    bool operator==(const PlayerStatus&) const = default;

private:
    QString m_name;
    QString m_ping;
    QString m_score;
    int m_slot = -1;
};
