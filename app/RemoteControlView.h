#pragma once

#include "app/ElidedLabel.h"

#include <QWidget>

class KZColorView;
class PlayerHistoryChart;
class QComboBox;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableView;
class QTextEdit;
class RadioMatrix;

// The controls of the remote-control pane, handed to the controller that drives them.
struct RemoteControlControls
{
    QLabel* rconCurrentMapImageView = nullptr;
    // Names and titles from the server's replies: one line, cut to the room there is.
    ElidedLabel* rconServerNameField = nullptr;
    ElidedLabel* rconServerConfigNameField = nullptr;
    ElidedLabel* rconCurrentMapNameField = nullptr;
    ElidedLabel* rconCurrentMapTitleField = nullptr;
    QPushButton* rconPreviewNextMapButton = nullptr;
    QProgressBar* nextMapProgressCircle = nullptr;
    QPushButton* rconChangeToNextMapButton = nullptr;
    QPushButton* rconRestartCurrentMapButton = nullptr;
    QProgressBar* restartMapProgressCircle = nullptr;
    QComboBox* rconLimitsPopUpMenu = nullptr;
    QSpinBox* rconLimitsField = nullptr;
    QPushButton* rconLimitsChangeButton = nullptr;

    // "Players: 3 people, 4 bots of 16", from the server's public status.
    QLabel* rconPeopleField = nullptr;
    QTableView* rconPlayersTableView = nullptr;
    QPushButton* rconPlayersGetStatusButton = nullptr;
    QCheckBox* rconPlayersGetStatusSwitch = nullptr;
    QSpinBox* rconPlayersGetStatusSecondsField = nullptr;
    QPushButton* rconPlayersDumpUserButton = nullptr;
    QPushButton* rconPlayersKickButton = nullptr;

    QTableView* rconBotsTableView = nullptr;
    QSpinBox* rconBotsNumberField = nullptr;
    RadioMatrix* rconBotsTeamColorMatrix = nullptr;
    KZColorView* rconBotsTeamColorView = nullptr;
    QPushButton* rconBotsAddBotButton = nullptr;
    QProgressBar* addbotProgressCircle = nullptr;

    QTextEdit* rconResponseTextView = nullptr;
    QLineEdit* rconRequestTextField = nullptr;
    QPushButton* rconServerCommandSendButton = nullptr;
    // Sends the text of rconRequestTextField as chat.
    QPushButton* rconSayButton = nullptr;
    QPushButton* rconQuitServerButton = nullptr;

    // The shown server's log, following as it grows, and the button that opens it in the
    // desktop's text viewer.
    QPlainTextEdit* serverLogView = nullptr;
    QPushButton* openServerLogButton = nullptr;

    // The shown server's player history, over the span the menu chooses (0 the last 24 hours,
    // 1 the last 7 days).
    PlayerHistoryChart* historyChart = nullptr;
    QComboBox* historySpanMenu = nullptr;
};

// The remote-control pane: the running server's name, map, players and limits, bots to add,
// and a console; every control named by its outlet.
class RemoteControlView : public QWidget
{
    Q_OBJECT
public:
    explicit RemoteControlView(QWidget* parent = nullptr);

    const RemoteControlControls& controls() const { return m_controls; }

private:
    QWidget* makeServerBox();
    QWidget* makePlayersBox();
    QWidget* makeBotsBox();
    QWidget* makeConsoleBox();
    QWidget* makeLogPage(QWidget* parent);
    QWidget* makeHistoryPage(QWidget* parent);

    RemoteControlControls m_controls;
};
