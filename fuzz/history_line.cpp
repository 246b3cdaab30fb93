// The lines of a player history file: any line that reads as a sample writes back as a line
// that reads as the same sample, with one line feed and the map within its bound.
#include "fuzz/FuzzSupport.h"
#include "server/PlayerHistory.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input = FuzzSupport::bytes(data, size);
    for (const QByteArray& line : input.split('\n')) {
        const std::optional<HistorySample> sample = PlayerHistory::decodedLine(line);
        if (!sample)
            continue;
        if (sample->map.size() > PlayerHistory::mapLength || sample->people < 0 || sample->bots < 0)
            FuzzSupport::fail("a sample outside its bounds", QString::fromLatin1(line));
        const QByteArray written = PlayerHistory::encodedLine(*sample);
        if (written.count('\n') != 1 || !written.endsWith('\n'))
            FuzzSupport::fail("a written line that is not one line", QString::fromLatin1(written));
        if (PlayerHistory::decodedLine(written) != sample)
            FuzzSupport::fail("a sample that does not read back", QString::fromLatin1(line));
    }
    return 0;
}
