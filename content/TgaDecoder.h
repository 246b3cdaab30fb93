#pragma once

#include <QByteArray>
#include <QImage>

// Decodes Truevision TGA pictures as the game writes its level shots: true-colour and
// grey-scale, uncompressed or run-length encoded, 8, 16, 24 or 32 bits, with or without the
// TGA 2.0 footer (Qt's own reader insists on the footer). Damaged data gives a null image.
class TgaDecoder
{
public:
    static QImage decode(const QByteArray& data);
    static QImage decodeFile(const QString& path);

    // Nothing near this size is a level shot; such a header is not believed.
    static constexpr int maximumSide = 8192;
};
