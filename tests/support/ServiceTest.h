#pragma once

#include "support/PrivateServiceManager.h"
#include "support/RealServer.h"

// A test of real servers hosted by a service manager of its own, which ends before the
// test's servers are reaped.
class ServiceTest : public RealServer::Test
{
protected:
    void SetUp() override
    {
        RealServer::Test::SetUp();
        ASSERT_TRUE(manager.ready()) << manager.error().toStdString();
    }

    // Whether the server on port answers its console with a status.
    static bool answers(int port, const QByteArray& password = "secret")
    {
        return RealServer::rcon(port, password, "status", 20000).startsWith("map: ");
    }

    PrivateServiceManager manager;
};
