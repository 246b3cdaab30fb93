#include "config/ConfigArchive.h"
#include "support/RefusingFileSystem.h"
#include "support/TestEnvironment.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

constexpr qsizetype headerSize = 52;
// Payload offsets: the class table holds "ServerConfig" then "ExtraParameter".
constexpr qsizetype serverConfigVersionOffset = 4 + 4 + 24;
constexpr qsizetype extraParameterVersionOffset = serverConfigVersionOffset + 4 + 4 + 28;
constexpr qsizetype dictionaryCountOffset = extraParameterVersionOffset + 4;

ConfigArchive::Store sampleStore()
{
    ServerConfig alfa;
    alfa.setConfigName("Alfa");
    alfa.setMapList({"q3dm1", "q3dm7"});
    alfa.setExtraParameters({ExtraParameter("addbot", "Sarge 3")});
    alfa.setPunkBusterEnabled(true);
    alfa.setDefaultBotSkill(4);
    ServerConfig beta;
    beta.setConfigName("Beta");
    beta.setRadioOptimizeNetwork(1);
    beta.setOptimizeNetwork(25000);
    beta.setSaveAndStartButtonLabel(QString("Start"));
    return {{"Alfa", alfa}, {"Beta", beta}};
}

// An archive around the given payload, with a checksum that matches it.
QByteArray sealed(const QByteArray& payload, quint32 containerVersion = 1)
{
    QByteArray bytes("VOKZVR\r\n");
    QDataStream out(&bytes, QIODevice::WriteOnly | QIODevice::Append);
    out << containerVersion << quint64(payload.size());
    bytes += QCryptographicHash::hash(payload, QCryptographicHash::Sha256);
    return bytes + payload;
}

QByteArray payloadOf(const QByteArray& archive)
{
    return archive.mid(headerSize);
}

void putInt(QByteArray& bytes, qsizetype offset, quint32 value)
{
    qToBigEndian(value, bytes.data() + offset);
}

void expectRefused(const QByteArray& bytes, const char* expectedText = "")
{
    const QString error = ConfigArchive::decode(bytes).error;
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(error.contains(expectedText)) << error.toStdString();
}

} // namespace

TEST(ConfigArchive, RoundTripThroughTheFile)
{
    const QString path =
        TestEnvironment::makeScratchDir("archive") + "/not/yet/there/ServerConfigs.kzvr";
    const ConfigArchive::Store store = sampleStore();
    const Result<void> written = ConfigArchive::write(path, store);
    ASSERT_TRUE(written.ok()) << written.error.toStdString();
    const auto read = ConfigArchive::read(path);
    ASSERT_TRUE(read.ok()) << read.error.toStdString();
    EXPECT_EQ(read.value, store);
    EXPECT_EQ(read.value.value("Beta").optimizeNetwork(), 25000);

    ASSERT_TRUE(ConfigArchive::write(path, {}).ok());
    EXPECT_EQ(ConfigArchive::read(path).value, ConfigArchive::Store());
    EXPECT_EQ(QFileInfo(path).dir().entryList(QDir::Files), QStringList({"ServerConfigs.kzvr"}));
}

TEST(ConfigArchive, ReadsOlderRecordVersions)
{
    for (int version : {1, 4}) {
        const auto read = ConfigArchive::decode(ConfigArchive::encode(sampleStore(), version));
        ASSERT_TRUE(read.ok()) << version;
        const ServerConfig& alfa = read.value.value("Alfa");
        EXPECT_EQ(alfa.defaultBotSkill(), 2);
        EXPECT_EQ(alfa.punkBusterEnabled(), version == 4);
        EXPECT_EQ(alfa.extraParameters(), sampleStore().value("Alfa").extraParameters());
        EXPECT_EQ(read.value.value("Beta").optimizeNetwork(), 25000);
    }
}

TEST(ConfigArchive, MissingFileAndOtherFiles)
{
    const QString dir = TestEnvironment::makeScratchDir("other");
    EXPECT_TRUE(ConfigArchive::read(dir + "/none.kzvr").error.contains("none.kzvr"));

    QFile text(dir + "/text.kzvr");
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("{ Alfa = { fragLimit = 20; }; }");
    text.close();
    const QString error = ConfigArchive::read(text.fileName()).error;
    EXPECT_TRUE(error.contains("not a configuration archive")) << error.toStdString();
    expectRefused(QByteArray());

    // A file where the directory should be cannot be replaced by the archive.
    const Result<void> refused = ConfigArchive::write(text.fileName() + "/ServerConfigs.kzvr", {});
    EXPECT_EQ(refused.error, "Cannot make the directory " + text.fileName() + ": Not a directory");
}

