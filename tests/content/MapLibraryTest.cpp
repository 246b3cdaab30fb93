#include "content/MapLibrary.h"
#include "config/CommonData.h"
#include "config/SettingsKeys.h"
#include "config/UserDefaults.h"
#include "support/RecordingScanInteraction.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

namespace {

QString dataDir(const QString& mod)
{
    return CommonData::appSupportQ3VXDir() + "/" + mod;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void writeArenas(const QString& mod, const QByteArray& plist)
{
    writeFile(dataDir(mod) + "/VOArenas.plist", plist);
}

// A level shot of one colour, so the test can tell which file was loaded.
void writeJpg(const QString& path, QColor colour)
{
    QDir().mkpath(QFileInfo(path).path());
    QImage image(16, 12, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(path, "JPG", 100));
}

// An uncompressed 24-bit TGA, as the game's level shots are.
void writeTga(const QString& path, QColor colour)
{
    QByteArray bytes(18, '\0');
    bytes[2] = 2;
    bytes[12] = 4;
    bytes[14] = 4;
    bytes[16] = 24;
    for (int i = 0; i < 16; ++i)
        bytes.append(char(colour.blue())).append(char(colour.green())).append(char(colour.red()));
    writeFile(path, bytes);
}

bool isColour(const QImage& image, QColor colour)
{
    if (image.isNull())
        return false;
    const QColor pixel = image.pixelColor(image.width() / 2, image.height() / 2);
    return qAbs(pixel.red() - colour.red()) < 12 && qAbs(pixel.green() - colour.green()) < 12 &&
           qAbs(pixel.blue() - colour.blue()) < 12;
}

class MapLibraryTest : public ::testing::Test
{
protected:
    static std::unique_ptr<MapLibrary> open(const QString& mod)
    {
        return std::make_unique<MapLibrary>(GamePaths(QString(), mod));
    }
};

} // namespace

TEST_F(MapLibraryTest, ListsMapsWithShortNamesAndTitles)
{
    writeArenas("baseq3", "( { map = \"q3dm1 extra\"; longname = \"Arena Gate\"; type = ffa; },"
                          "  { map = q3dm10; type = \"ffa tourney\"; },"
                          "  { longname = \"no map at all\"; },"
                          "  { map = q3dm1; longname = \"Second title\"; type = ctf; } )");
    auto library = open("baseq3");
    EXPECT_EQ(library->mapLibraryKeys(), (QStringList{"q3dm1", "q3dm10", "q3dm1"}));
    EXPECT_EQ(library->mapTitleForMap("q3dm1"), "Arena Gate");
    EXPECT_EQ(library->mapTitleForMap("q3dm10"), "q3dm10");
    EXPECT_EQ(library->mapTitleForMap("nowhere"), " - ");
    EXPECT_EQ(library->mapTitle(1), "q3dm10");
    EXPECT_EQ(library->mapDBNameForServerMap("q3dm1"), "q3dm1");
    EXPECT_EQ(library->paths().botsPlistFileWithPath(), dataDir("baseq3") + "/VOBots.plist");
}

TEST_F(MapLibraryTest, ServerMapNamesMatchTheFirstContainingKey)
{
    writeArenas("baseq3", "( { map = q3dm10; }, { map = q3dm1; } )");
    auto library = open("baseq3");
    EXPECT_EQ(library->mapDBNameForServerMap("q3dm1"), "q3dm10");
    EXPECT_FALSE(library->mapDBNameForServerMap("oa_dm1").has_value());
}

TEST_F(MapLibraryTest, FiltersByGameTypeShortName)
{
    writeArenas("baseq3",
                "( { map = a; type = \"ffa ctf\"; }, { map = b; type = \"1fctf\"; },"
                "  { map = c; type = tourney; }, { map = d; }, { map = a; type = ctf; } )");
    auto library = open("baseq3");
    EXPECT_EQ(library->mapsOfGameType("ctf"), (QStringList{"a", "b", "a"}));
    EXPECT_EQ(library->mapsOfGameType("all"), (QStringList{"a", "b", "c", "d", "a"}));
    EXPECT_TRUE(library->mapsOfGameType("CTF").isEmpty());
    EXPECT_EQ(library->mapTypes(0), "ffa ctf");
    EXPECT_EQ(library->mapTypes(3), "") << "an entry without types";
    EXPECT_EQ(library->mapTypes(5), "");
}

TEST_F(MapLibraryTest, MergeableModsAndEmptyModsGetTheBaseGamesMaps)
{
    writeArenas("baseq3", "( { map = q3dm1; }, { map = q3dm2; } )");
    writeArenas("missionpack", "( { map = mpteam1; } )");
    writeArenas("osp", "( { map = osp1; } )");
    writeArenas("emptymod", "( )");
    writeArenas("cpma", "( { map = cpm1; } )");
    writeFile(dataDir("broken") + "/VOArenas.plist", "this is ( not a list");
    EXPECT_EQ(open("missionpack")->mapLibraryKeys(), (QStringList{"mpteam1", "q3dm1", "q3dm2"}));
    EXPECT_EQ(open("osp")->mapLibraryKeys(), (QStringList{"osp1", "q3dm1", "q3dm2"}));
    EXPECT_EQ(open("emptymod")->mapLibraryKeys(), (QStringList{"q3dm1", "q3dm2"}));
    EXPECT_EQ(open("cpma")->mapLibraryKeys(), QStringList{"cpm1"});
    auto broken = open("broken");
    EXPECT_TRUE(broken->mapLibraryKeys().isEmpty());
    EXPECT_FALSE(broken->mapLibraryDB().has_value());
    EXPECT_EQ(open("baseq3")->mapLibraryKeys(), (QStringList{"q3dm1", "q3dm2"}));
}

TEST_F(MapLibraryTest, LevelShotsAreFoundWithoutRegardToCaseJpgBeforeTga)
{
    writeArenas("baseq3",
                "( { map = q3dm1; }, { map = Q3DM2; }, { map = tgaonly; }, { map = none; },"
                "  { map = notimage; } )");
    writeArenas("mymod", "( { map = q3dm1; }, { map = modmap; } )");
    writeJpg(dataDir("baseq3") + "/levelshots/Q3DM1.jpg", Qt::red);
    writeJpg(dataDir("baseq3") + "/levelshots/q3dm2.JPG", Qt::green);
    writeTga(dataDir("baseq3") + "/levelshots/tgaonly.tga", Qt::blue);
    writeTga(dataDir("baseq3") + "/levelshots/q3dm1.tga", Qt::yellow);
    writeFile(dataDir("baseq3") + "/levelshots/notimage.jpg", "plain text, not a picture");
    writeJpg(dataDir("mymod") + "/levelshots/MODMAP.jpg", Qt::cyan);

    auto base = open("baseq3");
    EXPECT_TRUE(isColour(base->mapImageForMap("q3dm1"), Qt::red));
    EXPECT_TRUE(isColour(base->mapImageForMap("Q3DM2"), Qt::green));
    EXPECT_TRUE(isColour(base->mapImageForMap("tgaonly"), Qt::blue));
    const QImage placeholder = MapLibrary::placeholderImage();
    ASSERT_FALSE(placeholder.isNull());
    EXPECT_EQ(base->mapImageForMap("none"), placeholder);
    EXPECT_EQ(base->mapImageForMap("notimage"), placeholder);
    EXPECT_EQ(base->mapImageForMap(""), placeholder);

    auto mod = open("mymod");
    EXPECT_TRUE(isColour(mod->mapImageForMap("modmap"), Qt::cyan));
    EXPECT_TRUE(isColour(mod->mapImageForMap("q3dm1"), Qt::red)) << "the base game's picture";
}

TEST_F(MapLibraryTest, RecentlyUsedImagesAreKeptUnderTheCache)
{
    writeArenas("baseq3", "( { map = A; }, { map = B; }, { map = C; }, { map = D; } )");
    UserDefaults::setValue(KZXMapImageLoadingKey, 1);
    UserDefaults::setValue(KZXMapImageCacheSizeKey, 2);
    auto library = open("baseq3");
    EXPECT_EQ(library->numberOfImagesHeld(), 0);
    for (const char* name : {"A", "B", "C"})
        library->mapImageForMap(name);
    EXPECT_FALSE(library->holdsImageFor("A"));
    library->mapImageForMap("B");
    EXPECT_EQ(library->mapCache()->cacheArray(), (QStringList{"B", "C"}));
    library->mapImageForMap("D");
    EXPECT_FALSE(library->holdsImageFor("C"));
    EXPECT_TRUE(library->holdsImageFor("B"));
    EXPECT_TRUE(library->holdsImageFor("D"));

    // A smaller cache replaces the cache; the images already held stay.
    UserDefaults::setValue(KZXMapImageCacheSizeKey, 1);
    library->mapImageForMap("A");
    EXPECT_EQ(library->mapCache()->queueSize(), 1);
    EXPECT_EQ(library->mapCache()->cacheArray(), QStringList{"A"});
    EXPECT_TRUE(library->holdsImageFor("B"));

    // Another method drops the cache at the next lookup and loads nothing more.
    UserDefaults::setValue(KZXMapImageLoadingKey, 2);
    library->mapImageForMap("A");
    EXPECT_EQ(library->mapCache(), nullptr);
    EXPECT_FALSE(library->holdsImageFor("C"));
}

TEST_F(MapLibraryTest, OnlyTheImageInUseIsKeptUnderMethodZero)
{
    writeArenas("baseq3", "( { map = A; }, { map = B; } )");
    UserDefaults::setValue(KZXMapImageLoadingKey, 0);
    auto library = open("baseq3");
    library->mapImageForMap("A");
    library->mapImageForMap("B");
    EXPECT_EQ(library->numberOfImagesHeld(), 1);
    EXPECT_TRUE(library->holdsImageFor("B"));
    EXPECT_EQ(library->mapCache(), nullptr);
}

TEST_F(MapLibraryTest, MethodTwoLoadsEveryImageAtOnce)
{
    writeArenas("baseq3", "( { map = A; }, { map = B; }, { map = C; } )");
    UserDefaults::setValue(KZXMapImageLoadingKey, 2);
    auto library = open("baseq3");
    EXPECT_EQ(library->numberOfImagesHeld(), 3);
}
