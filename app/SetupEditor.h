#pragma once

#include "app/EditorControls.h"
#include "app/KeyedTableModel.h"
#include "app/MainWindow.h"

#include <QIcon>
#include <QObject>

#include <functional>
#include <memory>

class KeyedTableModel;
class MapLibrary;
class MapLibraryFilter;
class MapListDragDrop;
class QAbstractButton;
class QImage;
class ServerConfig;
struct ControllerState;

// The setup editor: shows one configuration of the current mod in the main window's
// controls, writes the controls back into it, and edits its map list and extra parameters.
class SetupEditor : public QObject
{
    Q_OBJECT
public:
    SetupEditor(ControllerState& state, const MainWindow::ConfigList& configList,
                const EditorControls& controls, QObject* parent = nullptr);
    ~SetupEditor() override;

    // The record shown in the editor (named by configNameFieldAdvTab), or nullptr.
    ServerConfig* currentRecord() const;
    const EditorControls& controls() const { return m_controls; }

    void populateFields(const ServerConfig& record);
    void extractFields(ServerConfig& record);
    void activateAllSetupGUIObjects();
    void deactivateAllSetupGUIObjects();

    // Whether the controls may hold edits not yet written into the record shown.
    bool recordNeedsSaving() const { return m_recordNeedsSaving; }
    void setRecordNeedsSaving(bool needsSaving) { m_recordNeedsSaving = needsSaving; }
    // Writes the controls into the record shown when they hold edits, and clears the flag.
    void storePendingEdits();

    // Shows the configuration selected in the configuration list.
    void handleTVClick();
    void mapLibraryTVClicked();
    void mapListTVClicked();
    void addMapToList();
    void removeMapFromList();
    // Adds the map of one library row (a double click) to the end of the map list.
    void addLibraryMapAt(int row);
    // Moves the selected maps of the map list one place up (-1) or down (+1), as a group.
    void moveSelectedMaps(int step);
    // Shows only the library maps whose name or title holds the text; the selection stays on
    // the maps still shown, else goes to the first, and the preview follows it.
    void searchLibrary(const QString& text);
    // The map of a row of the library list as it shows now.
    QString libraryMap(int row) const;
    void addExtraParameter();
    void deleteExtraParameter();

    void switchClicked(QAbstractButton* sender);
    void sliderClicked();
    void radioClicked();
    void popupClicked();
    void maxPlayersTextDidEndEditing();
    // Refuses, with an alert, an address that is neither a host name nor an IP address, and
    // shows the record's again.
    void netIPTextDidEndEditing();
    void textDidChange();

    // The tables take their rows afresh from the state and the record shown; a row that stays
    // keeps its selection. A refresh is no selection of the user's: it shows nothing.
    void reloadConfigList();
    // What the configuration list shows of a configuration besides its name (the icon of its
    // server's state; none: nothing) and its tooltip; reloadConfigList() asks for them.
    using ConfigRowMarks = std::function<QIcon(const QString& configName)>;
    void setConfigRowMarks(ConfigRowMarks marks, KeyedTableModel::ToolTip toolTip);
    void reloadMapLibrary();
    void reloadMapList();
    void reloadExtraParameters();
    // Clears the preview.
    void clearPreview();
    // The filter of the library: "all" or the short name of a game type in the current mod.
    QString libraryFilterFor(const QString& gameTypeString) const;

    MapListDragDrop& dragDrop() const { return *m_dragDrop; }

private:
    void makeModels();
    void connectControls();
    // The configurations of the list, each with its mark.
    QList<KeyedTableModel::Row> configListRows() const;
    QList<QWidget*> setupGUIObjects() const;
    void showPreview(const QImage& image, const QString& title, const QString& name);
    // Lists the maps of the mod's library; a new library starts with list-all off.
    void followLibrary();
    void applyLibraryFilter(const QString& filter);
    int teamDivisor(const ServerConfig& record) const;
    void limitBotSlider(int cap);

    ControllerState& m_state;
    const MainWindow::ConfigList& m_configList;
    const EditorControls& m_controls;
    bool m_recordNeedsSaving = false;
    // Set while a table takes in rows: the selection changes it makes are no user's.
    bool m_refreshing = false;
    bool m_reloadingConfigList = false;
    bool m_configListReloadPending = false;
    KeyedTableModel* m_configListModel = nullptr;
    ConfigRowMarks m_configRowMarks;
    MapLibraryFilter* m_mapLibraryModel = nullptr;
    KeyedTableModel* m_mapListModel = nullptr;
    KeyedTableModel* m_extraParametersModel = nullptr;
    std::unique_ptr<MapListDragDrop> m_dragDrop;
    // The library whose maps the library list holds, and the list-all-maps choice kept for
    // it from one configuration shown to the next.
    std::weak_ptr<const MapLibrary> m_libraryShown;
    bool m_listAllMaps = false;
};
