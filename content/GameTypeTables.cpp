#include "content/GameTypeTables.h"

namespace {

struct LongnameRule
{
    enum Match
    {
        Equals,
        Contains
    };
    Match match;
    QString pattern;
    QStringList names;
    QStringList numbers;

    bool fits(const QString& modDir) const
    {
        return match == Equals ? modDir == pattern : modDir.contains(pattern, Qt::CaseSensitive);
    }
};

const QList<LongnameRule>& longnameRules()
{
    static const QList<LongnameRule> rules = {
        {LongnameRule::Equals,
         QStringLiteral("q3rally"),
         {QStringLiteral("Deathmatch"), QStringLiteral("Racing Deathmatch"),
          QStringLiteral("Straight Racing"), QStringLiteral("Demolition Derby"),
          QStringLiteral("Capture the Flag")},
         {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
          QStringLiteral("4")}},
        {LongnameRule::Contains,
         QStringLiteral("Q3TC"),
         {QStringLiteral("Free For All"), QStringLiteral("Survivor"),
          QStringLiteral("Team Deathmatch"), QStringLiteral("Capture the Flag"),
          QStringLiteral("Team Survivor")},
         {QStringLiteral("0"), QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5"),
          QStringLiteral("6")}},
        {LongnameRule::Equals,
         QStringLiteral("western"),
         {QStringLiteral("Deathmatch"), QStringLiteral("Team Deathmatch"),
          QStringLiteral("Round Teamplay")},
         {QStringLiteral("0"), QStringLiteral("3"), QStringLiteral("4")}},
        {LongnameRule::Equals,
         QStringLiteral("q3f2"),
         {QStringLiteral("Default")},
         {QStringLiteral("0")}},
        {LongnameRule::Contains,
         QStringLiteral("osp"),
         {QStringLiteral("Free For All"), QStringLiteral("1v1 DM"), QStringLiteral("Teamplay DM"),
          QStringLiteral("Capture the Flag"), QStringLiteral("ClanArena")},
         {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("4"),
          QStringLiteral("5")}},
        {LongnameRule::Contains,
         QStringLiteral("afterwards"),
         {QStringLiteral("Tactical"), QStringLiteral("DeathMatch")},
         {QStringLiteral("0"), QStringLiteral("1")}},
        {LongnameRule::Contains,
         QStringLiteral("freeze"),
         {QStringLiteral("Team Deathmatch Freeze"), QStringLiteral("Capture the Flag Freeze")},
         {QStringLiteral("3"), QStringLiteral("4")}},
    };
    return rules;
}

const GameTypeTables::LongnamesAndNumbers& stockGameTypes()
{
    static const GameTypeTables::LongnamesAndNumbers stock = {
        {QStringLiteral("Free For All"), QStringLiteral("Tournament"),
         QStringLiteral("Team Deathmatch"), QStringLiteral("Capture the Flag")},
        {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("4")}};
    return stock;
}

const QList<QPair<QString, QStringList>>& shortnameRows()
{
    static const QList<QPair<QString, QStringList>> rows = {
        {QStringLiteral("baseq3"),
         {QStringLiteral("ffa"), QStringLiteral("tourney"), QStringLiteral("team"),
          QStringLiteral("ctf")}},
        {QStringLiteral("missionpack"),
         {QStringLiteral("ffa"), QStringLiteral("tourney"), QStringLiteral("team"),
          QStringLiteral("ctf"), QStringLiteral("oneflag"), QStringLiteral("overload"),
          QStringLiteral("harvester")}},
        {QStringLiteral("q3rally"),
         {QStringLiteral("q3r_dm"), QStringLiteral("q3r_racing_dm"), QStringLiteral("q3r_racing"),
          QStringLiteral("q3r_derby"), QStringLiteral("q3r_ctf")}},
        {QStringLiteral("Q3TC"),
         {QStringLiteral("ffa"), QStringLiteral("ffa"), QStringLiteral("team"),
          QStringLiteral("ctf"), QStringLiteral("team")}},
        {QStringLiteral("q3ut"),
         {QStringLiteral("ut_ffa"), QStringLiteral("ut_team"), QStringLiteral("ut_survivor"),
          QStringLiteral("ut_follow"), QStringLiteral("ut_cah"), QStringLiteral("ut_ctf")}},
        {QStringLiteral("reaction"),
         {QStringLiteral("rq3dm"), QStringLiteral("rq3tdm"), QStringLiteral("rq3tp"),
          QStringLiteral("rq3ctb")}},
        {QStringLiteral("seals"), {QStringLiteral("team"), QStringLiteral("ops")}},
        {QStringLiteral("osp"),
         {QStringLiteral("ffa"), QStringLiteral("tourney"), QStringLiteral("team"),
          QStringLiteral("ctf"), QStringLiteral("clanarena")}},
        {QStringLiteral("alliance"),
         {QStringLiteral("ffa"), QStringLiteral("tourney"), QStringLiteral("team"),
          QStringLiteral("ctf"), QStringLiteral("oneflag")}},
        {QStringLiteral("afterwards"), {QStringLiteral("aw_tactical"), QStringLiteral("aw_dm")}},
        {QStringLiteral("freeze"), {QStringLiteral("team"), QStringLiteral("ctf")}},
        {QStringLiteral("InstaGibPlus"),
         {QStringLiteral("ffa"), QStringLiteral("tourney"), QStringLiteral("team"),
          QStringLiteral("ctf")}},
    };
    return rows;
}

GameTypeKeywordRow row(const char* key, std::initializer_list<const char*> values)
{
    GameTypeKeywordRow made{QString::fromLatin1(key), {}};
    for (const char* value : values)
        made.values.append(QString::fromLatin1(value));
    return made;
}

} // namespace

