#include "config/ArchiveCoding.h"

#include <QDataStream>
#include <QIODevice>
#include <QtEndian>

#include <bit>

namespace {

// Lists inside the reserved lists may nest; a damaged file must not recurse without end.
constexpr int maximumNesting = 16;
constexpr quint32 nullStringLength = 0xFFFFFFFFu;

bool streamOk(const QDataStream& in)
{
    return in.status() == QDataStream::Ok;
}

} // namespace

qint64 ArchiveCoding::bytesLeft(const QDataStream& in)
{
    const QIODevice* device = in.device();
    return device ? device->bytesAvailable() : 0;
}

void ArchiveCoding::writeInt(QDataStream& out, int value)
{
    out << qint32(value);
}

void ArchiveCoding::writeFloat(QDataStream& out, float value)
{
    // The bit pattern, whatever precision the stream would give a float.
    out << std::bit_cast<quint32>(value);
}

void ArchiveCoding::writeFlag(QDataStream& out, bool flag, bool neighbour)
{
    out << qint16((flag ? 0x0100 : 0) | (neighbour ? 0x0001 : 0));
}

void ArchiveCoding::writeCount(QDataStream& out, qsizetype count)
{
    out << quint32(count);
}

void ArchiveCoding::writeRawString(QDataStream& out, const QString& text)
{
    out << text;
}

void ArchiveCoding::writeTag(QDataStream& out, Tag tag)
{
    out << quint8(tag);
}

void ArchiveCoding::writeNone(QDataStream& out)
{
    writeTag(out, Tag::None);
}

void ArchiveCoding::writeString(QDataStream& out, const QString& text)
{
    writeTag(out, Tag::String);
    writeRawString(out, text);
}

void ArchiveCoding::writeOptionalString(QDataStream& out, const std::optional<QString>& text)
{
    if (text)
        writeString(out, *text);
    else
        writeNone(out);
}

void ArchiveCoding::writeStringList(QDataStream& out, const QStringList& list)
{
    writeTag(out, Tag::List);
    writeCount(out, list.size());
    for (const QString& text : list)
        writeString(out, text);
}

void ArchiveCoding::writeExtraParameters(QDataStream& out, const QList<ExtraParameter>& list)
{
    writeTag(out, Tag::List);
    writeCount(out, list.size());
    for (const ExtraParameter& entry : list) {
        writeTag(out, Tag::ExtraParameter);
        entry.encodeWithCoder(out);
    }
}

void ArchiveCoding::writeVariantList(QDataStream& out, const QVariantList& list)
{
    writeTag(out, Tag::List);
    writeCount(out, list.size());
    for (const QVariant& value : list)
        writeVariant(out, value);
}

// The reserved lists hold plain values only; a value of any other type is kept as its text.
void ArchiveCoding::writeVariant(QDataStream& out, const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        writeNone(out);
        return;
    case QMetaType::QVariantList:
    case QMetaType::QStringList:
        writeVariantList(out, value.toList());
        return;
    case QMetaType::Bool:
        writeTag(out, Tag::Boolean);
        out << quint8(value.toBool() ? 1 : 0);
        return;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        writeTag(out, Tag::Integer);
        out << qint64(value.toLongLong());
        return;
    case QMetaType::Float:
    case QMetaType::Double:
        writeTag(out, Tag::Real);
        out << std::bit_cast<quint64>(value.toDouble());
        return;
    default:
        writeString(out, value.toString());
        return;
    }
}

bool ArchiveCoding::readInt(QDataStream& in, int& value)
{
    qint32 raw = 0;
    in >> raw;
    value = raw;
    return streamOk(in);
}

bool ArchiveCoding::readFloat(QDataStream& in, float& value)
{
    quint32 bits = 0;
    in >> bits;
    value = std::bit_cast<float>(bits);
    return streamOk(in);
}

bool ArchiveCoding::readFlag(QDataStream& in, bool& flag)
{
    qint16 raw = 0;
    in >> raw;
    flag = ((quint16(raw) >> 8) & 0xFF) != 0;
    return streamOk(in);
}

bool ArchiveCoding::readCount(QDataStream& in, qint64 minimumElementSize, qsizetype& count)
{
    quint32 raw = 0;
    in >> raw;
    if (!streamOk(in) || minimumElementSize <= 0)
        return false;
    if (qint64(raw) > bytesLeft(in) / minimumElementSize)
        return false;
    count = qsizetype(raw);
    return true;
}

