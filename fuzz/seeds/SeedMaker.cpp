// Writes the generated seeds of the fuzz corpora: configuration archives of every record
// version made by the archive's own writer, small pk3 archives (a sound one and a hostile
// one) and small TGA pictures of every kind the decoder reads.
//
//   cmake --build build-fuzz --target fuzz_seed_maker && build-fuzz/fuzz/fuzz_seed_maker fuzz/corpus
#include "config/ConfigArchive.h"
#include "fuzz/FuzzSupport.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <sys/stat.h>
#include <zip.h>

namespace {

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        FuzzSupport::fail("cannot write a seed", path);
}

// ---- configuration archives

ConfigArchive::Store sampleStore()
{
    ServerConfig ffa;
    ffa.setConfigName(QStringLiteral("Friday FFA"));
    ffa.setServerName(QStringLiteral("^1Friday ^7FFA"));
    ffa.setRconPassword(QStringLiteral("k3Xq9"));
    ffa.setMapList({QStringLiteral("oa_dm1"), QStringLiteral("oa_rpg3dm2")});
    ffa.setExtraParameters({ExtraParameter(QStringLiteral("g_gravity"), QStringLiteral("600")),
                            ExtraParameter(QStringLiteral("addbot"), QStringLiteral("sarge 3"))});
    ffa.setModParameters({QStringLiteral("one"), QVariantList{QStringLiteral("two")}});
    ServerConfig ctf;
    ctf.setConfigName(QStringLiteral("CTF \"quoted\"; $(x)"));
    ctf.setGameType(4);
    ctf.setWelcomeText(QStringLiteral("line one\nline two"));
    return {{ffa.configName(), ffa}, {ctf.configName(), ctf}};
}

void writeArchives(const QString& dir)
{
    const ConfigArchive::Store store = sampleStore();
    for (int version = ServerConfig::oldestClassVersion; version <= ServerConfig::classVersion;
         version += 2)
        write(dir + QStringLiteral("/two-configs-v%1.kzvr").arg(version),
              ConfigArchive::encode(store, version));
    write(dir + QStringLiteral("/empty.kzvr"), ConfigArchive::encode({}));
}

// ---- pk3 archives

struct Member
{
    const char* name;
    QByteArray data;
    bool deflate = true;
    bool symlink = false;
};

void writePk3(const QString& path, const QList<Member>& members)
{
    QFile::remove(path);
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_EXCL, &error);
    if (!archive)
        FuzzSupport::fail("cannot create a pk3", path);
    for (const Member& member : members) {
        // libzip reads the data at zip_close, while the members are still there.
        zip_source_t* source =
            zip_source_buffer(archive, member.data.constData(), zip_uint64_t(member.data.size()), 0);
        const zip_int64_t index = zip_file_add(archive, member.name, source, ZIP_FL_ENC_UTF_8);
        if (index < 0)
            FuzzSupport::fail("cannot add a pk3 member", QString::fromUtf8(member.name));
        zip_set_file_compression(archive, zip_uint64_t(index),
                                 member.deflate ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 9);
        zip_file_set_mtime(archive, zip_uint64_t(index), 1200000000, 0);
        if (member.symlink)
            zip_file_set_external_attributes(archive, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX,
                                             zip_uint32_t(S_IFLNK | 0777) << 16);
    }
    if (zip_close(archive) != 0)
        FuzzSupport::fail("cannot write a pk3", path);
}

QByteArray tinyTga();

void writePaks(const QString& dir)
{
    writePk3(dir + QStringLiteral("/sound.pk3"),
             {{"scripts/arenas.txt", "{\nmap \"oa_dm1\"\nlongname \"Two Deaths\"\n}\n"},
              {"scripts/extra.arena", "{ map \"x\" type \"ffa\" }", false},
              {"scripts/bots.txt", "{\nname\t\tSarge\n}\n"},
              {"levelshots/oa_dm1.tga", tinyTga(), false},
              {"gameinfo.txt", "gametypes\n{\n{ \"Free For All\" 0 }\n}\n"},
              {"maps/oa_dm1.cfg", "map oa_dm1\n"},
              {"maps/sub/deep.mapinfo", "mapinfo\n{\nmap \"deep\";\n}\n"},
              {"textures/skipped.jpg", "not selected"}});
    writePk3(dir + QStringLiteral("/hostile.pk3"),
             {{"scripts/../../escape.txt", "up"},
              {"scripts/link.txt", "/etc/passwd", false, true},
              {"scripts\\back.txt", "backslash"},
              {"scripts/bomb.txt", QByteArray(2 * 1024 * 1024, '\0')},
              {"scripts/arenas.txt", "{ map \"kept\" }"}});
}

// ---- TGA pictures

QByteArray tgaHeader(int type, int width, int height, int depth, int descriptor, int idLength = 0)
{
    QByteArray header(18, '\0');
    header[0] = char(idLength);
    header[2] = char(type);
    header[12] = char(width & 0xff);
    header[13] = char(width >> 8);
    header[14] = char(height & 0xff);
    header[15] = char(height >> 8);
    header[16] = char(depth);
    header[17] = char(descriptor);
    return header;
}

QByteArray pixels(int count, int bytesPerPixel)
{
    QByteArray data;
    for (int i = 0; i < count * bytesPerPixel; ++i)
        data.append(char(i * 37 + 11));
    return data;
}

QByteArray tinyTga()
{
    return tgaHeader(2, 4, 3, 24, 0) + pixels(12, 3);
}

void writeTgas(const QString& dir)
{
    write(dir + QStringLiteral("/raw-24.tga"), tinyTga());
    const QByteArray footer = QByteArray(8, '\0') + QByteArray("TRUEVISION-XFILE.") + '\0';
    write(dir + QStringLiteral("/raw-32-top-right-id-footer.tga"),
          tgaHeader(2, 3, 2, 32, 0x38, 5) + "ident" + pixels(6, 4) + footer);
    write(dir + QStringLiteral("/raw-16.tga"), tgaHeader(2, 2, 2, 16, 0) + pixels(4, 2));
    write(dir + QStringLiteral("/grey-8.tga"), tgaHeader(3, 3, 3, 8, 0x20) + pixels(9, 1));
    // Run-length: a repeat packet of 5, then a raw packet of 3.
    write(dir + QStringLiteral("/rle-24.tga"), tgaHeader(10, 4, 2, 24, 0) + char(0x84) +
                                                   pixels(1, 3) + char(0x02) + pixels(3, 3));
    write(dir + QStringLiteral("/rle-grey.tga"),
          tgaHeader(11, 4, 1, 8, 0) + char(0x81) + "\x40" + char(0x01) + "\x80\xc0");
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
        return 2;
    }
    FuzzSupport::initialize(&argc, &argv);
    const QString corpus = QFile::decodeName(argv[1]);
    writeArchives(corpus + QStringLiteral("/config_archive"));
    writePaks(corpus + QStringLiteral("/pak_extractor"));
    writeTgas(corpus + QStringLiteral("/tga_decoder"));
    return 0;
}
