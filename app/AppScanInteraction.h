#pragma once

#include "content/ScanInteraction.h"

class AlertPresenter;
class QWidget;

// The pak scan in the application: the progress window and an alert.
class AppScanInteraction : public ScanInteraction
{
public:
    AppScanInteraction(AlertPresenter& alerts, QWidget* alertParent)
        : m_alerts(alerts), m_alertParent(alertParent)
    {}
    std::unique_ptr<StartupProgress> makeProgress() override;
    void showNotice(const QString& title, const QString& message) override;

private:
    AlertPresenter& m_alerts;
    QWidget* m_alertParent;
};
