#include "server/ConsoleText.h"

#include <gtest/gtest.h>

TEST(ConsoleText, AsciiFormsKeepWhatCanBeKept)
{
    const struct
    {
        QString in;
        QString out;
    } cases[] = {
        {QStringLiteral("plain ASCII ~!@#"), QStringLiteral("plain ASCII ~!@#")},
        {QStringLiteral("éàüÅçñ"), QStringLiteral("eauAcn")},
        {QStringLiteral("e\u0301"), QStringLiteral("e")}, // already decomposed
        {QStringLiteral("Straße Œuvre Łódź"), QStringLiteral("Strasse OEuvre Lodz")},
        {QStringLiteral("ﬁ ① ™ \u00a0"), QStringLiteral("fi 1 TM  ")},
        // One '?' per character, also outside the basic plane and for a broken surrogate.
        {QStringLiteral("日本 😀 ½"), QStringLiteral("?? ? ?")},
        {QString(QChar(0xd800)) + QLatin1Char('x'), QStringLiteral("?x")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ConsoleText::toAscii(c.in), c.out) << c.in.toStdString();
}

TEST(ConsoleText, ValuesLoseOnlyWhatWouldEndThem)
{
    // Folded forms are shaped after folding: a full-width quote is a quote.
    EXPECT_EQ(ConsoleText::quotedValue(QStringLiteral("a\"b\uff02c;d/*e\tf\x7f")),
              QStringLiteral("a'b'c;d/*e f "));
    // A bare value runs with more of its command after it: "//" would end the command too.
    EXPECT_EQ(ConsoleText::bareValue(QStringLiteral("a\"b;c/*d//e///f")),
              QStringLiteral("a'b c/ d/ e/ /f"));
    EXPECT_EQ(ConsoleText::command(QStringLiteral("sv_dlURL http://x")),
              QStringLiteral("sv_dlURL http://x"));
    EXPECT_EQ(ConsoleText::command(QStringLiteral("say \"a;b /*c\" d;e /*f\nquit")),
              QStringLiteral("say \"a;b /*c\" d e / f quit"));
    // Inside an unclosed quote a separator is harmless: the quote ends with the line.
    EXPECT_EQ(ConsoleText::command(QStringLiteral("x \"open;")), QStringLiteral("x \"open;"));
}

TEST(ConsoleText, LinesAreCutInTheirValueOnly)
{
    const QString value(2000, QLatin1Char('v'));
    const QString line = ConsoleText::line(QStringLiteral("head \""), value, QStringLiteral("\""));
    EXPECT_EQ(line.size(), ConsoleText::maxLineLength + 1);
    EXPECT_TRUE(line.startsWith(QStringLiteral("head \"vvv")));
    EXPECT_TRUE(line.endsWith(QStringLiteral("vvv\"\n")));
    EXPECT_EQ(ConsoleText::line(QStringLiteral("a "), QStringLiteral("b")),
              QStringLiteral("a b\n"));
}
