// The property-list reader on any bytes: it reads the game's and the user's files (game
// preferences, databases a user may edit, string tables) and must report, never crash.
#include "format/PlistReader.h"
#include "fuzz/FuzzSupport.h"

namespace {

void checkResult(const PlistReader::Result& result, qsizetype textSize)
{
    if (result.ok()) {
        if (!result.value.isValid())
            FuzzSupport::fail("a text that parsed gave no value");
        return;
    }
    if (result.offset < 0 || result.offset > textSize || result.line < 1 || result.column < 1)
        FuzzSupport::fail("an error position outside the text",
                          QStringLiteral("offset %1 of %2, line %3, column %4")
                              .arg(result.offset)
                              .arg(textSize)
                              .arg(result.line)
                              .arg(result.column));
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
    const QString text = QString::fromUtf8(bytes);
    checkResult(PlistReader::parse(bytes), text.size());
    checkResult(PlistReader::parseStrings(text), text.size());
    return 0;
}
