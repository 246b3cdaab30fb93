#include "AssistiveTool.h"
#include "EditorFixture.h"

#include "app/FormControls.h"

#include "app/KeyedTableModel.h"
#include "app/MapListDragDrop.h"
#include "app/MapTableView.h"
#include "app/RadioMatrix.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollBar>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <QTableView>
#include <QTest>
#include <QWheelEvent>

using SetupEditorTest = EditorFixture;

namespace {

void typeInto(QLineEdit* field, const QString& text)
{
    field->setText(text);
    emit field->textEdited(text);
}

// Types over the number in the field, key by key, ending with Return when asked to.
void typeNumber(QAbstractSpinBox* field, const QString& digits, bool pressReturn = false)
{
    field->selectAll();
    QTest::keyClicks(field, digits);
    if (pressReturn)
        QTest::keyClick(field, Qt::Key_Return);
}

// Clicks the field's up or down arrow with the mouse.
void clickArrow(QSpinBox* field, QStyle::SubControl arrow)
{
    QStyleOptionSpinBox option;
    option.initFrom(field);
    option.rect = field->rect();
    option.subControls = QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown | QStyle::SC_SpinBoxFrame |
                         QStyle::SC_SpinBoxEditField;
    option.buttonSymbols = field->buttonSymbols();
    option.stepEnabled = QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled;
    option.frame = field->hasFrame();
    const QRect rect = field->style()->subControlRect(QStyle::CC_SpinBox, &option, arrow, field);
    ASSERT_TRUE(rect.isValid());
    QTest::mouseClick(field, Qt::LeftButton, {}, rect.center());
}

// The map list after the selected rows are taken out and put back in at the drop row, the
// row counted in the list without them.
QStringList takenOutAndPutBack(QStringList maps, const QList<int>& rows, int dropRow)
{
    QStringList taken;
    for (int row : rows)
        taken.append(maps.at(row));
    for (qsizetype i = rows.size() - 1; i >= 0; --i)
        maps.removeAt(rows.at(i));
    int at = dropRow;
    for (int row : rows)
        if (row < dropRow)
            --at;
    for (qsizetype i = 0; i < taken.size(); ++i)
        maps.insert(at + i, taken.at(i));
    return maps;
}

} // namespace

TEST_F(SetupEditorTest, SelectingAnotherConfigurationFirstSavesTheOneShown)
{
    newConfig("One");
    newConfig("Two");
    selectConfig("One");
    typeInto(editor().controls().serverNameField, "First server");
    typeNumber(control<QSpinBox>("fragLimitField"), "33");
    control<QCheckBox>("friendlyFireSwitch")->click();
    control<RadioMatrix>("dedicatedTypeMatrix")->buttonForTag(1)->click();
    selectConfig("Two");
    EXPECT_EQ(record("One")->serverName(), "First server");
    EXPECT_EQ(record("One")->fragLimit(), 33);
    EXPECT_TRUE(record("One")->friendlyFire());
    EXPECT_EQ(record("One")->radioDedicatedType(), 1);
    EXPECT_EQ(record("One")->optimizeNetwork(), 10000) << "the Internet rate";
    EXPECT_EQ(editor().controls().serverNameField->text(), "");
    selectConfig("One");
    EXPECT_EQ(control<RadioMatrix>("optimizeNetworkMatrix")->titleForTag(0), "Internet");
    EXPECT_FALSE(control<QSpinBox>("optimizeNetworkField")->isEnabled());
}

TEST_F(SetupEditorTest, CustomRateTypedWithItsChoiceReachesTheRecord)
{
    newConfig("Rate");
    control<RadioMatrix>("optimizeNetworkMatrix")->buttonForTag(1)->click();
    EXPECT_TRUE(control<QSpinBox>("optimizeNetworkField")->isEnabled());
    typeNumber(control<QSpinBox>("optimizeNetworkField"), "5000");
    editor().extractFields(*shown());
    EXPECT_EQ(shown()->optimizeNetwork(), 5000);
}

