#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <optional>

// Keeps the requests to one game server within what the server answers. ioquake3 answers
// each sender address for a burst of ten rcon requests, then for one a second, and drops the
// rest without a word. The pacer counts the requests sent as a leaky bucket that assumes a
// little less than the server grants (the server counts at its own frame times, and other
// programs of this machine ask from the same address), so that every request it lets go is
// answered.
//
// Two kinds of request: a command someone asked for waits until it may go and is never
// dropped; an automatic poll goes only while a reserve is left for commands and no command
// waits, and otherwise gives way.
//
// A pacer may keep its count in a ledger file under a key (the server's address and port),
// shared with every pacer of the same key in every process of the user: the window and
// voranthctl talk to the server from the same address. What the ledger says is held to what
// the server allows (a level within the burst, a stamp no later than now), and the pacer
// never counts less than its own requests: a ledger that cannot be used (ledgerProblem())
// makes the count this process's own, it never turns pacing off. A command that waits never
// waits longer than a full burst takes to leak away (maximumWaitMs()).
class RconPacer
{
public:
    enum class Traffic
    {
        Command,
        Poll,
    };

    struct Allowance
    {
        // Requests that may go at once.
        int burst = 8;
        // One more request may go after each period.
        int periodMs = 1100;
        // Of the burst, the requests polls leave to commands.
        int reservedForCommands = 3;
    };
    // What ioquake3 grants one address.
    static constexpr int serverBurst = 10;
    static constexpr int serverPeriodMs = 1000;

    // Milliseconds of a monotonic clock that all processes of the machine share.
    using Clock = std::function<qint64()>;
    static qint64 monotonicMs();

    RconPacer();
    explicit RconPacer(Allowance allowance, Clock clock = monotonicMs);
    // A pacer whose count is shared through the ledger file at ledgerPath under key.
    static std::shared_ptr<RconPacer> shared(const QString& key, const QString& ledgerPath);
    static std::shared_ptr<RconPacer> shared(const QString& key, const QString& ledgerPath,
                                             Allowance allowance, Clock clock = monotonicMs);
    // The ledger of this user: appSupportQ3VXDir/RconPacing.ledger.
    static QString defaultLedgerPath();
    // A pacer that lets every request go at once: a sender without pacing.
    static std::shared_ptr<RconPacer> unpaced();

    bool isPaced() const { return m_paced; }
    const Allowance& allowance() const { return m_allowance; }

    // Milliseconds until a request of that kind may go: 0 for now; -1 for a poll that is to
    // give way.
    qint64 delayBefore(Traffic traffic);
    // Counts a request that goes now; false, counting nothing, when it may not go now.
    bool take(Traffic traffic);
    // The requests counted that have not leaked away yet.
    double level();
    // The longest a command waits (with Waiting) for its turn: the burst times the period.
    qint64 maximumWaitMs() const { return qint64(m_allowance.burst) * m_allowance.periodMs; }
    // Why the ledger could not be used (the file and the system's reason), until a count is
    // written into it again; none while it works or without a ledger.
    std::optional<QString> ledgerProblem() const { return m_ledgerProblem; }

    // A command waiting for its turn, for as long as the object lives: polls give way to it.
    class Waiting
    {
    public:
        explicit Waiting(RconPacer& pacer);
        ~Waiting();
        Waiting(const Waiting&) = delete;
        Waiting& operator=(const Waiting&) = delete;

    private:
        RconPacer& m_pacer;
    };

private:
    struct Count
    {
        double level = 0;
        qint64 stampMs = 0;
    };

    struct LedgerCount
    {
        Count count;
        // The ledger said more than the server allows, or a time after now.
        bool heldBack = false;
    };

    // A count as the server can have it at nowMs: its level within [0, burst], its stamp no
    // later than now.
    Count heldToTheLimit(const Count& count, qint64 nowMs) const;
    double levelAt(const Count& count, qint64 nowMs) const;
    qint64 delayFor(Traffic traffic, double level, qint64 nowMs) const;
    bool commandOverdue(qint64 nowMs) const;
    // The level of the key at nowMs: the ledger's, but never below this pacer's own count.
    // The ledger's count, held to the limit, goes to *ledgerCount when asked for (none when
    // the ledger cannot be read).
    double currentLevel(qint64 nowMs, std::optional<LedgerCount>* ledgerCount = nullptr);
    std::optional<LedgerCount> readLedgerCount(qint64 nowMs);
    void storeCount(const Count& count, qint64 nowMs);
    void noteLedgerProblem(const QString& problem);

    Allowance m_allowance;
    Clock m_clock;
    bool m_paced = true;
    QString m_key;
    QString m_ledgerPath;
    Count m_count;
    int m_commandsWaiting = 0;
    // Since when the commands that wait have waited (or the last of them went).
    qint64 m_waitingSinceMs = 0;
    std::optional<QString> m_ledgerProblem;
};
