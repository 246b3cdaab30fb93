#include "content/KZQueueCache.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

TEST(KZQueueCache, PushesOutTheLeastRecentlyAdded)
{
    KZQueueCache cache(2);
    cache.addObject(QStringLiteral("A"));
    cache.addObject(QStringLiteral("B"));
    EXPECT_EQ(cache.objectOut(), std::nullopt);
    cache.addObject(QStringLiteral("C"));
    EXPECT_EQ(cache.objectOut(), QStringLiteral("A"));
    EXPECT_EQ(cache.cacheArray(), QStringList({"C", "B"}));

    cache.addObject(QStringLiteral("B"));
    EXPECT_EQ(cache.objectOut(), std::nullopt);
    EXPECT_EQ(cache.cacheArray(), QStringList({"B", "C"}));
    EXPECT_EQ(cache.numberOfObjectsInQueue(), 2);

    cache.addObject(QStringLiteral("D"));
    EXPECT_EQ(cache.objectOut(), QStringLiteral("C"));
    EXPECT_EQ(cache.cacheArray(), QStringList({"D", "B"}));
    EXPECT_TRUE(cache.containsObject(QStringLiteral("B")));
    EXPECT_FALSE(cache.containsObject(QStringLiteral("C")));
    EXPECT_FALSE(cache.containsObject(QStringLiteral("b")));
    EXPECT_EQ(cache.numberOfObjectsInQueue(), 2);
}

TEST(KZQueueCache, FillLevels)
{
    KZQueueCache cache(3);
    EXPECT_FALSE(cache.cacheHalfFilled());
    EXPECT_FALSE(cache.cacheFilled());
    cache.addObject(QStringLiteral("A"));
    EXPECT_TRUE(cache.cacheHalfFilled()); // 3 / 2 is 1
    EXPECT_FALSE(cache.cacheFilled());
    cache.addObject(QStringLiteral("A"));
    cache.addObject(QStringLiteral("B"));
    EXPECT_FALSE(cache.cacheFilled());
    cache.addObject(QStringLiteral("C"));
    EXPECT_TRUE(cache.cacheFilled());
    EXPECT_EQ(cache.numberOfObjectsInQueue(), 3);
}

TEST(KZQueueCache, TheCapacityOnlyGrows)
{
    KZQueueCache cache(2);
    cache.addObject(QStringLiteral("A"));
    cache.addObject(QStringLiteral("B"));
    cache.setQueueSize(1);
    EXPECT_EQ(cache.queueSize(), 2);
    EXPECT_TRUE(cache.cacheFilled());
    cache.setQueueSize(4);
    EXPECT_EQ(cache.queueSize(), 4);
    EXPECT_FALSE(cache.cacheFilled());
    cache.addObject(QStringLiteral("C"));
    cache.addObject(QStringLiteral("D"));
    EXPECT_EQ(cache.objectOut(), std::nullopt);
    cache.addObject(QStringLiteral("E"));
    EXPECT_EQ(cache.objectOut(), QStringLiteral("A"));
    EXPECT_EQ(cache.cacheArray(), QStringList({"E", "D", "C", "B"}));
}

TEST(KZQueueCache, ACapacityBelowOneHoldsTheNewestName)
{
    for (int size : {0, -3}) {
        KZQueueCache cache(size);
        cache.addObject(QStringLiteral("A"));
        EXPECT_EQ(cache.cacheArray(), QStringList({"A"}));
        cache.addObject(QStringLiteral("B"));
        EXPECT_EQ(cache.objectOut(), QStringLiteral("A"));
        EXPECT_EQ(cache.cacheArray(), QStringList({"B"}));
        EXPECT_EQ(cache.numberOfObjectsInQueue(), 1);
        EXPECT_TRUE(cache.cacheFilled());
    }
}

TEST(KZQueueCache, DescriptionListsCapacityCountAndContents)
{
    KZQueueCache cache(2);
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^<KZQueueCache: 0x[0-9a-f]+>\n\tqueueSize:2\n     "
                                          "\tnumberOfObjectsInQueue: 0\n \tobjectOut: \\(null\\)\n "
                                          "\tcacheArray: \\(\n\\)\n$"))
            .match(cache.description())
            .hasMatch())
        << cache.description().toStdString();

    cache.addObject(QStringLiteral("%1 q3dm1"));
    cache.addObject(QStringLiteral("q3dm2"));
    cache.addObject(QStringLiteral("q3dm3"));
    const QString text = cache.description();
    const qsizetype end = text.indexOf(QLatin1Char('\n'));
    EXPECT_EQ(text.mid(end), QStringLiteral("\n\tqueueSize:2\n     \tnumberOfObjectsInQueue: 2\n "
                                            "\tobjectOut: %1 q3dm1\n \tcacheArray: (\n    q3dm3,\n "
                                            "   q3dm2\n)\n"));
    cache.addObject(QStringLiteral("with blank"));
    EXPECT_TRUE(cache.description().contains(
        QStringLiteral("cacheArray: (\n    \"with blank\",\n    q3dm3\n)\n")));
}