TEST_F(SetupEditorTest, TheBotSliderIsCappedByPlayersPerTeam)
{
    newConfig("Team", "Team Deathmatch");
    auto* slider = control<QSlider>("botMinPlayersSlider");
    QSpinBox* maxPlayers = editor().controls().maxPlayersField;
    EXPECT_EQ(slider->maximum(), 6) << "12 players in two teams";
    EXPECT_EQ(control<QLineEdit>("botMaxPlayersField")->text(), "6");
    slider->setValue(5);
    EXPECT_EQ(control<QLineEdit>("botMinPlayersField")->text(), "5");
    // The cap follows the number entered, not the "1" typed on the way to 10.
    typeNumber(maxPlayers, "10", true);
    EXPECT_EQ(slider->maximum(), 5);
    EXPECT_EQ(slider->value(), 5);
    typeNumber(maxPlayers, "7", true);
    EXPECT_EQ(slider->maximum(), 3);
    EXPECT_EQ(slider->value(), 3);
    EXPECT_EQ(control<QLineEdit>("botMinPlayersField")->text(), "3");
    // A number typed and not yet entered still reaches the record.
    typeNumber(maxPlayers, "9");
    editor().extractFields(*shown());
    EXPECT_EQ(shown()->maxPlayers(), 9);
    EXPECT_EQ(slider->maximum(), 4);

    newConfig("Free");
    EXPECT_EQ(slider->maximum(), 8);
    EXPECT_EQ(control<QLineEdit>("botMaxPlayersField")->text(), "8");
    clickArrow(maxPlayers, QStyle::SC_SpinBoxUp);
    EXPECT_EQ(maxPlayers->value(), 9);
    EXPECT_EQ(slider->maximum(), 9);
}

TEST_F(SetupEditorTest, SteppingOneNumberKeepsANumberTypedIntoAnother)
{
    newConfig("Limits", "Tournament");
    QSpinBox* fragLimit = editor().controls().fragLimitField;
    QSpinBox* timeLimit = editor().controls().timeLimitField;
    ASSERT_EQ(timeLimit->value(), 15);
    typeNumber(fragLimit, "50");
    clickArrow(timeLimit, QStyle::SC_SpinBoxUp);
    EXPECT_EQ(fragLimit->value(), 50);
    EXPECT_EQ(timeLimit->value(), 16);
    clickArrow(fragLimit, QStyle::SC_SpinBoxDown);
    EXPECT_EQ(fragLimit->value(), 49);
    EXPECT_EQ(timeLimit->value(), 16);
    editor().extractFields(*shown());
    EXPECT_EQ(shown()->fragLimit(), 49);
    EXPECT_EQ(shown()->timeLimit(), 16);

    // Each number steps through the whole range its server variable takes.
    typeNumber(fragLimit, "5000");
    clickArrow(fragLimit, QStyle::SC_SpinBoxUp);
    EXPECT_EQ(fragLimit->value(), 5001);
    QSpinBox* maxPlayers = editor().controls().maxPlayersField;
    EXPECT_EQ(maxPlayers->minimum(), 1);
    EXPECT_EQ(maxPlayers->maximum(), 64);
    EXPECT_EQ(timeLimit->maximum(), 35791) << "minutes whose milliseconds fit the game's int";
    EXPECT_EQ(editor().controls().netPortField->minimum(), 1);
    EXPECT_EQ(editor().controls().netPortField->maximum(), 65535);
    EXPECT_EQ(editor().controls().defaultBotSkillField->maximum(), 5);
    newConfig("Next");
    EXPECT_EQ(record("Limits")->fragLimit(), 5001);

    // Scrolling the page past a number leaves it alone.
    QSpinBox* port = editor().controls().netPortField;
    const int portBefore = port->value();
    QWheelEvent turn(QPointF(5, 5), port->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120),
                     Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(port, &turn);
    EXPECT_EQ(port->value(), portBefore);
}

