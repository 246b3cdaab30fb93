#pragma once

#include "config/ExtraParameter.h"

#include <QList>
#include <QStringList>
#include <QVariantList>

#include <optional>

class QDataStream;

// The items of the sequential coding shared by the archived classes: integers, floats,
// flags and objects (a string, a list, an ExtraParameter or no object), each object led by
// a one-byte tag. Readers return false when the stream runs short or holds something else
// than the expected item; a length is never trusted beyond the bytes left in the stream.
class ArchiveCoding
{
public:
    ArchiveCoding() = delete;

    enum class Tag : quint8
    {
        None = 0,
        String = 1,
        List = 2,
        ExtraParameter = 3,
        Integer = 4,
        Real = 5,
        Boolean = 6,
    };

    // Bytes left to read in the stream's device; 0 without a device.
    static qint64 bytesLeft(const QDataStream& in);

    static void writeInt(QDataStream& out, int value);
    static void writeFloat(QDataStream& out, float value);
    // A flag item: the flag in the high-order byte, the neighbouring flag in the low one.
    static void writeFlag(QDataStream& out, bool flag, bool neighbour = false);
    static void writeCount(QDataStream& out, qsizetype count);
    static void writeRawString(QDataStream& out, const QString& text);

    static void writeNone(QDataStream& out);
    static void writeString(QDataStream& out, const QString& text);
    static void writeOptionalString(QDataStream& out, const std::optional<QString>& text);
    static void writeStringList(QDataStream& out, const QStringList& list);
    static void writeExtraParameters(QDataStream& out, const QList<ExtraParameter>& list);
    static void writeVariantList(QDataStream& out, const QVariantList& list);

    static bool readInt(QDataStream& in, int& value);
    static bool readFloat(QDataStream& in, float& value);
    static bool readFlag(QDataStream& in, bool& flag);
    // A count of elements that each take at least minimumElementSize bytes.
    static bool readCount(QDataStream& in, qint64 minimumElementSize, qsizetype& count);
    static bool readRawString(QDataStream& in, QString& text);

    // A string object; no object reads as the empty string.
    static bool readString(QDataStream& in, QString& text);
    static bool readOptionalString(QDataStream& in, std::optional<QString>& text);
    // List objects; no object reads as the empty list.
    static bool readStringList(QDataStream& in, QStringList& list);
    static bool readExtraParameters(QDataStream& in, QList<ExtraParameter>& list);
    static bool readVariantList(QDataStream& in, QVariantList& list);

private:
    static void writeTag(QDataStream& out, Tag tag);
    static bool readTag(QDataStream& in, Tag& tag);
    static void writeVariant(QDataStream& out, const QVariant& value);
    static bool readVariant(QDataStream& in, QVariant& value, int depth);
    static bool readVariantListBody(QDataStream& in, QVariantList& list, int depth);
};
