#pragma once

#include "content/ScanInteraction.h"

class QWidget;

// The pak scan in the application: the progress window and an alert.
class AppScanInteraction : public ScanInteraction
{
public:
    explicit AppScanInteraction(QWidget* alertParent = nullptr) : m_alertParent(alertParent) {}
    std::unique_ptr<StartupProgress> makeProgress() override;
    void showNotice(const QString& title, const QString& message) override;

private:
    QWidget* m_alertParent;
};
