#include "server/PlayerHistory.h"

#include "config/CommonData.h"
#include "config/StringTable.h"
#include "format/AtomicFile.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QThread>

namespace {

constexpr qsizetype tailBlock = 4096;
constexpr qsizetype headBlock = 4096;
// A minute of the year 9999 has eight digits; nothing longer is a minute.
constexpr int minuteDigits = 10;
constexpr qsizetype fileKeyLength = 120;

bool isMapByte(char c)
{
    return c > 0x20 && c < 0x7f && c != '%';
}

QByteArray encodedMap(const QString& map)
{
    if (map.isEmpty())
        return QByteArrayLiteral("-");
    if (map == QLatin1String("-"))
        return QByteArrayLiteral("%2D");
    QByteArray out;
    for (const char c : map.left(PlayerHistory::mapLength).toUtf8()) {
        if (isMapByte(c)) {
            out += c;
        } else {
            static constexpr char hex[] = "0123456789ABCDEF";
            out += '%';
            out += hex[(uchar(c) >> 4) & 0xf];
            out += hex[uchar(c) & 0xf];
        }
    }
    return out;
}

std::optional<qint64> digitsAt(QByteArrayView text, qsizetype& at, int maxDigits)
{
    const qsizetype start = at;
    qint64 value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        if (at - start >= maxDigits)
            return std::nullopt;
        value = value * 10 + (text[at] - '0');
        ++at;
    }
    if (at == start)
        return std::nullopt;
    return value;
}

bool blankAt(QByteArrayView text, qsizetype& at)
{
    if (at >= text.size() || text[at] != ' ')
        return false;
    ++at;
    return true;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::optional<QString> decodedMap(QByteArrayView text)
{
    if (text == "-")
        return QString();
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%') {
            if (i + 2 >= text.size())
                return std::nullopt;
            const int high = hexValue(text[i + 1]);
            const int low = hexValue(text[i + 2]);
            if (high < 0 || low < 0)
                return std::nullopt;
            bytes += char(high * 16 + low);
            i += 2;
        } else if (isMapByte(c)) {
            bytes += c;
        } else {
            return std::nullopt;
        }
    }
    return QString::fromUtf8(bytes);
}

struct LineFields
{
    qint64 minute = 0;
    int people = 0;
    int bots = 0;
    QByteArrayView map;
};

std::optional<LineFields> fieldsOf(QByteArrayView line)
{
    qsizetype at = 0;
    const std::optional<qint64> minute = digitsAt(line, at, minuteDigits);
    if (!minute || !blankAt(line, at))
        return std::nullopt;
    const std::optional<qint64> people = digitsAt(line, at, 4);
    if (!people || !blankAt(line, at))
        return std::nullopt;
    const std::optional<qint64> bots = digitsAt(line, at, 4);
    if (!bots || !blankAt(line, at) || at == line.size())
        return std::nullopt;
    return LineFields{*minute, int(*people), int(*bots), line.sliced(at)};
}

std::optional<QString> boundedMap(QByteArrayView field)
{
    std::optional<QString> map = decodedMap(field);
    if (map && map->size() > PlayerHistory::mapLength)
        return std::nullopt;
    return map;
}

QString failed(const QString& what, const QString& path, const QString& reason)
{
    return voCommonText(QStringLiteral("HistoryFileError"), QStringLiteral("%@ %@: %@"),
                        {what, QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()), reason});
}

// The lines of a block of the file: every complete line, each without its line feed.
// Tries again and again for a while: the lock is held for an append, a millisecond or so,
// and QLockFile's own wait sleeps ever longer between its tries.
bool takeLock(QLockFile& lock)
{
    const QDeadlineTimer deadline(PlayerHistory::lockWaitMs);
    while (!lock.tryLock(0)) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(5);
    }
    return true;
}

template <typename Take> void forEachLine(QByteArrayView bytes, Take take)
{
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            return; // torn: no line feed
        take(bytes.sliced(start, end - start));
        start = end + 1;
    }
}

} // namespace

qint64 PlayerHistory::systemClockMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

PlayerHistory::PlayerHistory(QString path, Clock clock)
    : m_path(std::move(path)), m_clock(std::move(clock))
{}

QString PlayerHistory::directory()
{
    return CommonData::appSupportHistoryDir();
}