TEST_F(SetupEditorTest, TheLibraryShowsTheMapsOfTheGameType)
{
    newConfig("Flags", "Capture the Flag");
    shown()->addMap("A");
    auto* listAll = control<QCheckBox>("listAllMapsSwitch");
    if (listAll->isChecked())
        listAll->click();
    EXPECT_EQ(libraryMaps(), (QStringList{"B", "D"}));
    EXPECT_FALSE(control<QWidget>("fragLimitField")->isEnabled());
    EXPECT_TRUE(control<QWidget>("captureLimitField")->isEnabled());

    // A map of another type in the map list is still found and previewed.
    editor().reloadMapList();
    FormControls::selectRow(editor().controls().mapListTableView, 0);
    EXPECT_EQ(control<QLabel>("mapNameField")->text(), "Arena A");
    EXPECT_EQ(control<QLabel>("selectedMapField")->text(), "A");
    EXPECT_FALSE(control<QLabel>("mapImageView")->pixmap().isNull());

    // A game-type choice filters at once; the limit controls wait for the next showing.
    auto* popUp = control<QComboBox>("gameTypeDynamicPopUpMenu");
    popUp->setCurrentIndex(popUp->findText("Tournament"));
    emit popUp->activated(popUp->currentIndex());
    EXPECT_EQ(libraryMaps(), QStringList{"C"});
    EXPECT_FALSE(control<QWidget>("fragLimitField")->isEnabled());

    listAll->click();
    EXPECT_EQ(libraryMaps(), (QStringList{"A", "B", "C", "D", "E"}));
}

TEST_F(SetupEditorTest, AMapThatIsNotInTheLibraryIsRemovedWhenSelected)
{
    newConfig("Gone");
    shown()->setMapList({"A", "lost_map", "B"});
    editor().reloadMapList();
    FormControls::selectRow(editor().controls().mapListTableView, 1);
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts.first().title, "Map not found in library!");
    EXPECT_EQ(alerts.first().message, "This map will now be removed from the map list.");
    EXPECT_EQ(shown()->mapList(), (QStringList{"A", "B"}));
}

TEST_F(SetupEditorTest, MapButtonsAddTheSelectedLibraryMapsAndRemoveSelectedRows)
{
    newConfig("Buttons");
    control<QCheckBox>("listAllMapsSwitch")->setChecked(true);
    editor().switchClicked(control<QCheckBox>("listAllMapsSwitch"));
    MapTableView* library = editor().controls().mapLibraryTableView;
    FormControls::selectRow(library, 1);
    FormControls::selectRow(library, 3, true);
    editor().addMapToList();
    FormControls::selectRow(library, 0);
    editor().addMapToList();
    EXPECT_EQ(shown()->mapList(), (QStringList{"B", "D", "A"}));

    shown()->setMapList({"A", "B", "C", "D"});
    editor().reloadMapList();
    MapTableView* list = editor().controls().mapListTableView;
    FormControls::selectRow(list, 0);
    FormControls::selectRow(list, 2, true);
    editor().removeMapFromList();
    EXPECT_EQ(shown()->mapList(), (QStringList{"B", "D"}));
}

TEST_F(SetupEditorTest, DraggingWithinTheMapListMovesTheRowsToTheDrop)
{
    newConfig("Drag");
    shown()->setMapList({"A", "B", "C", "D"});
    editor().reloadMapList();
    MapListDragDrop& dnd = editor().dragDrop();
    MapTableView* list = editor().controls().mapListTableView;

    std::unique_ptr<QMimeData> data(dnd.writeRows(list, {1}));
    ASSERT_TRUE(data->hasFormat(MapListDragDrop::pasteboardType()));
    EXPECT_EQ(data->text(), "B");
    int row = 3;
    MapDropHandler::Position position = MapDropHandler::Above;
    EXPECT_EQ(dnd.validateDrop(list, list, data.get(), row, position), MapDropHandler::Move);
    ASSERT_TRUE(dnd.acceptDrop(list, list, data.get(), row));
    EXPECT_EQ(shown()->mapList(), (QStringList{"A", "C", "B", "D"}));
    EXPECT_EQ(FormControls::selectedRows(list), QList<int>{2});

    shown()->setMapList({"A", "B", "C", "D"});
    editor().reloadMapList();
    data.reset(dnd.writeRows(list, {1, 2}));
    EXPECT_EQ(data->text(), "B\nC");
    ASSERT_TRUE(dnd.acceptDrop(list, list, data.get(), 4));
    EXPECT_EQ(shown()->mapList(), (QStringList{"A", "D", "B", "C"}));
    EXPECT_EQ(FormControls::selectedRows(list), (QList<int>{2, 3}));
}

