// A mod's gameinfo.txt: the game-type list as the parser reads it, and the game types a mod
// gets from the file when its data directory holds one.
#include "content/GameInfoParser.h"
#include "content/GameTypeMenu.h"
#include "content/GameTypes.h"
#include "fuzz/FuzzSupport.h"

namespace {

class CountingMenu : public GameTypeMenu
{
public:
    void removeAllItems() override { m_items = 0; }
    void addItem(const QString&, int) override { ++m_items; }
    void selectItem(int index) override
    {
        if (index < 0 || index >= m_items)
            FuzzSupport::fail("a menu item selected that is not there");
    }

private:
    int m_items = 0;
};

QString& modDirectory()
{
    static QString dir = FuzzSupport::directory(QStringLiteral("game/baseq3"));
    return dir;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::initialize(argc, argv);
    modDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = FuzzSupport::bytes(data, size);
    const QString text = GameInfoParser::decode(bytes);
    for (const GameInfoParser::Entry& entry : GameInfoParser::parse(text).entries) {
        if (entry.name.size() + entry.numberText.size() > text.size())
            FuzzSupport::fail("an entry longer than the text", entry.name);
    }

    // Reading the file costs a megabyte's buffer each time (the file-size bound), which made
    // the harness a hundred times slower: one input length in sixteen takes that way.
    if (size % 16 != 0)
        return 0;
    FuzzSupport::writeFile(modDirectory() + QStringLiteral("/gameinfo.txt"), bytes);
    const GameTypes types(modDirectory());
    if (types.gametypeNumbers().size() != types.gametypeNames().size())
        FuzzSupport::fail("game-type names and numbers differ in number");
    for (const QString& name : types.gametypeNames()) {
        types.gametypeShortnameForLongname(name);
        types.gametypeLimitsForLongname(name);
        types.gametypeEnableFlagsForLongname(name);
    }
    for (const QString& number : types.gametypeNumbers())
        GameTypes::integerValue(number);
    CountingMenu menu;
    types.setGameTypeMenuItems(menu);
    return 0;
}
