#include "bench/support/LevelShotPicture.h"

#include <QBuffer>
#include <QImage>

QByteArray LevelShotPicture::jpeg(int width, int height, int seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int shade = (x * 255 / width + seed * 37) & 0xff;
            const int sky = y * 255 / height;
            const int detail = ((x / 8 + y / 8 + seed) % 3) * 24 + ((x * 7 + y * 13) % 17);
            line[x] = qRgb((shade + detail) & 0xff, (sky + detail / 2) & 0xff,
                           (255 - shade / 2 + detail) & 0xff);
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 85);
    return bytes;
}
