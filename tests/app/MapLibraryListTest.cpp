#include "EditorFixture.h"

#include "app/FormControls.h"
#include "app/KeyedTableModel.h"
#include "app/MapTableView.h"
#include "app/SetupEditorView.h"
#include "support/Pk3Builder.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColor>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

// Names in mixed case, a title that matches where the name does not.
class MapLibraryListTest : public EditorFixture
{
protected:
    QString prepareGame() override
    {
        const QString root = TestEnvironment::makeScratchDir("game");
        const QByteArray arenas = "{\nmap \"q3dm7\"\nlongname \"Temple of Retribution\"\ntype \"ffa\"\n}\n"
                                  "{\nmap \"Bastion\"\nlongname \"Castle\"\ntype \"ffa\"\n}\n"
                                  "{\nmap \"zz\"\nlongname \"Arena Gate\"\ntype \"ffa\"\n}\n"
                                  "{\nmap \"arena\"\nlongname \"The Longest Yard\"\ntype \"ffa\"\n}\n"
                                  "{\nmap \"Q3CTF1\"\nlongname \"Dueling Keeps\"\ntype \"ctf\"\n}\n";
        const bool written = Pk3Builder()
                                 .add("scripts/arenas.txt", arenas)
                                 .add("scripts/bots.txt", "{\nname\t\tSarge\n}\n")
                                 .write(root + "/baseq3/pak00.pk3");
        EXPECT_TRUE(written);
        return written ? root : QString();
    }

    const EditorControls& c() const { return window->setupEditor().controls(); }
    QStringList rotation() const { return shown() ? shown()->mapList() : QStringList(); }
    ServerConfig* shown() const { return controller->editor().currentRecord(); }
    void showMapsTab() const
    {
        window->setupEditor().setCurrentWidget(c().mapLibraryTableView->parentWidget());
        ASSERT_TRUE(c().mapLibraryTableView->isVisible());
    }
    void search(const QString& text) { c().mapLibrarySearchField->setText(text); }
    QString selectedLibraryMap() const
    {
        const QList<int> rows = FormControls::selectedRows(c().mapLibraryTableView);
        return rows.isEmpty() ? QString() : libraryMaps().value(rows.first());
    }
    void selectLibraryMap(const QString& map)
    {
        FormControls::selectRow(c().mapLibraryTableView, int(libraryMaps().indexOf(map)));
    }
};

} // namespace

TEST_F(MapLibraryListTest, MapsAreSortedByNameWithoutRegardToCaseWithTheirTitlesBeside)
{
    EXPECT_EQ(libraryMaps(), (QStringList{"arena", "Bastion", "Q3CTF1", "q3dm7", "zz"}));
    const QAbstractItemModel* model = c().mapLibraryTableView->model();
    ASSERT_EQ(model->columnCount(), 2);
    EXPECT_EQ(model->index(1, 1).data().toString(), "Castle");
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), "Map");
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "Title");

    // The order holds under a game type's filter too.
    newConfig("Server");
    ASSERT_FALSE(c().listAllMapsSwitch->isChecked());
    EXPECT_EQ(libraryMaps(), (QStringList{"arena", "Bastion", "q3dm7", "zz"}));
}

TEST_F(MapLibraryListTest, SearchFiltersByNameAndTitleAsYouTypeAndThePreviewFollows)
{
    newConfig("Server");
    c().listAllMapsSwitch->click();
    ASSERT_TRUE(c().listAllMapsSwitch->isChecked());
    selectLibraryMap("q3dm7");
    EXPECT_EQ(c().mapNameField->text(), "Temple of Retribution");

    search("ARENA");
    EXPECT_EQ(libraryMaps(), (QStringList{"arena", "zz"})) << "the name or the title";
    EXPECT_EQ(selectedLibraryMap(), "arena") << "the selected map is gone: the first is taken";
    EXPECT_EQ(c().mapNameField->text(), "The Longest Yard");
    EXPECT_EQ(c().selectedMapField->text(), "arena");

    selectLibraryMap("zz");
    search("a");
    EXPECT_EQ(libraryMaps(), (QStringList{"arena", "Bastion", "zz"}));
    EXPECT_EQ(selectedLibraryMap(), "zz") << "a map still shown stays selected";
    EXPECT_EQ(c().selectedMapField->text(), "zz");

    c().addMapsButton->click();
    EXPECT_EQ(rotation(), QStringList{"zz"}) << "the row shown, not the row before filtering";

    search("nothing like it");
    EXPECT_TRUE(libraryMaps().isEmpty());
    EXPECT_TRUE(c().selectedMapField->text().isEmpty());
    search("");
    EXPECT_EQ(libraryMaps().size(), 5);
    EXPECT_EQ(selectedLibraryMap(), "arena");
}

