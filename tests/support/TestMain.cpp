#include "config/UserDefaults.h"
#include "support/TestEnvironment.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace {

// Gives every test a home of its own before it starts.
class FreshHomeForEachTest : public ::testing::EmptyTestEventListener
{
    void OnTestStart(const ::testing::TestInfo& test) override
    {
        TestEnvironment::enterFreshHome(QString::fromLatin1(test.test_suite_name()) +
                                        QLatin1Char('.') + QString::fromLatin1(test.name()));
    }
};

} // namespace

int main(int argc, char* argv[])
{
    // Before Qt or any test reads a path: never the real home directory.
    const bool deathTestChild = TestEnvironment::isDeathTestChild();
    qputenv("VORANTH_TEST_ROOT", TestEnvironment::root().toLocal8Bit());
    if (deathTestChild)
        TestEnvironment::enterHomeOfParentTest(); // its listeners are not called
    else
        TestEnvironment::enterFreshHome(QStringLiteral("start"));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Voranth"));
    QApplication::setApplicationName(QStringLiteral("Voranth"));
    UserDefaults::registerDefaults();

    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshHomeForEachTest);
    return RUN_ALL_TESTS();
}
