#include "app/PreferenceController.h"

#include "app/AlertPresenter.h"
#include "app/RadioMatrix.h"
#include "config/SettingsKeys.h"
#include "config/StringTable.h"
#include "config/UserDefaults.h"
#include "server/ServerHosting.h"
#include "server/UserServiceManager.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

namespace {

// The switches and the settings they stand for, in the order the settings are written.
struct SwitchKey
{
    QCheckBox* PreferenceControls::*control;
    const QString& key;
};

const QList<SwitchKey>& preserveSwitches()
{
    static const QList<SwitchKey> switches = {
        {&PreferenceControls::preserveServerName, KZXPreserveServerNameKey},
        {&PreferenceControls::preserveWelcomeText, KZXPreserveWelcomeTextKey},
        {&PreferenceControls::preserveNetIPAddress, KZXPreserveNetIPAddressKey},
        {&PreferenceControls::preserveNetPort, KZXPreserveNetPortKey},
        {&PreferenceControls::preserverPrivateClientsPassword,
         KZXPreservePrivateClientsPasswordKey},
    };
    return switches;
}

constexpr int copyPasswordTag = 1;
constexpr int emptyPasswordTag = 2;
constexpr int cachedImagesMethod = 1;

bool stored(const QString& key)
{
    return UserDefaults::value(key).isValid();
}

void showSetting(QCheckBox* box, const QString& key)
{
    if (stored(key))
        box->setChecked(UserDefaults::boolValue(key));
}

QString choiceTitle(const RadioMatrix& matrix, int tag)
{
    return matrix.titleForTag(tag).remove(QLatin1Char('&'));
}

} // namespace

PreferenceController::PreferenceController(AlertPresenter& alerts,
                                           std::function<QString()> gameRootDir, QWidget* parent)
    : m_alerts(alerts), m_gameRootDir(std::move(gameRootDir)),
      m_window(new PreferencesWindow(parent))
{
    connectControls();
    windowDidLoad();
}

PreferenceController::~PreferenceController()
{
    delete m_window.data();
}

