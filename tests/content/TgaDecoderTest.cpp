#include "content/TgaDecoder.h"
#include "support/Pk3Builder.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

QByteArray header(int type, int width, int height, int depth, quint8 descriptor = 0)
{
    QByteArray bytes(18, '\0');
    bytes[2] = char(type);
    bytes[12] = char(width);
    bytes[14] = char(height);
    bytes[16] = char(depth);
    bytes[17] = char(descriptor);
    return bytes;
}

} // namespace

TEST(TgaDecoder, ReadsUncompressedAndRunLengthPicturesInEitherRowOrder)
{
    // Two rows of two pixels, bottom row first: blue, green / red, white.
    QByteArray plain = header(2, 2, 2, 24);
    plain.append("\xff\x00\x00\x00\xff\x00\x00\x00\xff\xff\xff\xff", 12);
    const QImage image = TgaDecoder::decode(plain);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.pixel(0, 1), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(1, 1), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));

    // The same picture run-length encoded, top row first: a run of two reds, two raw pixels.
    QByteArray rle = header(10, 2, 2, 24, 0x20);
    rle.append("\x81\x00\x00\xff\x01\xff\x00\x00\x00\xff\x00", 11);
    const QImage decoded = TgaDecoder::decode(rle);
    ASSERT_FALSE(decoded.isNull());
    EXPECT_EQ(decoded.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(decoded.pixel(1, 0), qRgb(255, 0, 0));
    EXPECT_EQ(decoded.pixel(0, 1), qRgb(0, 0, 255));
    EXPECT_EQ(decoded.pixel(1, 1), qRgb(0, 255, 0));

    QByteArray grey = header(3, 1, 1, 8);
    grey.append(char(0x80));
    EXPECT_EQ(TgaDecoder::decode(grey).pixel(0, 0), qRgb(0x80, 0x80, 0x80));
}

TEST(TgaDecoder, DamagedDataGivesNoPicture)
{
    QByteArray truncated = header(2, 4, 4, 24);
    truncated.append(QByteArray(20, '\x10'));
    EXPECT_TRUE(TgaDecoder::decode(truncated).isNull());
    EXPECT_TRUE(TgaDecoder::decode(header(10, 4, 4, 24)).isNull()) << "a run that never comes";
    EXPECT_TRUE(TgaDecoder::decode(header(2, 0, 4, 24)).isNull());
    EXPECT_TRUE(TgaDecoder::decode(header(1, 4, 4, 8)).isNull()) << "colour-mapped";
    EXPECT_TRUE(TgaDecoder::decode(header(2, 4, 4, 12)).isNull());
    EXPECT_TRUE(TgaDecoder::decode("short").isNull());
    QRandomGenerator random(7);
    for (int round = 0; round < 500; ++round) {
        QByteArray bytes = header(round % 2 ? 10 : 2, 1 + round % 200, 1 + round % 150, 24);
        for (int i = 0; i < int(random.bounded(4000)); ++i)
            bytes.append(char(random.bounded(256)));
        TgaDecoder::decode(bytes); // must not crash or read past the data
    }
}

TEST(TgaDecoder, ReadsOpenArenasLevelShots)
{
    const auto bytes = Pk3Builder::extract("/usr/share/games/openarena/baseoa/pak1-maps.pk3",
                                           "levelshots/aggressor.tga");
    ASSERT_TRUE(bytes.has_value()) << "Debian's openarena data is needed (tools/setup-debian.sh)";
    const QImage image = TgaDecoder::decode(*bytes);
    EXPECT_EQ(image.size(), QSize(128, 128));
}
