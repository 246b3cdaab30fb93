#pragma once

#include "app/PreferencesWindow.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class AlertPresenter;

// The preferences window's controller: fills the window from the user settings, follows the
// user's changes to its own controls, and writes every setting when the user saves them.
// Made on the first request to show the preferences and kept for the rest of the run.
class PreferenceController : public QObject
{
    Q_OBJECT
public:
    // gameRootDir answers the game directory of the moment, in which a custom server program
    // must exist; the window belongs to parent (and goes with it or with the controller).
    PreferenceController(AlertPresenter& alerts, std::function<QString()> gameRootDir,
                         QWidget* parent);
    ~PreferenceController() override;

    PreferencesWindow* window() const { return m_window; }
    const PreferenceControls& controls() const { return m_window->controls(); }
    // Shows the window, or brings it forward when it is shown already.
    void showWindow();

    const QString& dedicatedAppName() const { return m_dedicatedAppName; }
    const QString& passwordGenTypeString() const { return m_passwordGenTypeString; }
    bool recordNeedsSaving() const { return m_recordNeedsSaving; }

    void windowDidLoad();
    // Derives the program name from the choice (and the custom field's enabled state).
    void setDedicatedAppName();
    // Derives "copy" (tag 1), "empty" (tag 2) or "random" from the password choice.
    void setPasswordGenTypeString();
    void switchClicked(QObject* control);
    void textDidChange();
    // Writes every setting, when there are changes and a custom program exists.
    void saveChanges();

private:
    void connectControls();
    void selectDedicatedAppChoice();
    void selectPasswordChoice();
    void followMasterServerSwitch();
    void followLoadingMethod();
    void setClean(bool clean);
    bool customDedicatedAppMissing() const;
    void writeSettings();
    // Whether the user's service manager answers, and why not.
    void showHostingAvailability();
    void showAlert(const QString& title, const QString& message);

    AlertPresenter& m_alerts;
    std::function<QString()> m_gameRootDir;
    QPointer<PreferencesWindow> m_window;
    QString m_dedicatedAppName;
    QString m_passwordGenTypeString;
    bool m_recordNeedsSaving = false;
};
