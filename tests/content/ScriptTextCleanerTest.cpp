#include "content/ScriptTextCleaner.h"

#include <gtest/gtest.h>

using C = ScriptTextCleaner;

TEST(ScriptTextCleaner, StripsOnlyTheFirstOfEachCharacter)
{
    const QString line = QStringLiteral("a\r\nb\r\n;c;");
    EXPECT_EQ(C::stringStrippedFromNewlineChars(line), QStringLiteral("ab\r\n;c;"));
    EXPECT_EQ(C::stringStrippedFromSemicolonChars(line), QStringLiteral("a\r\nb\r\nc;"));
    EXPECT_EQ(C::stringStrippedFrom2SlashComment(QStringLiteral("map \"a//b\" // x")),
              QStringLiteral("map \"a"));
    EXPECT_EQ(C::stringStrippedFrom2SlashComment(QStringLiteral("no comment")),
              QStringLiteral("no comment"));
    EXPECT_EQ(line, QStringLiteral("a\r\nb\r\n;c;")); // the argument is left alone
}

TEST(ScriptTextCleaner, MapPrintoutFormKeepsTabs)
{
    EXPECT_EQ(C::mapStringStrippedToPrintoutForm(QStringLiteral("= \"q3dm1\";\n")),
              QStringLiteral("q3dm1"));
    EXPECT_EQ(C::mapStringStrippedToPrintoutForm(QStringLiteral("\t= \"a b\";\r\n")),
              QStringLiteral("\tab"));
    EXPECT_EQ(C::mapStringStrippedToPrintoutForm(QStringLiteral("\";\n")), QString());
}

TEST(ScriptTextCleaner, Q3F2MapInfoKeepsTheMapInfoBlockOnly)
{
    const QString text = QStringLiteral("mapinfo {\n  map \"q3f_x\"; // c\n longname \"X\";\n"
                                        "}\ngameindexDef 1 {\n type \"ctf\";\n}\n");
    EXPECT_EQ(C::removeJunkFromQ3F2File(text),
              QStringLiteral(" {\n  map \"q3f_x\" \n longname \"X\"\n}\n}\n"));
    // Without "gameindexDef" nothing closes the block.
    EXPECT_EQ(C::removeJunkFromQ3F2File(QStringLiteral("mapinfo {\nmap \"a\";")),
              QStringLiteral(" {\nmap \"a\"\n"));
}

TEST(ScriptTextCleaner, PutsTheFirstOfEachKeywordOnALineOfItsOwn)
{
    EXPECT_EQ(C::stringFormattedWithNewlineChars(
                  QStringLiteral("{ map \"a\" longname \"A\" type \"ffa\" }")),
              QStringLiteral("{ \nmap \"a\" \nlongname \"A\" \ntype \"ffa\" \n}"));
    // Per "{" piece; only the first occurrence; " model" does not split "headmodel".
    EXPECT_EQ(C::stringFormattedWithNewlineChars(
                  QStringLiteral("{ name x headmodel h model m map map }{ map b }")),
              QStringLiteral("{\n name x \nheadmodel h\n model m \nmap map \n}{ \nmap b \n}"));
}