void PreferenceController::showWindow()
{
    // The user's manager may have started or ended since the window was last shown.
    showHostingAvailability();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void PreferenceController::connectControls()
{
    // A change of a control's state counts however it came: a click, a key, an assistive
    // tool. What windowDidLoad shows is no change: it ends clean.
    const PreferenceControls& c = controls();
    for (QCheckBox* box :
         {c.putTerminalBackSwitch, c.preserveServerName, c.preserveWelcomeText,
          c.preserveNetIPAddress, c.preserveNetPort, c.preserverPrivateClientsPassword,
          c.enablePunkBusterByDefault, c.useDefaultMasterServers})
        connect(box, &QCheckBox::toggled, this, [this, box] { switchClicked(box); });
    for (RadioMatrix* matrix :
         {c.dedicatedApp, c.rconPasswordGenerationType, c.mapImageLoadingMethod, c.serverHosting})
        connect(matrix, &RadioMatrix::choiceChanged, this,
                [this, matrix] { switchClicked(matrix); });
    connect(c.mapImageCacheSize, &QSlider::valueChanged, this,
            [this, slider = c.mapImageCacheSize] { switchClicked(slider); });
    QList<QLineEdit*> fields(c.masterServers.begin(), c.masterServers.end());
    fields.append(c.customDedicatedAppName);
    for (QLineEdit* field : fields)
        connect(field, &QLineEdit::textChanged, this, &PreferenceController::textDidChange);
    connect(c.saveButton, &QPushButton::clicked, this, &PreferenceController::saveChanges);
}

void PreferenceController::windowDidLoad()
{
    const PreferenceControls& c = controls();
    selectDedicatedAppChoice();
    if (stored(KZXCustomDedicatedAppname))
        c.customDedicatedAppName->setText(UserDefaults::stringValue(KZXCustomDedicatedAppname));
    setDedicatedAppName();

    showSetting(c.useDefaultMasterServers, KZXUseDefaultMasterServersKey);
    const QStringList masters = UserDefaults::stringListValue(KZXGameMasterServKey);
    for (size_t i = 0; i < c.masterServers.size(); ++i)
        c.masterServers[i]->setText(masters.value(qsizetype(i)));
    followMasterServerSwitch();

    for (const SwitchKey& entry : preserveSwitches())
        showSetting(c.*entry.control, entry.key);
    selectPasswordChoice();
    setPasswordGenTypeString();
    showSetting(c.enablePunkBusterByDefault, KZXEnablePunkBusterByDefaultKey);
    showSetting(c.putTerminalBackSwitch, KZXPutTerminalBackKey);
    c.serverHosting->selectTag(ServerHosting::chosen() == ServerHosting::Way::Service ? 1 : 0);
    showHostingAvailability();

    if (stored(KZXMapImageLoadingKey))
        c.mapImageLoadingMethod->selectTag(UserDefaults::intValue(KZXMapImageLoadingKey));
    if (stored(KZXMapImageCacheSizeKey))
        c.mapImageCacheSize->setValue(UserDefaults::intValue(KZXMapImageCacheSizeKey));
    c.mapImageCacheSizeValue->setNum(c.mapImageCacheSize->value());
    followLoadingMethod();
    setClean(true);
}

void PreferenceController::selectDedicatedAppChoice()
{
    RadioMatrix& choices = *controls().dedicatedApp;
    if (stored(KZXDedicatedAppType)) {
        choices.selectTag(UserDefaults::intValue(KZXDedicatedAppType));
        return;
    }
    // A program named without a choice (by voranthctl set, say): the choice of that name,
    // else the custom one holding it.
    const QString name = UserDefaults::stringValue(KZXDedicatedAppName);
    for (int tag = 0; choices.buttonForTag(tag); ++tag)
        if (tag != PreferencesWindow::customDedicatedAppTag && choiceTitle(choices, tag) == name) {
            choices.selectTag(tag);
            return;
        }
    if (name.isEmpty())
        return;
    choices.selectTag(PreferencesWindow::customDedicatedAppTag);
    if (!stored(KZXCustomDedicatedAppname))
        controls().customDedicatedAppName->setText(name);
}

void PreferenceController::selectPasswordChoice()
{
    RadioMatrix& choices = *controls().rconPasswordGenerationType;
    if (stored(KZXRconPasswordGenerationType)) {
        choices.selectTag(UserDefaults::intValue(KZXRconPasswordGenerationType));
        return;
    }
    const QString rule = UserDefaults::stringValue(KZXRconPasswordGenerationTypeStringKey);
    if (rule == QLatin1String("copy"))
        choices.selectTag(copyPasswordTag);
    else if (rule == QLatin1String("empty"))
        choices.selectTag(emptyPasswordTag);
}

void PreferenceController::setDedicatedAppName()
{
    const PreferenceControls& c = controls();
    const int tag = c.dedicatedApp->selectedTag();
    const bool custom = tag == PreferencesWindow::customDedicatedAppTag;
    m_dedicatedAppName =
        custom ? c.customDedicatedAppName->text() : choiceTitle(*c.dedicatedApp, tag);
    c.customDedicatedAppName->setEnabled(custom);
}

void PreferenceController::setPasswordGenTypeString()
{
    switch (controls().rconPasswordGenerationType->selectedTag()) {
    case copyPasswordTag:
        m_passwordGenTypeString = QStringLiteral("copy");
        break;
    case emptyPasswordTag:
        m_passwordGenTypeString = QStringLiteral("empty");
        break;
    default:
        m_passwordGenTypeString = QStringLiteral("random");
    }
}

void PreferenceController::followMasterServerSwitch()
{
    const PreferenceControls& c = controls();
    const bool own = !c.useDefaultMasterServers->isChecked();
    for (QLineEdit* field : c.masterServers)
        field->setEnabled(own);
}

void PreferenceController::followLoadingMethod()
{
    const PreferenceControls& c = controls();
    c.mapImageCacheSize->setEnabled(c.mapImageLoadingMethod->selectedTag() == cachedImagesMethod);
}

void PreferenceController::switchClicked(QObject* control)
{
    const PreferenceControls& c = controls();
    if (control == c.useDefaultMasterServers)
        followMasterServerSwitch();
    else if (control == c.dedicatedApp)
        setDedicatedAppName();
    else if (control == c.rconPasswordGenerationType)
        setPasswordGenTypeString();
    else if (control == c.mapImageLoadingMethod)
        followLoadingMethod();
    setClean(false);
}

void PreferenceController::textDidChange()
{
    setClean(false);
}

void PreferenceController::setClean(bool clean)
{
    m_recordNeedsSaving = !clean;
    controls().saveButton->setEnabled(!clean);
}

bool PreferenceController::customDedicatedAppMissing() const
{
    const PreferenceControls& c = controls();
    if (c.dedicatedApp->selectedTag() != PreferencesWindow::customDedicatedAppTag)
        return false;
    const QString name = c.customDedicatedAppName->text();
    return name.isEmpty() || !QFileInfo::exists(QDir(m_gameRootDir()).filePath(name));
}

void PreferenceController::saveChanges()
{
    if (!m_recordNeedsSaving)
        return;
    if (customDedicatedAppMissing()) {
        showAlert(voCommonText(QStringLiteral("VOPrefsCouldNotFindGameAppTitle"),
                               QStringLiteral("Could not find %@!"),
                               {controls().customDedicatedAppName->text()}),
                  voCommonText(QStringLiteral("VOPrefsCouldNotFindGameAppMsg"),
                               QStringLiteral("Please check that the given Quake3 application "
                                              "exists in your game root directory:\n%@"),
                               {m_gameRootDir()}));
        return;
    }
    writeSettings();
    if (const Result<void> saved = UserDefaults::sync(); !saved.ok()) {
        showAlert(voCommonText(QStringLiteral("PrefsNotSavedTitle"),
                               QStringLiteral("Preferences could not be saved!")),
                  voCommonText(QStringLiteral("PrefsNotSavedMsg"),
                               QStringLiteral("The settings file %@ could not be written "
                                              "(%@). Your preferences stay in Voranth until "
                                              "you quit."),
                               {UserDefaults::settingsFilePath(), saved.error}));
        return;
    }
    setClean(true);
}

void PreferenceController::writeSettings()
{
    const PreferenceControls& c = controls();
    QStringList masters;
    for (const QLineEdit* field : c.masterServers)
        masters.append(field->text());

    UserDefaults::setValue(KZXDedicatedAppType, c.dedicatedApp->selectedTag());
    UserDefaults::setValue(KZXCustomDedicatedAppname, c.customDedicatedAppName->text());
    setDedicatedAppName();
    UserDefaults::setValue(KZXDedicatedAppName, m_dedicatedAppName);
    UserDefaults::setValue(KZXUseDefaultMasterServersKey, c.useDefaultMasterServers->isChecked());
    UserDefaults::setValue(KZXGameMasterServKey, masters);
    for (const SwitchKey& entry : preserveSwitches())
        UserDefaults::setValue(entry.key, (c.*entry.control)->isChecked());
    UserDefaults::setValue(KZXRconPasswordGenerationType,
                           c.rconPasswordGenerationType->selectedTag());
    UserDefaults::setValue(KZXRconPasswordGenerationTypeStringKey, m_passwordGenTypeString);
    UserDefaults::setValue(KZXEnablePunkBusterByDefaultKey,
                           c.enablePunkBusterByDefault->isChecked());
    UserDefaults::setValue(KZXPutTerminalBackKey, c.putTerminalBackSwitch->isChecked());
    UserDefaults::setValue(KZXServerHostingKey,
                           ServerHosting::textOf(c.serverHosting->selectedTag() == 1
                                                     ? ServerHosting::Way::Service
                                                     : ServerHosting::Way::Terminal));
    UserDefaults::setValue(KZXMapImageLoadingKey, c.mapImageLoadingMethod->selectedTag());
    UserDefaults::setValue(KZXMapImageCacheSizeKey, c.mapImageCacheSize->value());
}

void PreferenceController::showHostingAvailability()
{
    const PreferenceControls& c = controls();
    const UserServiceManager::Availability manager = UserServiceManager::availability();
    // A setting made elsewhere stays selectable; the start says why it cannot be kept.
    c.serverHosting->buttonForTag(1)->setEnabled(manager.available ||
                                                 c.serverHosting->selectedTag() == 1);
    c.serverHostingNote->setText(
        manager.available
            ? QString()
            : rconCommText(QStringLiteral("ServiceHostingUnavailable"),
                           QStringLiteral("Unavailable: no service manager of the user answers "
                                          "(%@)."),
                           {manager.reason}));
    c.serverHostingNote->setVisible(!manager.available);
}

void PreferenceController::showAlert(const QString& title, const QString& message)
{
    m_alerts.show(m_window, {title, message, {QStringLiteral("OK")}, false});
}