TEST_F(MapLibraryListTest, ADoubleClickAddsTheMapToTheRotation)
{
    newConfig("Server");
    showMapsTab();
    search("castle");
    MapTableView* library = c().mapLibraryTableView;
    const QRect cell = library->visualRect(library->model()->index(0, 0));
    // A double click as the window system delivers it: press, release, then the second press.
    QTest::mouseClick(library->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(library->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(rotation(), QStringList{"Bastion"});
    EXPECT_EQ(FormControls::selectedRows(c().mapListTableView), QList<int>{0});
}

TEST_F(MapLibraryListTest, TheKeyboardAddsMovesAndRemovesMaps)
{
    newConfig("Server");
    showMapsTab();
    // Keys go to the main window once the sheet has gone.
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == window.get(); }));
    MapTableView* library = c().mapLibraryTableView;
    MapTableView* list = c().mapListTableView;
    FormControls::selectRow(library, 0);
    FormControls::selectRow(library, 1, true);
    FormControls::selectRow(library, 3, true);
    library->setFocus();
    QTest::keyClick(library, Qt::Key_Return);
    ASSERT_EQ(rotation(), (QStringList{"arena", "Bastion", "zz"}));

    list->setFocus();
    FormControls::selectRow(list, 2);
    QTest::keyClick(list, Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(rotation(), (QStringList{"arena", "zz", "Bastion"}));
    QTest::keyClick(list, Qt::Key_Up, Qt::AltModifier);
    QTest::keyClick(list, Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(rotation(), (QStringList{"zz", "arena", "Bastion"})) << "the top stays the top";
    EXPECT_EQ(FormControls::selectedRows(list), QList<int>{0});

    FormControls::selectRow(list, 0);
    FormControls::selectRow(list, 1, true);
    QTest::keyClick(list, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(rotation(), (QStringList{"Bastion", "zz", "arena"}));
    EXPECT_EQ(FormControls::selectedRows(list), (QList<int>{1, 2}));
    QTest::keyClick(list, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(rotation(), (QStringList{"Bastion", "zz", "arena"}));

    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(rotation(), QStringList{"Bastion"});
    EXPECT_EQ(listedConfigs(), QStringList{"Server"}) << "Delete in the rotation keeps the config";
    EXPECT_TRUE(alerts.isEmpty());
}

TEST_F(MapLibraryListTest, ASearchedLibraryKeepsItsSelectionAndPreviewWhileTheRotationChanges)
{
    newConfig("Server");
    c().listAllMapsSwitch->click();
    search("a");
    ASSERT_EQ(libraryMaps(), (QStringList{"arena", "Bastion", "zz"}));
    selectLibraryMap("zz");
    const auto libraryAsShown = [&] {
        EXPECT_EQ(libraryMaps(), (QStringList{"arena", "Bastion", "zz"}));
        EXPECT_EQ(selectedLibraryMap(), "zz");
        EXPECT_EQ(c().selectedMapField->text(), "zz");
        EXPECT_EQ(c().mapNameField->text(), "Arena Gate");
    };

    c().addMapsButton->click();
    c().addMapsButton->click();
    ASSERT_EQ(rotation(), (QStringList{"zz", "zz"}));
    libraryAsShown();

    // Moved and added to behind the list, then shown again.
    shown()->setMapList({"arena", "zz", "Bastion", "zz"});
    controller->editor().reloadMapList();
    libraryAsShown();

    // Emptied with the remove button: the preview goes back to the library's selection.
    MapTableView* list = c().mapListTableView;
    for (int row = 0; row < 4; ++row)
        FormControls::selectRow(list, row, row > 0);
    c().removeMapsButton->click();
    ASSERT_TRUE(rotation().isEmpty());
    libraryAsShown();
    EXPECT_TRUE(alerts.isEmpty());
}

TEST_F(MapLibraryListTest, RowsAreTintedByTheirPlaceAsShown)
{
    search("a");
    const QAbstractItemModel* model = c().mapLibraryTableView->model();
    ASSERT_EQ(model->rowCount(), 3);
    for (int row = 0; row < model->rowCount(); ++row)
        EXPECT_EQ(model->index(row, 1).data(Qt::BackgroundRole).value<QColor>(),
                  KeyedTableModel::rowColour(row))
            << row;
}