TEST_F(SetupEditorTest, EveryMoveWithinTheMapListKeepsEachMapOnce)
{
    newConfig("Moves");
    const QStringList maps{"A", "B", "C", "D", "E"};
    MapListDragDrop& dnd = editor().dragDrop();
    MapTableView* list = editor().controls().mapListTableView;
    for (int selection = 1; selection < (1 << maps.size()); ++selection) {
        QList<int> rows;
        for (int row = 0; row < maps.size(); ++row)
            if (selection & (1 << row))
                rows.append(row);
        for (int dropRow = 0; dropRow <= maps.size(); ++dropRow) {
            shown()->setMapList(maps);
            editor().reloadMapList();
            std::unique_ptr<QMimeData> data(dnd.writeRows(list, rows));
            int row = dropRow;
            MapDropHandler::Position position = MapDropHandler::Above;
            ASSERT_EQ(dnd.validateDrop(list, list, data.get(), row, position),
                      MapDropHandler::Move);
            ASSERT_TRUE(dnd.acceptDrop(list, list, data.get(), row));

            const QStringList expected = takenOutAndPutBack(maps, rows, dropRow);
            const QString drop = QString("maps %1 dropped above row %2")
                                     .arg(data->text().replace('\n', ','))
                                     .arg(dropRow);
            EXPECT_EQ(shown()->mapList(), expected) << drop.toStdString();
            QStringList selectedMaps;
            for (int selected : FormControls::selectedRows(list))
                selectedMaps.append(shown()->map(selected));
            EXPECT_EQ(selectedMaps, data->text().split('\n')) << drop.toStdString();
        }
    }
}

TEST_F(SetupEditorTest, DraggingBetweenLibraryAndMapList)
{
    newConfig("Between");
    control<QCheckBox>("listAllMapsSwitch")->setChecked(true);
    editor().switchClicked(control<QCheckBox>("listAllMapsSwitch"));
    shown()->setMapList({"E"});
    editor().reloadMapList();
    MapListDragDrop& dnd = editor().dragDrop();
    MapTableView* list = editor().controls().mapListTableView;
    MapTableView* library = editor().controls().mapLibraryTableView;

    // Library maps dropped below the list are appended in their dragged order.
    std::unique_ptr<QMimeData> data(dnd.writeRows(library, {0, 2}));
    int row = list->proposedRowAt(QPoint(5, list->viewport()->height() - 2));
    EXPECT_EQ(row, 1);
    MapDropHandler::Position position = MapDropHandler::Above;
    EXPECT_EQ(dnd.validateDrop(list, library, data.get(), row, position), MapDropHandler::Copy);
    ASSERT_TRUE(dnd.acceptDrop(list, library, data.get(), row));
    EXPECT_EQ(shown()->mapList(), (QStringList{"E", "A", "C"}));
    data.reset(dnd.writeRows(library, {1, 3}));
    ASSERT_TRUE(dnd.acceptDrop(list, library, data.get(), 1));
    EXPECT_EQ(shown()->mapList(), (QStringList{"E", "B", "D", "A", "C"}));
    EXPECT_EQ(FormControls::selectedRows(list), (QList<int>{1, 2}));
    shown()->setMapList({"E", "A", "C"});
    editor().reloadMapList();

    // Map-list rows dragged onto the library leave the list.
    data.reset(dnd.writeRows(list, {0, 2}));
    row = 1;
    EXPECT_EQ(dnd.validateDrop(library, list, data.get(), row, position), MapDropHandler::Delete);
    EXPECT_EQ(row, -1);
    EXPECT_EQ(position, MapDropHandler::On);
    ASSERT_TRUE(dnd.acceptDrop(library, list, data.get(), row));
    EXPECT_EQ(shown()->mapList(), QStringList{"A"});

    // Other drags are refused and change nothing.
    QMimeData text;
    text.setText("A");
    row = 0;
    EXPECT_EQ(dnd.validateDrop(list, library, &text, row, position), MapDropHandler::None);
    EXPECT_FALSE(dnd.acceptDrop(list, library, &text, 0));
    data.reset(dnd.writeRows(library, {0}));
    row = 0;
    EXPECT_EQ(dnd.validateDrop(library, library, data.get(), row, position), MapDropHandler::None);
    EXPECT_EQ(shown()->mapList(), QStringList{"A"});
}

