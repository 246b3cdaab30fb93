#include "app/EditorControls.h"

#include "app/MapTableView.h"
#include "app/RadioMatrix.h"
#include "app/StepperButtons.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>

namespace {

template <typename T> T* find(QWidget& window, const char* outlet)
{
    T* widget = window.findChild<T*>(QLatin1String(outlet));
    Q_ASSERT_X(widget, "EditorControls", outlet);
    return widget;
}

} // namespace

EditorControls::EditorControls(QWidget& w)
    : window(w), configFilesTableView(find<QTableView>(w, "configFilesTableView")),
      mapLibraryTableView(find<MapTableView>(w, "mapLibraryTableView")),
      mapListTableView(find<MapTableView>(w, "mapListTableView")),
      extraParametersTableView(find<QTableView>(w, "extraParametersTableView")),
      configNameFieldAdvTab(find<QLineEdit>(w, "configNameFieldAdvTab")),
      gameTypeDynamicPopUpMenu(find<QComboBox>(w, "gameTypeDynamicPopUpMenu")),
      dedicatedTypeMatrix(find<RadioMatrix>(w, "dedicatedTypeMatrix")),
      optimizeNetworkMatrix(find<RadioMatrix>(w, "optimizeNetworkMatrix")),
      optimizeNetworkField(find<QLineEdit>(w, "optimizeNetworkField")),
      maxPlayersField(find<QLineEdit>(w, "maxPlayersField")),
      botMinPlayersSlider(find<QSlider>(w, "botMinPlayersSlider")),
      botMinPlayersField(find<QLineEdit>(w, "botMinPlayersField")),
      botMaxPlayersField(find<QLineEdit>(w, "botMaxPlayersField")),
      listAllMapsSwitch(find<QCheckBox>(w, "listAllMapsSwitch")),
      hunkMegsUseSwitch(find<QCheckBox>(w, "hunkMegsUseSwitch")),
      hunkMegsField(find<QLineEdit>(w, "hunkMegsField")),
      quadFactorField(find<QLineEdit>(w, "quadFactorField")),
      mapImageView(find<QLabel>(w, "mapImageView")), mapNameField(find<QLabel>(w, "mapNameField")),
      selectedMapField(find<QLabel>(w, "selectedMapField")),
      serverNameField(find<QLineEdit>(w, "serverNameField"))
{}

QLineEdit* EditorControls::field(const char* outlet) const
{
    return find<QLineEdit>(window, outlet);
}

QCheckBox* EditorControls::switchButton(const char* outlet) const
{
    return find<QCheckBox>(window, outlet);
}

StepperButtons* EditorControls::stepper(const char* outlet) const
{
    return find<StepperButtons>(window, outlet);
}

QWidget* EditorControls::control(const char* outlet) const
{
    return find<QWidget>(window, outlet);
}