bool ArchiveCoding::readRawString(QDataStream& in, QString& text)
{
    quint32 byteLength = 0;
    in >> byteLength;
    if (!streamOk(in))
        return false;
    if (byteLength == nullStringLength) {
        text = QString();
        return true;
    }
    if (byteLength % 2 != 0 || qint64(byteLength) > bytesLeft(in))
        return false;
    QByteArray raw(qsizetype(byteLength), Qt::Uninitialized);
    if (in.readRawData(raw.data(), int(byteLength)) != int(byteLength))
        return false;
    QString result(qsizetype(byteLength / 2), Qt::Uninitialized);
    if (in.byteOrder() == QDataStream::BigEndian)
        qFromBigEndian<char16_t>(raw.constData(), result.size(), result.data());
    else
        qFromLittleEndian<char16_t>(raw.constData(), result.size(), result.data());
    text = result;
    return true;
}

bool ArchiveCoding::readTag(QDataStream& in, Tag& tag)
{
    quint8 raw = 0;
    in >> raw;
    if (!streamOk(in) || raw > quint8(Tag::Boolean))
        return false;
    tag = Tag(raw);
    return true;
}

bool ArchiveCoding::readString(QDataStream& in, QString& text)
{
    Tag tag{};
    if (!readTag(in, tag))
        return false;
    if (tag == Tag::None) {
        text = QString();
        return true;
    }
    return tag == Tag::String && readRawString(in, text);
}

bool ArchiveCoding::readOptionalString(QDataStream& in, std::optional<QString>& text)
{
    Tag tag{};
    if (!readTag(in, tag))
        return false;
    if (tag == Tag::None) {
        text.reset();
        return true;
    }
    QString value;
    if (tag != Tag::String || !readRawString(in, value))
        return false;
    text = value;
    return true;
}

// The tag of a list object and its count; no object gives an empty list.
static bool readListHead(QDataStream& in, qint64 minimumElementSize, qsizetype& count)
{
    quint8 tag = 0;
    in >> tag;
    if (!streamOk(in))
        return false;
    count = 0;
    if (tag == quint8(ArchiveCoding::Tag::None))
        return true;
    return tag == quint8(ArchiveCoding::Tag::List) &&
           ArchiveCoding::readCount(in, minimumElementSize, count);
}

bool ArchiveCoding::readStringList(QDataStream& in, QStringList& list)
{
    qsizetype count = 0;
    // A string element takes its tag and its length at least.
    if (!readListHead(in, 5, count))
        return false;
    QStringList result;
    result.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        Tag tag{};
        QString text;
        if (!readTag(in, tag) || tag != Tag::String || !readRawString(in, text))
            return false;
        result.append(text);
    }
    list = result;
    return true;
}

bool ArchiveCoding::readExtraParameters(QDataStream& in, QList<ExtraParameter>& list)
{
    qsizetype count = 0;
    // An entry takes its tag and two string objects.
    if (!readListHead(in, 3, count))
        return false;
    QList<ExtraParameter> result;
    result.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        Tag tag{};
        ExtraParameter entry;
        if (!readTag(in, tag) || tag != Tag::ExtraParameter ||
            !ExtraParameter::initWithCoder(in, entry))
            return false;
        result.append(entry);
    }
    list = result;
    return true;
}

bool ArchiveCoding::readVariantList(QDataStream& in, QVariantList& list)
{
    Tag tag{};
    if (!readTag(in, tag))
        return false;
    if (tag == Tag::None) {
        list.clear();
        return true;
    }
    return tag == Tag::List && readVariantListBody(in, list, 0);
}

bool ArchiveCoding::readVariantListBody(QDataStream& in, QVariantList& list, int depth)
{
    qsizetype count = 0;
    if (depth > maximumNesting || !readCount(in, 1, count))
        return false;
    QVariantList result;
    result.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        QVariant value;
        if (!readVariant(in, value, depth))
            return false;
        result.append(value);
    }
    list = result;
    return true;
}

bool ArchiveCoding::readVariant(QDataStream& in, QVariant& value, int depth)
{
    Tag tag{};
    if (!readTag(in, tag))
        return false;
    switch (tag) {
    case Tag::None:
        value = QVariant();
        return true;
    case Tag::String: {
        QString text;
        if (!readRawString(in, text))
            return false;
        value = text;
        return true;
    }
    case Tag::List: {
        QVariantList list;
        if (!readVariantListBody(in, list, depth + 1))
            return false;
        value = list;
        return true;
    }
    case Tag::Integer: {
        qint64 number = 0;
        in >> number;
        value = number;
        return streamOk(in);
    }
    case Tag::Real: {
        quint64 bits = 0;
        in >> bits;
        value = std::bit_cast<double>(bits);
        return streamOk(in);
    }
    case Tag::Boolean: {
        quint8 flag = 0;
        in >> flag;
        value = flag != 0;
        return streamOk(in) && flag <= 1;
    }
    case Tag::ExtraParameter:
        break;
    }
    return false;
}
