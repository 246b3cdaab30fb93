// The level-shot decoder on any bytes: a picture or a null image, never a crash.
#include "content/TgaDecoder.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QImage image = TgaDecoder::decode(FuzzSupport::bytes(data, size));
    if (!image.isNull() &&
        (image.width() > TgaDecoder::maximumSide || image.height() > TgaDecoder::maximumSide))
        FuzzSupport::fail("a picture larger than the decoder believes");
    return 0;
}
