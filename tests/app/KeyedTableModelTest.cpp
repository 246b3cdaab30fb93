#include "app/KeyedTableModel.h"

#include <QAbstractItemModelTester>
#include <QColor>
#include <QPersistentModelIndex>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <random>

namespace {

using Row = KeyedTableModel::Row;

QList<Row> rowsOf(const QString& keys)
{
    QList<Row> rows;
    for (QChar key : keys)
        rows.append({QString(key), {{"name", QString(key)}, {"hidden", rows.size()}}});
    return rows;
}

QString keysOf(const KeyedTableModel& model)
{
    QString keys;
    for (int row = 0; row < model.rowCount(); ++row)
        keys += model.index(row, 0).data().toString();
    return keys;
}

KeyedTableModel* makeModel(QObject* parent)
{
    return new KeyedTableModel({{"name", "Name"}}, parent);
}

// The signals a change of rows sent.
struct Signals
{
    explicit Signals(KeyedTableModel* model)
        : removed(model, &QAbstractItemModel::rowsRemoved),
          inserted(model, &QAbstractItemModel::rowsInserted),
          moved(model, &QAbstractItemModel::rowsMoved),
          changed(model, &QAbstractItemModel::dataChanged),
          reset(model, &QAbstractItemModel::modelReset),
          layout(model, &QAbstractItemModel::layoutChanged)
    {}
    QSignalSpy removed, inserted, moved, changed, reset, layout;
};

} // namespace

TEST(KeyedTableModel, RowsThatStayFollowTheirKeysThroughEveryChange)
{
    // Random old and new rows over a few keys, with repeats; the model checks itself.
    std::mt19937 random(20240611);
    const QString alphabet = "ABCDE";
    for (int round = 0; round < 400; ++round) {
        QObject owner;
        KeyedTableModel* model = makeModel(&owner);
        QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal);
        const auto randomKeys = [&] {
            QString keys;
            for (int n = int(random() % 10); n > 0; --n)
                keys += alphabet.at(int(random() % alphabet.size()));
            return keys;
        };
        const QString before = randomKeys();
        const QString after = randomKeys();
        model->setRows(rowsOf(before));
        QList<QPersistentModelIndex> held;
        for (int row = 0; row < model->rowCount(); ++row)
            held.append(model->index(row, 0));
        Signals sent(model);
        model->setRows(rowsOf(after));
        const std::string change = (before + " -> " + after).toStdString();
        ASSERT_EQ(keysOf(*model), after) << change;
        EXPECT_EQ(sent.reset.count() + sent.layout.count(), 0) << change;
        for (int row = 0; row < held.size(); ++row) {
            if (held.at(row).isValid()) {
                EXPECT_EQ(held.at(row).data().toString(), before.at(row)) << change;
            }
        }
        // Every row of a key kept in both stays: only the rows one side has more of go.
        int kept = 0;
        for (const QPersistentModelIndex& index : held)
            kept += index.isValid();
        int common = 0;
        for (QChar key : alphabet)
            common += std::min(before.count(key), after.count(key));
        EXPECT_EQ(kept, common) << change;
        for (int row = 0; row < model->rowCount(); ++row)
            EXPECT_EQ(model->value(row, "hidden").toInt(), row) << change;
    }
}

TEST(KeyedTableModel, ChangesAreTheFewestMovesInsertionsAndRemovals)
{
    QObject owner;
    KeyedTableModel* model = makeModel(&owner);
    model->setRows(rowsOf("ABCDEF"));
    {
        Signals sent(model);
        model->setRows(rowsOf("ABCDEF"));
        EXPECT_EQ(sent.removed.count() + sent.inserted.count() + sent.moved.count(), 0);
        EXPECT_EQ(sent.changed.count(), 0) << "the same rows change nothing";
    }
    {
        Signals sent(model);
        model->setRows(rowsOf("BCDEFA"));
        EXPECT_EQ(sent.moved.count(), 1) << "the first row to the end is one move";
        EXPECT_EQ(sent.removed.count() + sent.inserted.count(), 0);
    }
    {
        // The second "A" of a rotation goes: one removal, the rest stays.
        model->setRows(rowsOf("ABACA"));
        QPersistentModelIndex lastA = model->index(4, 0);
        Signals sent(model);
        model->setRows(rowsOf("ABCA"));
        EXPECT_EQ(sent.removed.count(), 1);
        EXPECT_EQ(sent.moved.count() + sent.inserted.count(), 0);
        EXPECT_EQ(lastA.row(), 3);
    }
    {
        Signals sent(model);
        model->setRows(rowsOf("XABCAY"));
        EXPECT_EQ(sent.inserted.count(), 2);
        EXPECT_EQ(sent.removed.count() + sent.moved.count(), 0);
    }
    // A cell that changes is told as such, not as a new row.
    QList<Row> renamed = rowsOf("XABCAY");
    renamed[2].values["name"] = "b";
    Signals sent(model);
    model->setRows(renamed);
    EXPECT_EQ(sent.changed.count(), 1);
    EXPECT_EQ(sent.removed.count() + sent.inserted.count() + sent.moved.count(), 0);
    EXPECT_EQ(model->index(2, 0).data().toString(), "b");
    EXPECT_EQ(model->key(2), "B");
    EXPECT_EQ(model->rowOfKey("C"), 3);
    EXPECT_EQ(model->rowOfKey("Q"), -1);
}

TEST(KeyedTableModel, ColumnsTintsEditsAndDragFlags)
{
    QObject owner;
    KeyedTableModel model({{"xvariable", "Variable"}, {"xvalue", "Value"}}, &owner);
    model.setRows({{"0", {{"xvariable", "sv_fps"}, {"xvalue", "20"}}},
                   {"1", {{"xvariable", "g_gravity"}, {"xvalue", "800"}}}});
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Value");
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, KeyedTableModel::ColumnIdRole).toString(),
              "xvalue");
    EXPECT_EQ(model.columnOf("xvalue"), 1);
    EXPECT_EQ(model.index(0, 0).data(Qt::BackgroundRole).value<QColor>(),
              QColor::fromRgbF(0.93f, 0.94f, 1.0f));
    EXPECT_EQ(model.index(1, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(Qt::white));
    EXPECT_EQ(model.index(1, 1).data(KeyedTableModel::KeyRole).toString(), "1");

    EXPECT_FALSE(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_FALSE(model.setData(model.index(0, 1), "30", Qt::EditRole));
    QList<std::tuple<int, QString, QString>> edits;
    model.setCellEditor([&](int row, const QString& column, const QVariant& value) {
        edits.append({row, column, value.toString()});
        return value.toString() != "refused";
    });
    EXPECT_TRUE(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_TRUE(model.setData(model.index(1, 1), "400", Qt::EditRole));
    EXPECT_EQ(model.index(1, 1).data().toString(), "400");
    EXPECT_FALSE(model.setData(model.index(1, 0), "refused", Qt::EditRole));
    EXPECT_EQ(model.index(1, 0).data().toString(), "g_gravity");
    EXPECT_EQ(edits.size(), 2);
    EXPECT_EQ(std::get<1>(edits.first()), "xvalue");

    EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsDragEnabled);
    model.setDragAndDrop(true);
    EXPECT_TRUE(model.flags(model.index(0, 0)) & Qt::ItemIsDragEnabled);
    EXPECT_TRUE(model.flags(QModelIndex()) & Qt::ItemIsDropEnabled);
}
