#include "app/AppScanInteraction.h"

#include "app/AlertPresenter.h"
#include "app/VOSStartupController.h"

std::unique_ptr<StartupProgress> AppScanInteraction::makeProgress()
{
    return std::make_unique<VOSStartupController>();
}

void AppScanInteraction::showNotice(const QString& title, const QString& message)
{
    m_alerts.show(m_alertParent, {title, message, {QStringLiteral("OK")}, false, true});
}
