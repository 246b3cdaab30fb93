#include "format/PlistReader.h"
#include "format/PlistWriter.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QRandomGenerator>
#include <QVariantList>
#include <QVariantMap>

#include <gtest/gtest.h>

namespace {

QVariant parsed(const QString& text)
{
    const PlistReader::Result result = PlistReader::parse(text);
    EXPECT_TRUE(result.ok()) << result.error.toStdString() << " at line " << result.line
                             << " column " << result.column << " in: " << text.toStdString();
    return result.value;
}

} // namespace

TEST(PlistReader, ReadsTheWholeOldStyleSyntax)
{
    const QVariant value = parsed(QStringLiteral(R"(
        // a line comment
        {
            plain = q3dm17;            /* a block
                                          comment */
            "quoted key" = "a \"quoted\" value\twith\\escapes\n";
            octal = "\101\102";
            unicode = "\U00e9t\U00E9";
            list = ( one, "two", (nested, list), { inner = dict; }, );
            empty = ();
            emptyDict = {};
            data = <0fa0 01>;
            path = /usr/share/games-1.0:x;
        }
    )"));
    const QVariantMap map = value.toMap();
    EXPECT_EQ(map.value("plain").toString(), "q3dm17");
    EXPECT_EQ(map.value("quoted key").toString(), "a \"quoted\" value\twith\\escapes\n");
    EXPECT_EQ(map.value("octal").toString(), "AB");
    EXPECT_EQ(map.value("unicode").toString(), QString::fromUtf8("été"));
    const QVariantList list = map.value("list").toList();
    ASSERT_EQ(list.size(), 4);
    EXPECT_EQ(list.at(2).toList(), (QVariantList{"nested", "list"}));
    EXPECT_EQ(list.at(3).toMap().value("inner").toString(), "dict");
    EXPECT_TRUE(map.value("empty").toList().isEmpty());
    EXPECT_EQ(map.value("emptyDict").typeId(), QMetaType::QVariantMap);
    EXPECT_EQ(map.value("data").toByteArray(), QByteArray::fromHex("0fa001"));
    EXPECT_EQ(map.value("path").toString(), "/usr/share/games-1.0:x");
}

TEST(PlistReader, ReadsTheArenaDatabaseForm)
{
    const QVariant value =
        parsed(QStringLiteral("(\n{map= \"q3dm0\";\nlongname= \"Introduction\";\n}\n,\n{\nmap= "
                              "\"q3dm1\";\ntype= \"ffa\";\n}\n)\n"));
    const QVariantList maps = value.toList();
    ASSERT_EQ(maps.size(), 2);
    EXPECT_EQ(maps.at(0).toMap().value("longname").toString(), "Introduction");
    EXPECT_EQ(maps.at(1).toMap().value("type").toString(), "ffa");
}

TEST(PlistReader, ReportsMalformedInputWithItsPosition)
{
    struct Case
    {
        const char* text;
        int line;
        int column;
    };
    const Case cases[] = {
        {"{ a = b }", 1, 9},                // missing ';'
        {"{\n  name = Big Bob;\n}", 2, 14}, // unquoted value with a blank
        {"( a, b", 1, 7},                   // unterminated array
        {"\"open", 1, 6},                   // unterminated string
        {"( a b )", 1, 5},                  // missing ','
        {"{ = b; }", 1, 3},                 // missing key
        {"a b", 1, 3},                      // text after the value
        {"", 1, 1},                         // nothing at all
        {"/* never closed", 1, 1},          // unterminated comment
        {"<abc>", 1, 6},                    // odd number of hex digits
        {"{ a = b; } }", 1, 12},            // stray closing brace
        {"}", 1, 1},
    };
    for (const Case& c : cases) {
        const PlistReader::Result result = PlistReader::parse(QString::fromUtf8(c.text));
        EXPECT_FALSE(result.ok()) << c.text;
        EXPECT_FALSE(result.error.isEmpty()) << c.text;
        EXPECT_EQ(result.line, c.line) << c.text << ": " << result.error.toStdString();
        EXPECT_EQ(result.column, c.column) << c.text << ": " << result.error.toStdString();
    }
}

TEST(PlistReader, RefusesNestingDeeperThanItCanHandle)
{
    const QString deep = QString(100000, QLatin1Char('(')) + QString(100000, QLatin1Char(')'));
    EXPECT_FALSE(PlistReader::parse(deep).ok());
    const QString fine = QString(200, QLatin1Char('(')) + QString(200, QLatin1Char(')'));
    EXPECT_TRUE(PlistReader::parse(fine).ok());
}

TEST(PlistReader, ReadsStringsTables)
{
    const PlistReader::Result result = PlistReader::parseStrings(
        QStringLiteral("/* table */\n\"Key\" = \"Text with %@\";\nOther = \"x\";\n"));
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(result.value.toMap().value("Key").toString(), "Text with %@");
    EXPECT_EQ(result.value.toMap().size(), 2);
    EXPECT_TRUE(PlistReader::parseStrings(QString()).ok());
    EXPECT_FALSE(PlistReader::parseStrings(QStringLiteral("\"Key\" = \"x\"")).ok());
}

TEST(PlistReader, NeverCrashesOnRandomBytes)
{
    QRandomGenerator random(20261208);
    static const char symbols[] = "(){}=;,\"\\/*<>abc 019\n\t\x00\xff";
    const QByteArray alphabet(symbols, sizeof symbols - 1);
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes(int(random.bounded(200)), Qt::Uninitialized);
        for (char& b : bytes)
            b = round % 2 ? char(random.bounded(256))
                          : alphabet.at(int(random.bounded(alphabet.size())));
        const PlistReader::Result result = PlistReader::parse(bytes);
        if (!result.ok()) {
            EXPECT_GE(result.line, 1);
            EXPECT_GE(result.column, 1);
        }
    }
}