QString PlayerHistory::fileKey(const QString& name)
{
    // Letters, digits, '-' and '_' stand for themselves; everything else, '.' too (no hidden
    // file, no ".."), as %XX.
    const QByteArray encoded = name.toUtf8().toPercentEncoding(QByteArray(), QByteArrayLiteral(".~"));
    if (encoded.size() <= fileKeyLength)
        return QString::fromLatin1(encoded);
    const QByteArray hash = QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Sha256).toHex();
    qsizetype cut = fileKeyLength - 17;
    // Not inside a %XX.
    if (encoded.at(cut - 1) == '%')
        cut -= 1;
    else if (encoded.at(cut - 2) == '%')
        cut -= 2;
    return QString::fromLatin1(encoded.left(cut) + '-' + hash.left(16));
}

QString PlayerHistory::pathForServer(const QString& name)
{
    return directory() + QLatin1Char('/') + fileKey(name) + QStringLiteral(".history");
}

bool PlayerHistory::exists() const
{
    return QFileInfo::exists(m_path);
}

qint64 PlayerHistory::nowMinute() const
{
    return m_clock() / 60000;
}

QByteArray PlayerHistory::header()
{
    return QByteArrayLiteral("# Voranth player history 1: minute (since 1970 UTC) people bots map\n");
}

QByteArray PlayerHistory::encodedLine(const HistorySample& sample)
{
    return QByteArray::number(sample.minute) + ' ' + QByteArray::number(sample.people) + ' ' +
           QByteArray::number(sample.bots) + ' ' + encodedMap(sample.map) + '\n';
}

std::optional<HistorySample> PlayerHistory::decodedLine(QByteArrayView line)
{
    if (line.endsWith('\n'))
        line.chop(1);
    const std::optional<LineFields> fields = fieldsOf(line);
    if (!fields)
        return std::nullopt;
    const std::optional<QString> map = boundedMap(fields->map);
    if (!map)
        return std::nullopt;
    return HistorySample{fields->minute, fields->people, fields->bots, *map};
}

Result<PlayerHistory::Recorded> PlayerHistory::record(int people, int bots, const QString& map)
{
    return append(HistorySample{nowMinute(), people, bots, map});
}

PlayerHistory::Tail PlayerHistory::readTail(QFile& file)
{
    Tail tail;
    const qint64 size = file.size();
    // Where the last complete line ends: a torn line after it is cut off.
    qint64 blockStart = size;
    QByteArray block;
    qsizetype lastFeed = -1;
    while (blockStart > 0 && lastFeed < 0) {
        blockStart = qMax<qint64>(0, blockStart - tailBlock);
        file.seek(blockStart);
        block = file.read(qMin<qint64>(tailBlock, size - blockStart));
        lastFeed = block.lastIndexOf('\n');
    }
    if (lastFeed < 0)
        return tail;
    tail.completeSize = blockStart + lastFeed + 1;
    // The last sample among the complete lines of the block.
    forEachLine(QByteArrayView(block).first(lastFeed + 1), [&](QByteArrayView line) {
        if (const std::optional<HistorySample> sample = decodedLine(line))
            if (!tail.lastMinute || sample->minute > *tail.lastMinute)
                tail.lastMinute = sample->minute;
    });
    return tail;
}

std::optional<qint64> PlayerHistory::firstMinute(QFile& file)
{
    file.seek(0);
    const QByteArray head = file.read(headBlock);
    std::optional<qint64> first;
    forEachLine(head, [&](QByteArrayView line) {
        if (!first)
            if (const std::optional<HistorySample> sample = decodedLine(line))
                first = sample->minute;
    });
    return first;
}

