#pragma once

#include <QDialog>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class RadioMatrix;

// The controls of the preferences window, made by PreferencesWindow and handed to the
// controller that fills and reads them. Each carries its outlet name as object name.
struct PreferenceControls
{
    // Tags: 0 and 1 the server programs a game directory on Linux holds, 2 a custom name.
    RadioMatrix* dedicatedApp = nullptr;
    QLineEdit* customDedicatedAppName = nullptr;
    QCheckBox* putTerminalBackSwitch = nullptr;
    // Tags: 0 in a terminal, 1 as a service of the user's service manager.
    RadioMatrix* serverHosting = nullptr;
    // Why hosting as a service is unavailable, when it is.
    QLabel* serverHostingNote = nullptr;

    QCheckBox* preserveServerName = nullptr;
    QCheckBox* preserveWelcomeText = nullptr;
    QCheckBox* preserveNetIPAddress = nullptr;
    QCheckBox* preserveNetPort = nullptr;
    QCheckBox* preserverPrivateClientsPassword = nullptr;
    // Tags: 0 random, 1 copy, 2 empty.
    RadioMatrix* rconPasswordGenerationType = nullptr;
    QCheckBox* enablePunkBusterByDefault = nullptr;

    QCheckBox* useDefaultMasterServers = nullptr;
    // masterServer1 to masterServer5.
    std::array<QLineEdit*, 5> masterServers{};

    // Tags: 0 the image shown only, 1 a cache of recent images, 2 every image at opening.
    RadioMatrix* mapImageLoadingMethod = nullptr;
    QSlider* mapImageCacheSize = nullptr;
    QLabel* mapImageCacheSizeValue = nullptr;

    QPushButton* saveButton = nullptr;
    QPushButton* closeButton = nullptr;
};

// The preferences window (layout "Preferences"): a window of its own beside the main window.
class PreferencesWindow : public QDialog
{
    Q_OBJECT
public:
    explicit PreferencesWindow(QWidget* parent = nullptr);

    const PreferenceControls& controls() const { return m_controls; }

    static constexpr int customDedicatedAppTag = 2;
    static constexpr int smallestCacheSize = 1;
    static constexpr int largestCacheSize = 200;

private:
    QWidget* makeServerProgramGroup();
    QWidget* makeNewConfigurationGroup();
    QWidget* makeMasterServerGroup();
    QWidget* makeMapImageGroup();
    QLayout* makeButtonRow();

    PreferenceControls m_controls;
};