TEST(PlistWriter, WhatItWritesReadsBackUnchanged)
{
    QVariantMap inner{{"empty", QString()},
                      {"tricky", "quote \" backslash \\ tab \t nl \n bell \x07"}};
    const QVariantMap value{
        {"plain", "q3dm17"},
        {"with blank", "Big Bob"},
        {"unicode", QString::fromUtf8("Crème brûlée")},
        {"list", QVariantList{"a", QVariantList{}, inner, QVariantMap{}}},
        {"strings", QStringList{"master.example.org", "", "", "", ""}},
        {"data", QByteArray("\x00\x01\xfe", 3)},
        {"inner", inner},
    };
    const QString text = PlistWriter::write(value);
    const PlistReader::Result result = PlistReader::parse(text);
    ASSERT_TRUE(result.ok()) << result.error.toStdString() << "\n" << text.toStdString();
    QVariantMap expected = value;
    expected.insert("strings", QVariantList{"master.example.org", "", "", "", ""});
    EXPECT_EQ(result.value, QVariant(expected));
}

TEST(PlistWriter, CommentMarksAndSignsReadBack)
{
    // Unquoted, these would read as comments; "+" is a plain word character of the grammar.
    const QVariantMap value{{"p", "//01"},     {"q", "/*x*/"},       {"r", "a//b"},
                            {"s", "a/*b"},     {"t", "+10"},         {"u", "a+b-c"},
                            {"v", "http://x"}, {"w", "path/to/map"}, {"+k", "/"}};
    const QString text = PlistWriter::write(value);
    EXPECT_TRUE(text.contains("p = \"//01\";")) << text.toStdString();
    EXPECT_TRUE(text.contains("t = +10;")) << text.toStdString();
    EXPECT_TRUE(text.contains("w = path/to/map;")) << text.toStdString();
    EXPECT_EQ(parsed(text), QVariant(value));
}

TEST(PlistReader, EveryUnquotedCharacterOfTheGrammarIsRead)
{
    const QString word = "azAZ09_$+/:.-";
    EXPECT_EQ(parsed("{ " + word + " = " + word + "; list = (" + word + ", +1); }"),
              QVariant(QVariantMap{{word, word}, {"list", QVariantList{word, "+1"}}}));
}

TEST(PlistWriter, WritesFilesWhole)
{
    const QString dir = TestEnvironment::makeScratchDir("plist");
    const QString path = dir + "/out.plist";
    ASSERT_TRUE(PlistWriter::writeFile(path, QVariantList{"x", "y z"}).ok());
    const PlistReader::Result result = PlistReader::parseFile(path);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.value.toList(), (QVariantList{"x", "y z"}));
    const Result<void> refused = PlistWriter::writeFile(dir + "/missing/dir/out.plist", QString("x"));
    EXPECT_TRUE(refused.error.contains("/missing/dir: No such file or directory"))
        << refused.error.toStdString();
    EXPECT_FALSE(PlistReader::parseFile(dir + "/missing.plist").ok());
}
