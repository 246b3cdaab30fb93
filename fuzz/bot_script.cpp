// The bot database build on any script text; the database must always read back as a list.
#include "content/BotScriptParser.h"
#include "format/PlistReader.h"
#include "content/ScriptFileReader.h"
#include "content/ScriptTextCleaner.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = ScriptFileReader::decode(FuzzSupport::bytes(data, size));
    // As bots.txt followed by the same bytes as a ".bot" file.
    const QString scriptText = text + QLatin1Char('\n') +
                               ScriptTextCleaner::stringFormattedWithNewlineChars(text);
    const QString database = BotScriptParser::plistTextFromBotText(scriptText);
    const PlistReader::Result read = PlistReader::parse(database);
    if (!read.ok() || read.value.typeId() != QMetaType::QVariantList)
        FuzzSupport::fail("the bot database does not read back as a list",
                          read.error + QLatin1Char('\n') + database);
    return 0;
}
