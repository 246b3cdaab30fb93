#include "config/ConfigFileName.h"
#include "config/NetAddress.h"
#include "config/VisibleText.h"

#include <QRandomGenerator>
#include <QStringList>

#include <gtest/gtest.h>

TEST(NetAddress, HostNamesAndAddressesOnly)
{
    for (const char* good : {"", "localhost", "127.0.0.1", "0.0.0.0", "192.168.1.20",
                             "example.com", "my-host.lan.", "host_1", "::1", "2001:db8::7",
                             "fe80::1%eth0"})
        EXPECT_TRUE(NetAddress::isHostNameOrAddress(QString::fromUtf8(good))) << good;
    // What reached the server's console through its command line, and other non-addresses.
    for (const char* bad :
         {"127.0.0.1\necho\tINJECTED", "127.0.0.1 +echo X", "\"127.0.0.1 +echo X\"",
          "127.0.0.1+echo", "127.0.0.1\rquit", "127.0.0.1;quit", " localhost", "localhost ",
          "1.2.3", "256.1.1.1", "1.2.3.4.5", "a..b", "-host", "host-", ".", "h\xc3\xb6st",
          "::1 +quit", "fe80::1%eth0 +x"})
        EXPECT_FALSE(NetAddress::isHostNameOrAddress(QString::fromUtf8(bad))) << bad;
    EXPECT_FALSE(NetAddress::isHostNameOrAddress(QString(64, 'a')));
    const QString label(63, 'a');
    EXPECT_TRUE(NetAddress::isHostNameOrAddress(QStringList(3, label).join('.')));
    EXPECT_FALSE(NetAddress::isHostNameOrAddress(QStringList(4, label).join('.')));

    const QString message = NetAddress::refusalMessage("127.0.0.1\necho\tINJECTED");
    EXPECT_TRUE(message.contains("'127.0.0.1\\necho\\tINJECTED'")) << message.toStdString();
}

TEST(ConfigFileName, EveryNameGivesAFileTheServerCanExec)
{
    struct Case
    {
        QString name;
        QString file;
    };
    const Case cases[] = {
        {"My Server", "VO_My_Server.config"},
        {"v1..2", "VO_v1._2.config"},
        {"a::b", "VO_a:_b.config"},
        {"a...b:::c", "VO_a._.b:_:c.config"},
        {"ends.", "VO_ends_.config"},
        {"..", "VO_._.config"},
        {"../x", "VO_.__x.config"},
        {"back\\slash", "VO_back_slash.config"},
        {"my q3key", "VO_my_q3ke_.config"},
        {"CTF-4:x.y+ü", "VO_CTF-4:x.y+ü.config"},
    };
    for (const Case& c : cases) {
        const QString file = ConfigFileName::forConfigName(c.name);
        EXPECT_EQ(file, c.file) << c.name.toStdString();
        EXPECT_TRUE(ConfigFileName::isExecutable(file)) << file.toStdString();
    }

    // Only the length can be too much: the server cuts an exec name after 63 bytes.
    const QString longest(53, 'x');
    EXPECT_EQ(ConfigFileName::execLength(ConfigFileName::forConfigName(longest)), 63);
    EXPECT_TRUE(ConfigFileName::isExecutable(ConfigFileName::forConfigName(longest)));
    EXPECT_FALSE(ConfigFileName::isExecutable(ConfigFileName::forConfigName(longest + "x")));
    const QString friday = "Friday Night Capture The Flag Server For Friends And Family";
    EXPECT_FALSE(ConfigFileName::isExecutable(ConfigFileName::forConfigName(friday)));
    // Bytes count, not characters.
    EXPECT_FALSE(ConfigFileName::isExecutable(ConfigFileName::forConfigName(QString(30, u'ü'))));

    // Whatever the name, the file stays in its directory and holds nothing the server refuses.
    QRandomGenerator random(12);
    const QString alphabet = QStringLiteral(" ./\\:\"\n\tq3key._-x");
    for (int i = 0; i < 5000; ++i) {
        QString name;
        for (int n = int(random.bounded(1, 20)); n > 0; --n)
            name += alphabet.at(random.bounded(int(alphabet.size())));
        const QString file = ConfigFileName::forConfigName(name);
        ASSERT_TRUE(ConfigFileName::isExecutable(file) ||
                    ConfigFileName::execLength(file) > ConfigFileName::maxExecNameLength)
            << file.toStdString();
        ASSERT_FALSE(file.contains('/') || file.contains('\\') || file.contains('"') ||
                     file.contains('\n') || file.contains(' '))
            << file.toStdString();
        ASSERT_TRUE(file.startsWith("VO_") && file.endsWith(".config")) << file.toStdString();
    }
}

TEST(VisibleText, ControlCharactersShowAsEscapes)
{
    EXPECT_EQ(VisibleText::escaped("plain ^1name"), "plain ^1name");
    EXPECT_EQ(VisibleText::escaped("two\nlines\tand\r\x1b[2J\x07"),
              "two\\nlines\\tand\\r\\e[2J\\x07");
    EXPECT_EQ(VisibleText::escaped(QString("a") + QChar(0x9b) + "b\\"), "a\\x9bb\\\\");
    EXPECT_EQ(VisibleText::escapedKeepingLines("map: q3dm1\n\x1b]0;owned\x07\n"),
              "map: q3dm1\n\\e]0;owned\\x07\n");
}
