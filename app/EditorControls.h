#pragma once

#include "app/ElidedLabel.h"

class MapTableView;
class QAction;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QSpinBox;
class QTableView;
class RadioMatrix;

// The controls of the setup editor's tabs, made by SetupEditorView and handed to the
// controller that fills and reads them. Each carries its outlet name as object name.
struct EditorControls
{
    // Game
    QLineEdit* configNameFieldAdvTab = nullptr;
    QLineEdit* serverNameField = nullptr;
    QLineEdit* welcomeTextField = nullptr;
    QComboBox* gameTypeDynamicPopUpMenu = nullptr;
    QSpinBox* fragLimitField = nullptr;
    QSpinBox* timeLimitField = nullptr;
    QSpinBox* captureLimitField = nullptr;
    QSpinBox* maxPlayersField = nullptr;
    QSpinBox* warmupField = nullptr;
    QCheckBox* friendlyFireSwitch = nullptr;
    QCheckBox* allowVotingSwitch = nullptr;
    QCheckBox* autoJoinTeamsSwitch = nullptr;
    QCheckBox* forceTeamBalanceSwitch = nullptr;
    QSpinBox* weaponsRespawnField = nullptr;
    QDoubleSpinBox* quadFactorField = nullptr;
    QSpinBox* knockbackField = nullptr;
    QSpinBox* inactivityField = nullptr;

    // Network
    RadioMatrix* dedicatedTypeMatrix = nullptr;
    RadioMatrix* optimizeNetworkMatrix = nullptr;
    QSpinBox* optimizeNetworkField = nullptr;
    QLineEdit* netIPField = nullptr;
    QSpinBox* netPortField = nullptr;
    QLineEdit* rconPasswordField = nullptr;
    QSpinBox* nPrivateClientsField = nullptr;
    QLineEdit* privateClientPasswdField = nullptr;
    QCheckBox* pureServerSwitch = nullptr;
    QCheckBox* allowDownloadsSwitch = nullptr;
    QCheckBox* punkBusterEnabledSwitch = nullptr;
    QSpinBox* timeoutField = nullptr;
    QSpinBox* minPingField = nullptr;
    QSpinBox* maxPingField = nullptr;

    // Bots
    QSlider* botMinPlayersSlider = nullptr;
    QLineEdit* botMinPlayersField = nullptr;
    QLineEdit* botMaxPlayersField = nullptr;
    QSpinBox* defaultBotSkillField = nullptr;
    QCheckBox* botNoChatSwitch = nullptr;
    QCheckBox* botRocketJumpSwitch = nullptr;
    QCheckBox* botGrappleSwitch = nullptr;

    // Maps
    QLineEdit* mapLibrarySearchField = nullptr;
    MapTableView* mapLibraryTableView = nullptr;
    QCheckBox* listAllMapsSwitch = nullptr;
    QPushButton* addMapsButton = nullptr;
    QPushButton* removeMapsButton = nullptr;
    MapTableView* mapListTableView = nullptr;
    QCheckBox* rotateMapsSwitch = nullptr;
    QLabel* mapImageView = nullptr;
    // A map's title and name, from the game's scripts: cut to the room there is.
    ElidedLabel* mapNameField = nullptr;
    ElidedLabel* selectedMapField = nullptr;
    // Keys of the lists: Return adds the library's selection, Alt+Up and Alt+Down move the
    // rotation's selection, Delete removes it.
    QAction* addSelectedMapsAction = nullptr;
    QAction* moveMapsUpAction = nullptr;
    QAction* moveMapsDownAction = nullptr;
    QAction* removeSelectedMapsAction = nullptr;

    // Advanced
    QCheckBox* hunkMegsUseSwitch = nullptr;
    QSpinBox* hunkMegsField = nullptr;
    QTableView* extraParametersTableView = nullptr;
    QPushButton* addExtraParameterButton = nullptr;
    QPushButton* deleteExtraParameterButton = nullptr;
};