TEST_F(SetupEditorTest, ExtraParametersAreEditedInTheirTable)
{
    newConfig("Extras");
    editor().addExtraParameter();
    editor().addExtraParameter();
    auto* table = control<QTableView>("extraParametersTableView");
    QAbstractItemModel* model = table->model();
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_TRUE(model->setData(model->index(1, 0), "sv_fps", Qt::EditRole));
    EXPECT_TRUE(model->setData(model->index(1, 1), "20", Qt::EditRole));
    EXPECT_EQ(shown()->extraParameters().at(1), ExtraParameter("sv_fps", "20"));
    FormControls::selectRow(table, 0);
    editor().deleteExtraParameter();
    EXPECT_EQ(shown()->extraParameters(), QList<ExtraParameter>{ExtraParameter("sv_fps", "20")});
}

TEST_F(SetupEditorTest, RowsAreTintedAlternately)
{
    EXPECT_EQ(KeyedTableModel::rowColour(0), QColor::fromRgbF(0.93f, 0.94f, 1.0f));
    EXPECT_EQ(KeyedTableModel::rowColour(1), QColor(Qt::white));
    newConfig("Tint");
    const QAbstractItemModel* model = control<QTableView>("configFilesTableView")->model();
    EXPECT_EQ(model->index(0, 0).data(Qt::BackgroundRole).value<QColor>(),
              KeyedTableModel::rowColour(0));
}

TEST_F(SetupEditorTest, WithoutAConfigurationTheEditorIsDisabled)
{
    EXPECT_TRUE(listedConfigs().isEmpty());
    EXPECT_FALSE(editor().controls().serverNameField->isEnabled());
    EXPECT_FALSE(control<QWidget>("deleteConfigButton")->isEnabled());
    EXPECT_TRUE(control<QWidget>("gameTypeDynamicPopUpMenu")->isEnabled());
    newConfig("Enabled");
    EXPECT_TRUE(editor().controls().serverNameField->isEnabled());
    EXPECT_TRUE(control<QWidget>("deleteConfigButton")->isEnabled());
}

TEST_F(SetupEditorTest, AnAddressThatIsNoneIsRefusedAndTheRecordsShownAgain)
{
    newConfig("Addr");
    QLineEdit* field = editor().controls().netIPField;
    typeInto(field, "10.0.0.7");
    emit field->editingFinished();
    EXPECT_TRUE(alerts.isEmpty());
    editor().extractFields(*shown());
    EXPECT_EQ(shown()->netIP(), "10.0.0.7");

    typeInto(field, "127.0.0.1\necho\tINJECTED");
    emit field->editingFinished();
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts.first().title, "Not a valid address!");
    EXPECT_TRUE(alerts.first().message.contains("'127.0.0.1\\necho\\tINJECTED'"))
        << alerts.first().message.toStdString();
    EXPECT_EQ(field->text(), "10.0.0.7");
    typeInto(field, "1.2.3.4 +echo X");
    emit field->editingFinished();
    EXPECT_EQ(alerts.size(), 2);
    EXPECT_EQ(field->text(), "10.0.0.7");
}

