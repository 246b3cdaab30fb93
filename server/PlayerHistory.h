#pragma once

#include "format/Result.h"
#include "server/HistorySample.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

class QFile;

// The player history of one server: a file of samples, one line per minute, written by
// appending ("MINUTE PEOPLE BOTS MAP", the map percent-encoded). At most keptDays days are
// kept: once the oldest sample is older than that by rotationSlackMinutes, the file is
// rewritten atomically without the old samples.
//
// Every process that samples the server (the window, a timer's "voranthctl sample") appends
// under one lock and checks the last minute in the file under it, so a minute is never written
// twice. A line torn by a crash, or a corrupt one, is skipped when reading and cut off before
// the next append; it never makes the history unreadable.
class PlayerHistory
{
public:
    static constexpr int keptDays = 30;
    static constexpr qint64 keptMinutes = qint64(keptDays) * 24 * 60;
    static constexpr qint64 rotationSlackMinutes = 60;
    // A last sample this far ahead of the clock means the clock went back: the samples from
    // that future are dropped so that sampling goes on.
    static constexpr qint64 futureSlackMinutes = 60;
    static constexpr int mapLength = 64;
    static constexpr int countLimit = 9999;
    static constexpr int lockWaitMs = 1000;

    // Milliseconds since 1970-01-01 00:00 UTC.
    using Clock = std::function<qint64()>;
    static qint64 systemClockMs();

    enum class Recorded
    {
        Written,
        // The file holds this minute, or a later one, already.
        AlreadyRecorded,
    };

    struct Reading
    {
        QList<HistorySample> samples;
        // Lines that were no sample (torn, corrupt, or out of order).
        int linesSkipped = 0;
    };

    explicit PlayerHistory(QString path, Clock clock = systemClockMs);

    // appSupportQ3VXDir()/history
    static QString directory();
    // The history file of the server known by that name (its configuration's name): the name
    // made safe as a file name.
    static QString pathForServer(const QString& name);
    static QString fileKey(const QString& name);

    const QString& path() const { return m_path; }
    bool exists() const;
    qint64 nowMinute() const;

    // Appends a sample at the clock's minute.
    Result<Recorded> record(int people, int bots, const QString& map);
    // Appends a sample; refused when it is not after the file's last minute.
    Result<Recorded> append(const HistorySample& sample);

    // The samples from fromMinute to toMinute, both included, oldest first. An absent file
    // reads as no samples.
    Result<Reading> read(qint64 fromMinute, qint64 toMinute) const;
    // The samples of the last minutes up to the clock's minute.
    Result<Reading> readLast(qint64 minutes) const;

    // One line of the file, line feed included, and its reading.
    static QByteArray encodedLine(const HistorySample& sample);
    static std::optional<HistorySample> decodedLine(QByteArrayView line);
    static QByteArray header();

private:
    struct Tail
    {
        qint64 completeSize = 0;
        std::optional<qint64> lastMinute;
    };
    static Tail readTail(QFile& file);
    static std::optional<qint64> firstMinute(QFile& file);
    Result<void> rotate(qint64 nowMinute);

    QString m_path;
    Clock m_clock;
};
