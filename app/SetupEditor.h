#pragma once

#include "app/EditorControls.h"
#include "app/MainWindow.h"
#include "app/MapLibraryRows.h"

#include <QObject>

#include <memory>

class CallbackTableModel;
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

    // Table reloads keep the selection as far as the rows still exist, without notices.
    void reloadConfigList();
    void reloadMapLibrary();
    void reloadMapList();
    void reloadExtraParameters();
    // Clears the preview.
    void clearPreview();
    // The filter of the library: "all" or the short name of a game type in the current mod.
    QString libraryFilterFor(const QString& gameTypeString) const;

    CallbackTableModel* configListModel() const { return m_configListModel; }
    MapListDragDrop& dragDrop() const { return *m_dragDrop; }

private:
    void makeModels();
    void connectControls();
    QList<QWidget*> setupGUIObjects() const;
    void showPreview(const QImage& image, const QString& title, const QString& name);
    void applyLibraryFilter(const QString& filter);
    int teamDivisor(const ServerConfig& record) const;
    void limitBotSlider(int cap);

    ControllerState& m_state;
    const MainWindow::ConfigList& m_configList;
    const EditorControls& m_controls;
    bool m_recordNeedsSaving = false;
    CallbackTableModel* m_configListModel = nullptr;
    CallbackTableModel* m_mapLibraryModel = nullptr;
    CallbackTableModel* m_mapListModel = nullptr;
    CallbackTableModel* m_extraParametersModel = nullptr;
    std::unique_ptr<MapListDragDrop> m_dragDrop;
    MapLibraryRows m_libraryRows;
};