TEST_F(SetupEditorTest, ChoicesMadeThroughTheAccessibilityInterfaceReachTheRecord)
{
    newConfig("One");
    newConfig("Two");
    selectConfig("One");
    const EditorControls& c = editor().controls();
    editor().setRecordNeedsSaving(false);
    AssistiveTool::toggle(c.friendlyFireSwitch);
    EXPECT_TRUE(editor().recordNeedsSaving());

    editor().setRecordNeedsSaving(false);
    AssistiveTool::toggle(c.dedicatedTypeMatrix->buttonForTag(1));
    EXPECT_TRUE(editor().recordNeedsSaving());
    EXPECT_EQ(c.optimizeNetworkMatrix->titleForTag(0), "Internet") << "the record shown again";

    editor().setRecordNeedsSaving(false);
    AssistiveTool::setText(c.serverNameField, "Spoken host");
    EXPECT_TRUE(editor().recordNeedsSaving());
    editor().setRecordNeedsSaving(false);
    auto* gameTypes = control<QComboBox>("gameTypeDynamicPopUpMenu");
    gameTypes->setCurrentIndex(gameTypes->findText("Capture the Flag"));
    EXPECT_TRUE(editor().recordNeedsSaving());
    EXPECT_EQ(libraryMaps(), (QStringList{"B", "D"}));

    selectConfig("Two");
    EXPECT_TRUE(record("One")->friendlyFire());
    EXPECT_EQ(record("One")->radioDedicatedType(), 1);
    EXPECT_EQ(record("One")->serverName(), "Spoken host");
    EXPECT_EQ(record("One")->gameTypeString(), "Capture the Flag");

    // Showing a record is no edit of it.
    editor().setRecordNeedsSaving(false);
    editor().populateFields(*record("One"));
    EXPECT_TRUE(c.friendlyFireSwitch->isChecked());
    EXPECT_FALSE(editor().recordNeedsSaving());
}

TEST_F(SetupEditorTest, TheConfigurationListKeepsItsSelectionAndScrollWhenOthersChange)
{
    for (int i = 0; i < 30; ++i)
        newConfig(QString("Server %1").arg(i, 2, 10, QChar('0')));
    QTableView* list = configList().configFilesTableView;
    selectConfig("Server 25");
    list->scrollToBottom();
    const int scrolled = list->verticalScrollBar()->value();
    ASSERT_GT(scrolled, 0);
    const auto selectedNames = [&] {
        QStringList names;
        for (int row : FormControls::selectedRows(list))
            names.append(listedConfigs().value(row));
        return names;
    };

    // Another is added, another renamed, and the list is taken afresh each time.
    QStringList& names = controller->state().serverConfigKeysModFiltered;
    names.append("Server 05b");
    names.sort();
    editor().reloadConfigList();
    EXPECT_EQ(listedConfigs().size(), 31);
    EXPECT_EQ(selectedNames(), QStringList{"Server 25"});
    EXPECT_EQ(list->verticalScrollBar()->value(), scrolled);
    names[names.indexOf("Server 03")] = "Server 99";
    names.sort();
    editor().reloadConfigList();
    EXPECT_EQ(listedConfigs().last(), "Server 99");
    EXPECT_EQ(selectedNames(), QStringList{"Server 25"});
    EXPECT_EQ(list->verticalScrollBar()->value(), scrolled);
    EXPECT_EQ(editor().controls().configNameFieldAdvTab->text(), "Server 25");
    EXPECT_TRUE(editor().controls().serverNameField->isEnabled()) << "nothing was shown anew";
}

TEST_F(SetupEditorTest, TheRotationKeepsItsSelectionAndScrollThroughARefresh)
{
    newConfig("Rotation");
    QStringList maps;
    for (int i = 0; i < 60; ++i)
        maps.append(QString("ABCDE").at(i % 5));
    shown()->setMapList(maps);
    editor().reloadMapList();
    MapTableView* list = editor().controls().mapListTableView;
    FormControls::selectRow(list, 42);
    list->scrollToBottom();
    const int scrolled = list->verticalScrollBar()->value();
    ASSERT_GT(scrolled, 0);

    // The rotation changed behind the list (by a start, say): the first map went, one came.
    maps.removeFirst();
    maps.append("A");
    shown()->setMapList(maps);
    editor().reloadMapList();
    EXPECT_EQ(FormControls::selectedRows(list), QList<int>{41}) << "the same entry";
    EXPECT_EQ(list->verticalScrollBar()->value(), scrolled);
    editor().reloadMapList();
    EXPECT_EQ(FormControls::selectedRows(list), QList<int>{41});
    EXPECT_EQ(list->verticalScrollBar()->value(), scrolled);
    EXPECT_EQ(control<QLabel>("selectedMapField")->text(), "C");
    EXPECT_TRUE(alerts.isEmpty());
}
