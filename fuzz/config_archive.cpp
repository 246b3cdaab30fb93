// The configuration store's reader on any bytes, once as they stand and once with the
// checksum made to match, so that the fuzzer gets past it into the records. What the reader
// accepts must be written and read again unchanged.
#include "config/ConfigArchive.h"
#include "fuzz/FuzzSupport.h"

#include <QCryptographicHash>

namespace {

// The container's header: magic (8), version (4), payload length (8), SHA-256 (32).
constexpr qsizetype checksumOffset = 20;
constexpr qsizetype headerSize = checksumOffset + 32;

QByteArray withMatchingChecksum(QByteArray bytes)
{
    const QByteArray checksum =
        QCryptographicHash::hash(bytes.mid(headerSize), QCryptographicHash::Sha256);
    bytes.replace(checksumOffset, checksum.size(), checksum);
    return bytes;
}

void decodeAndRewrite(const QByteArray& bytes)
{
    const Result<ConfigArchive::Store> store = ConfigArchive::decode(bytes);
    if (!store.ok())
        return;
    const QByteArray written = ConfigArchive::encode(store.value);
    const Result<ConfigArchive::Store> again = ConfigArchive::decode(written);
    if (!again.ok())
        FuzzSupport::fail("an archive read, written and then refused", again.error);
    if (ConfigArchive::encode(again.value) != written)
        FuzzSupport::fail("an archive read, written and read again changed");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = FuzzSupport::bytes(data, size);
    decodeAndRewrite(bytes);
    if (bytes.size() >= headerSize && bytes.startsWith("VOKZVR\r\n"))
        decodeAndRewrite(withMatchingChecksum(bytes));
    return 0;
}