TEST(ConfigArchive, AWriteTheFileSystemRefusesSaysWhyAndKeepsTheOldArchive)
{
    using RefusingFileSystem::Refusal;
    for (const auto& [refusal, reason] :
         {std::pair{Refusal::ReadOnly, QString("Read-only file system")},
          std::pair{Refusal::Full, QString("No space left on device")}}) {
        const QString dir = TestEnvironment::makeScratchDir("refusing");
        const QString path = dir + "/ServerConfigs.kzvr";
        const RefusingFileSystem::Report report =
            RefusingFileSystem::tryWrite(refusal, dir, "archive", path);
        if (!report.skipped.isEmpty())
            GTEST_SKIP() << report.skipped.toStdString();
        ASSERT_TRUE(report.probeFailure.isEmpty()) << report.probeFailure.toStdString();
        // Where the read-only directory is made by chmod, the system says so instead.
        EXPECT_TRUE(report.error.contains(dir) &&
                    (report.error.contains(reason) || report.error.contains("Permission denied")))
            << report.error.toStdString();
        EXPECT_TRUE(report.intact);
        EXPECT_EQ(report.entries, QStringList{"ServerConfigs.kzvr"});
    }
}

TEST(ConfigArchive, EveryTruncationIsRefused)
{
    const QByteArray bytes = ConfigArchive::encode(sampleStore());
    for (qsizetype length = 0; length < bytes.size(); ++length)
        expectRefused(bytes.left(length));
    expectRefused(bytes + '\0', "after its end");
}

TEST(ConfigArchive, FlippedBytesAreDetected)
{
    const QByteArray bytes = ConfigArchive::encode(sampleStore());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        for (char mask : {char(0x01), char(0x80)}) {
            QByteArray damaged = bytes;
            damaged[i] = char(damaged[i] ^ mask);
            expectRefused(damaged, i >= headerSize ? "checksum" : "");
        }
    }
}

TEST(ConfigArchive, NewerVersionsAreRefused)
{
    const QByteArray payload = payloadOf(ConfigArchive::encode(sampleStore()));
    expectRefused(sealed(payload, 2), "newer version");

    QByteArray newerRecords = payload;
    putInt(newerRecords, serverConfigVersionOffset, 6);
    expectRefused(sealed(newerRecords), "ServerConfig objects of version 6");

    QByteArray newerEntries = payload;
    putInt(newerEntries, extraParameterVersionOffset, 1);
    expectRefused(sealed(newerEntries), "ExtraParameter objects of version 1");

    QByteArray impossible = payload;
    putInt(impossible, serverConfigVersionOffset, 0);
    expectRefused(sealed(impossible), "impossible version");
}

TEST(ConfigArchive, ImpossibleContentsAreRefusedEvenWithAMatchingChecksum)
{
    const QByteArray payload = payloadOf(ConfigArchive::encode(sampleStore()));
    ASSERT_TRUE(ConfigArchive::decode(sealed(payload)).ok());

    // Counts and lengths beyond the bytes left must not be believed (nor allocated).
    for (qsizetype offset :
         {qsizetype(0), qsizetype(4), dictionaryCountOffset, dictionaryCountOffset + 4}) {
        QByteArray absurd = payload;
        putInt(absurd, offset, 0xFFFFFFF0u);
        expectRefused(sealed(absurd));
    }

    // Names are UTF-16: "ExtraParameter" becomes "ExteaParameter", the key "Beta" "Alfa".
    QByteArray unknownClass = payload;
    unknownClass.replace(QByteArray::fromHex("0045007800740072"),
                         QByteArray::fromHex("0045007800740065"));
    expectRefused(sealed(unknownClass), "unknown class");

    QByteArray sameName = payload;
    const qsizetype betaKey = sameName.indexOf(QByteArray::fromHex("0042006500740061"));
    ASSERT_GT(betaKey, dictionaryCountOffset);
    sameName.replace(betaKey, 8, QByteArray::fromHex("0041006c00660061"));
    expectRefused(sealed(sameName), "twice");
}

TEST(ConfigArchive, RandomAndMutatedPayloadsNeverCrash)
{
    QRandomGenerator random(20240601);
    for (int round = 0; round < 2000; ++round) {
        QByteArray noise(random.bounded(0, 300), Qt::Uninitialized);
        for (char& byte : noise)
            byte = char(random.bounded(256));
        expectRefused(noise);
        expectRefused(sealed(noise));
    }

    // Every byte of a real payload replaced, with a checksum that matches: some of these
    // still read (a changed letter of a name), the others are refused with a reason.
    const QByteArray payload = payloadOf(ConfigArchive::encode(sampleStore()));
    int refused = 0;
    for (qsizetype i = 0; i < payload.size(); ++i) {
        for (char value : {char(0x00), char(0x07), char(0x7F), char(0xFF)}) {
            QByteArray mutated = payload;
            mutated[i] = value;
            if (!ConfigArchive::decode(sealed(mutated)).ok())
                ++refused;
        }
    }
    EXPECT_GT(refused, 0);
}
