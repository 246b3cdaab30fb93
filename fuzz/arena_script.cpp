// The map database build on any script text: the bytes stand for an arena list, an ".arena"
// file and a ".mapinfo" file at once, joined as the scan joins a mod's scripts, and the
// database text must always read back as a list.
#include "content/ArenaScriptParser.h"
#include "format/PlistReader.h"
#include "content/ScriptFileReader.h"
#include "content/ScriptTextCleaner.h"
#include "fuzz/FuzzSupport.h"

#include <QStringTokenizer>

namespace {

// The rewrites the parser does not call on whole texts, line by line.
void cleanEveryLine(const QString& text)
{
    for (const QStringView view : QStringTokenizer{text, u'\n'}) {
        const QString line = view.toString();
        ScriptTextCleaner::stringStrippedFromSemicolonChars(line);
        ScriptTextCleaner::stringStrippedFrom2SlashComment(line);
        ScriptTextCleaner::mapStringStrippedToPrintoutForm(line);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = ScriptFileReader::decode(FuzzSupport::bytes(data, size));
    QString scriptText = text;
    scriptText += QLatin1Char('\n');
    scriptText += ScriptTextCleaner::stringFormattedWithNewlineChars(text);
    scriptText += QLatin1Char('\n');
    scriptText += ScriptTextCleaner::removeJunkFromQ3F2File(text);

    ArenaScriptParser parser;
    const QString database = parser.plistTextFromArenaText(scriptText, QStringLiteral("baseq3"));
    const PlistReader::Result read = PlistReader::parse(database);
    if (!read.ok() || read.value.typeId() != QMetaType::QVariantList)
        FuzzSupport::fail("the map database does not read back as a list",
                          read.error + QLatin1Char('\n') + database);

    cleanEveryLine(text);
    return 0;
}
