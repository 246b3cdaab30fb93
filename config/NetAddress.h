#pragma once

#include <QString>

// The server address of a configuration (netIP): the server gets it on its command line and
// in its configuration file, so it may only be what an address is. Anything else, a blank,
// '+', a quote or a line break above all, could add a console command to the server's start.
class NetAddress
{
public:
    NetAddress() = delete;

    // Whether text is a host name (labels of letters, digits, '-' and '_', split by '.'; 253
    // characters at most), an IPv4 or an IPv6 address; "" counts too, as "no address given".
    static bool isHostNameOrAddress(const QString& text);

    // The message that refuses text, from the string table.
    static QString refusalTitle();
    static QString refusalMessage(const QString& text);
};