const QList<QPair<QString, QString>>& GameTypeTables::knownMods()
{
    static const QList<QPair<QString, QString>> mods = {
        {QStringLiteral("baseq3"), QStringLiteral("Quake 3 Arena")},
        {QStringLiteral("missionpack"), QStringLiteral("Quake 3: Team Arena")},
        {QStringLiteral("q3ut2"), QStringLiteral("Urban Terror")},
        {QStringLiteral("q3f2"), QStringLiteral("Quake 3 Fortress 2")},
        {QStringLiteral("seals"), QStringLiteral("Navy Seals")},
        {QStringLiteral("truecombat"), QStringLiteral("True Combat")},
        {QStringLiteral("q3rally"), QStringLiteral("Quake 3 Rally")},
        {QStringLiteral("reaction"), QStringLiteral("Reaction Quake 3")},
        {QStringLiteral("osp"), QStringLiteral("OSP")},
        {QStringLiteral("western"), QStringLiteral("Western Q3")},
        {QStringLiteral("afterwards"), QStringLiteral("Afterwards")},
        {QStringLiteral("alliance"), QStringLiteral("Alliance")},
        {QStringLiteral("freeze"), QStringLiteral("Freeze Tag")},
        {QStringLiteral("instagibplus"), QStringLiteral("InstaGib+")},
    };
    return mods;
}

std::optional<QString> GameTypeTables::knownModLongname(const QString& modDir)
{
    for (const auto& [dir, longname] : knownMods())
        if (dir == modDir)
            return longname;
    return std::nullopt;
}

GameTypeTables::LongnamesAndNumbers
GameTypeTables::builtInLongnamesAndNumbers(const QString& modDir)
{
    for (const LongnameRule& rule : longnameRules())
        if (rule.fits(modDir))
            return {rule.names, rule.numbers};
    return stockGameTypes();
}

std::optional<QStringList> GameTypeTables::shortnamesForMod(const QString& modDir)
{
    std::optional<QStringList> found;
    for (const auto& [prefix, shortnames] : shortnameRows())
        if (modDir.startsWith(prefix, Qt::CaseSensitive))
            found = shortnames;
    return found;
}

const GameTypeKeywordTable& GameTypeTables::limits()
{
    static const GameTypeKeywordTable table = {
        row("Free For All", {"20", "0", "0", "8"}),
        row("Round Teamplay", {"20", "0", "0", "8"}),
        row("Freeze", {"0", "0", "8", "16"}),
        row("Team DM", {"40", "0", "0", "12"}),
        row("Team Deathmatch", {"40", "0", "0", "12"}),
        row("Teamplay DM", {"40", "0", "0", "12"}),
        row("Capture", {"0", "0", "8", "16"}),
        row("CTF", {"0", "0", "8", "16"}),
        row("Flag", {"0", "0", "8", "16"}),
        row("Follow the Leader", {"0", "0", "8", "16"}),
        row("Team Survivor", {"20", "0", "0", "8"}),
        row("CTB", {"0", "0", "8", "16"}),
        row("Tournament", {"0", "15", "0", "8"}),
        row("Tourney", {"0", "15", "0", "8"}),
        row("Harvester", {"0", "0", "8", "16"}),
        row("Overload", {"0", "0", "8", "16"}),
        row("Deathmatch", {"20", "0", "0", "8"}),
        row("Default", {"0", "15", "0", "12"}),
    };
    return table;
}

const GameTypeKeywordTable& GameTypeTables::enableFlags()
{
    static const GameTypeKeywordTable table = {
        row("Free For All", {"1", "0"}),
        row("Freeze", {"0", "1"}),
        row("Team Deathmatch", {"1", "0"}),
        row("Team DM", {"1", "0"}),
        row("Capture", {"0", "1"}),
        row("CTF", {"0", "1"}),
        row("Flag", {"0", "1"}),
        row("Tournament", {"1", "0"}),
        row("Tourney", {"1", "0"}),
        row("Harvester", {"0", "1"}),
        row("Overload", {"0", "1"}),
        row("Deathmatch", {"1", "0"}),
        row("Default", {"1", "1"}),
    };
    return table;
}

QStringList GameTypeTables::lookup(const GameTypeKeywordTable& table, const QString& longname)
{
    const GameTypeKeywordRow* fallback = nullptr;
    for (const GameTypeKeywordRow& entry : table) {
        if (entry.key == QLatin1String("Default"))
            fallback = &entry;
        if (longname.contains(entry.key, Qt::CaseSensitive))
            return entry.values;
    }
    return fallback ? fallback->values : QStringList();
}

const QStringList& GameTypeTables::singlePlayerTypeSuffixes()
{
    static const QStringList suffixes = {QStringLiteral("ffa"), QStringLiteral("1v1"),
                                         QStringLiteral("tourney"), QStringLiteral("q3dm")};
    return suffixes;
}
