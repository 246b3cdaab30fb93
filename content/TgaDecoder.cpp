#include "content/TgaDecoder.h"

#include <QFile>

namespace {

constexpr int headerSize = 18;

enum ImageType : quint8
{
    TrueColour = 2,
    GreyScale = 3,
    TrueColourRle = 10,
    GreyScaleRle = 11,
};

struct Header
{
    int idLength = 0;
    int colourMapType = 0;
    int type = 0;
    int width = 0;
    int height = 0;
    int depth = 0;
    bool topDown = false;
    bool rightToLeft = false;
};

int word(const QByteArray& data, int at)
{
    return quint8(data[at]) | (quint8(data[at + 1]) << 8);
}

bool isGrey(int type)
{
    return type == GreyScale || type == GreyScaleRle;
}

bool readHeader(const QByteArray& data, Header& header)
{
    if (data.size() < headerSize)
        return false;
    header.idLength = quint8(data[0]);
    header.colourMapType = quint8(data[1]);
    header.type = quint8(data[2]);
    header.width = word(data, 12);
    header.height = word(data, 14);
    header.depth = quint8(data[16]);
    header.topDown = quint8(data[17]) & 0x20;
    header.rightToLeft = quint8(data[17]) & 0x10;
    const bool knownType = header.type == TrueColour || header.type == GreyScale ||
                           header.type == TrueColourRle || header.type == GreyScaleRle;
    const bool knownDepth = isGrey(header.type)
                                ? header.depth == 8
                                : (header.depth == 16 || header.depth == 24 || header.depth == 32);
    return knownType && knownDepth && header.colourMapType == 0 && header.width > 0 &&
           header.height > 0 && header.width <= TgaDecoder::maximumSide &&
           header.height <= TgaDecoder::maximumSide;
}

QRgb pixel(const char* p, int depth)
{
    const auto b = [p](int i) {
        return quint8(p[i]);
    };
    switch (depth) {
    case 8:
        return qRgb(b(0), b(0), b(0));
    case 16: {
        const int v = b(0) | (b(1) << 8);
        return qRgb(((v >> 10) & 31) * 255 / 31, ((v >> 5) & 31) * 255 / 31, (v & 31) * 255 / 31);
    }
    case 24:
        return qRgb(b(2), b(1), b(0));
    default:
        return qRgba(b(2), b(1), b(0), b(3));
    }
}

// The pixels in file order; false when the data ends early.
bool readPixels(const QByteArray& data, qsizetype at, const Header& header, QList<QRgb>& out)
{
    const int bytesPerPixel = header.depth / 8;
    const qsizetype count = qsizetype(header.width) * header.height;
    out.reserve(count);
    const bool rle = header.type == TrueColourRle || header.type == GreyScaleRle;
    while (out.size() < count) {
        int run = 1;
        bool repeat = false;
        if (rle) {
            if (at >= data.size())
                return false;
            const quint8 packet = quint8(data[at++]);
            run = (packet & 0x7f) + 1;
            repeat = packet & 0x80;
        }
        for (int i = 0; i < run && out.size() < count; ++i) {
            if (!repeat || i == 0) {
                if (at + bytesPerPixel > data.size())
                    return false;
                out.append(pixel(data.constData() + at, header.depth));
                at += bytesPerPixel;
            } else {
                out.append(out.last());
            }
        }
    }
    return true;
}

} // namespace

QImage TgaDecoder::decode(const QByteArray& data)
{
    Header header;
    if (!readHeader(data, header))
        return {};
    QList<QRgb> pixels;
    if (!readPixels(data, headerSize + header.idLength, header, pixels))
        return {};
    QImage image(header.width, header.height,
                 header.depth == 32 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        return {};
    for (int row = 0; row < header.height; ++row) {
        const int y = header.topDown ? row : header.height - 1 - row;
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int column = 0; column < header.width; ++column) {
            const int x = header.rightToLeft ? header.width - 1 - column : column;
            line[x] = pixels.at(qsizetype(row) * header.width + column);
        }
    }
    return image;
}

QImage TgaDecoder::decodeFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > qint64(64) * 1024 * 1024)
        return {};
    return decode(file.readAll());
}
