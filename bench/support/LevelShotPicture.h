#pragma once

#include <QByteArray>

// A level-shot-like picture (smooth shading with some detail, so it compresses as a real
// screenshot would), encoded as JPEG.
class LevelShotPicture
{
public:
    LevelShotPicture() = delete;
    static QByteArray jpeg(int width, int height, int seed = 0);
};
