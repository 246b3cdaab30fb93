#pragma once

#include <QString>

class MapTableView;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QTableView;
class QWidget;
class RadioMatrix;
class StepperButtons;

// The setup editor's controls, looked up once by their outlet names.
struct EditorControls
{
    explicit EditorControls(QWidget& window);

    QLineEdit* field(const char* outlet) const;
    QCheckBox* switchButton(const char* outlet) const;
    StepperButtons* stepper(const char* outlet) const;
    QWidget* control(const char* outlet) const;

    QWidget& window;
    QTableView* configFilesTableView;
    MapTableView* mapLibraryTableView;
    MapTableView* mapListTableView;
    QTableView* extraParametersTableView;
    QLineEdit* configNameFieldAdvTab;
    QComboBox* gameTypeDynamicPopUpMenu;
    RadioMatrix* dedicatedTypeMatrix;
    RadioMatrix* optimizeNetworkMatrix;
    QLineEdit* optimizeNetworkField;
    QLineEdit* maxPlayersField;
    QSlider* botMinPlayersSlider;
    QLineEdit* botMinPlayersField;
    QLineEdit* botMaxPlayersField;
    QCheckBox* listAllMapsSwitch;
    QCheckBox* hunkMegsUseSwitch;
    QLineEdit* hunkMegsField;
    QLineEdit* quadFactorField;
    QLabel* mapImageView;
    QLabel* mapNameField;
    QLabel* selectedMapField;
    QLineEdit* serverNameField;
};
