#pragma once

#include <QString>

// One player line of the server's status reply.
class PlayerStatus
{
public:
    PlayerStatus() = default;

    // The name without its colour codes, as the window lists it.
    const QString& name() const { return m_name; }
    // The name as the server printed it, colour codes included.
    const QString& rawName() const { return m_rawName; }
    // Keeps the name as given and stores its copy without colour codes.
    void setName(const QString& name)
    {
        m_rawName = name;
        m_name = stringStrippedFromCaretChars(name);
    }
    // The ping and score columns as they stand in the reply, blank padding included.
    const QString& ping() const { return m_ping; }
    void setPing(const QString& ping) { m_ping = ping; }
    const QString& score() const { return m_score; }
    void setScore(const QString& score) { m_score = score; }
    // The client slot (the table's first column), the number "clientkick" takes; -1 when
    // unknown.
    int slot() const { return m_slot; }
    void setSlot(int slot) { m_slot = slot; }
    // The address column after its colour code: "bot", "loopback", "127.0.0.1:27960", ...
    const QString& address() const { return m_address; }
    void setAddress(const QString& address) { m_address = address; }
    bool isBot() const { return m_address == QLatin1String("bot"); }

    // The text without colour codes: every caret goes together with the character after
    // it ("^1Red^7" gives "Red", "^^77" gives "77"); a caret at the very end goes alone.
    static QString stringStrippedFromCaretChars(const QString& text);

    QString description() const;

    bool operator==(const PlayerStatus&) const = default;

private:
    QString m_name;
    QString m_rawName;
    QString m_ping;
    QString m_score;
    int m_slot = -1;
    QString m_address;
};