Result<PlayerHistory::Recorded> PlayerHistory::append(const HistorySample& given)
{
    using Answer = Result<Recorded>;
    HistorySample sample = given;
    sample.people = qBound(0, sample.people, countLimit);
    sample.bots = qBound(0, sample.bots, countLimit);
    if (sample.minute < 0)
        return Answer::failure(failed(QStringLiteral("A sample before 1970 was not written to"),
                                      m_path, QStringLiteral("the clock is wrong")));
    const QFileInfo info(m_path);
    if (!QDir().mkpath(info.path()))
        return Answer::failure(failed(QStringLiteral("No directory for"), m_path,
                                      QStringLiteral("it cannot be made")));
    if (info.isSymLink())
        return Answer::failure(failed(QStringLiteral("Not written through a link:"), m_path,
                                      QStringLiteral("the history must be a file")));
    QLockFile lock(m_path + QStringLiteral(".lock"));
    if (!takeLock(lock))
        return Answer::failure(failed(QStringLiteral("The history is locked by another process:"),
                                      m_path, QStringLiteral("try again")));

    const qint64 now = nowMinute();
    QFile file(m_path);
    if (!file.open(QIODevice::ReadWrite))
        return Answer::failure(failed(QStringLiteral("Cannot open"), m_path, file.errorString()));
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    Tail tail = readTail(file);
    if (tail.lastMinute && *tail.lastMinute > now + futureSlackMinutes) {
        file.close();
        if (const Result<void> rotated = rotate(now); !rotated.ok())
            return Answer::failure(rotated.error);
        if (!file.open(QIODevice::ReadWrite))
            return Answer::failure(failed(QStringLiteral("Cannot open"), m_path, file.errorString()));
        tail = readTail(file);
    }
    if (tail.lastMinute && sample.minute <= *tail.lastMinute)
        return Answer::success(Recorded::AlreadyRecorded);
    if (tail.completeSize < file.size() && !file.resize(tail.completeSize))
        return Answer::failure(failed(QStringLiteral("Cannot cut the torn end of"), m_path,
                                      file.errorString()));
    const QByteArray bytes = (tail.completeSize == 0 ? header() : QByteArray()) + encodedLine(sample);
    file.seek(tail.completeSize);
    if (file.write(bytes) != bytes.size() || !file.flush())
        return Answer::failure(failed(QStringLiteral("Cannot write to"), m_path, file.errorString()));

    const std::optional<qint64> first = firstMinute(file);
    file.close();
    if (first && *first < now - keptMinutes - rotationSlackMinutes)
        if (const Result<void> rotated = rotate(now); !rotated.ok())
            return Answer::failure(rotated.error);
    return Answer::success(Recorded::Written);
}

Result<void> PlayerHistory::rotate(qint64 now)
{
    const Result<Reading> kept = read(now - keptMinutes + 1, now + futureSlackMinutes);
    if (!kept.ok())
        return Result<void>::failure(kept.error);
    QByteArray bytes = header();
    bytes.reserve(bytes.size() + kept.value.samples.size() * 24);
    for (const HistorySample& sample : kept.value.samples)
        bytes += encodedLine(sample);
    return AtomicFile::write(m_path, bytes, AtomicFile::privatePermissions);
}

Result<PlayerHistory::Reading> PlayerHistory::read(qint64 fromMinute, qint64 toMinute) const
{
    Reading reading;
    QFile file(m_path);
    if (!file.exists())
        return Result<Reading>::success(reading);
    if (!file.open(QIODevice::ReadOnly))
        return Result<Reading>::failure(failed(QStringLiteral("Cannot read"), m_path, file.errorString()));
    const QByteArray bytes = file.readAll();
    std::optional<qint64> previous;
    QByteArrayView previousMapField;
    QString previousMap;
    forEachLine(bytes, [&](QByteArrayView line) {
        if (line.startsWith('#'))
            return;
        const std::optional<LineFields> fields = fieldsOf(line);
        if (!fields || (previous && fields->minute <= *previous)) {
            ++reading.linesSkipped;
            return;
        }
        if (fields->minute < fromMinute || fields->minute > toMinute) {
            previous = fields->minute;
            return;
        }
        // A map's run of samples shares one text.
        if (fields->map != previousMapField) {
            const std::optional<QString> map = boundedMap(fields->map);
            if (!map) {
                ++reading.linesSkipped;
                return;
            }
            previousMap = *map;
            previousMapField = fields->map;
        }
        previous = fields->minute;
        reading.samples.append(HistorySample{fields->minute, fields->people, fields->bots, previousMap});
    });
    if (!bytes.isEmpty() && !bytes.endsWith('\n'))
        ++reading.linesSkipped; // torn at the end
    return Result<Reading>::success(reading);
}

Result<PlayerHistory::Reading> PlayerHistory::readLast(qint64 minutes) const
{
    const qint64 now = nowMinute();
    return read(now - minutes + 1, now);
}
