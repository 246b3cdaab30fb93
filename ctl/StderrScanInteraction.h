#pragma once

#include "content/ScanInteraction.h"

#include <QTextStream>

// The pak scan in a terminal: progress and notices as lines on standard error.
class StderrScanInteraction : public ScanInteraction
{
public:
    explicit StderrScanInteraction(QTextStream& err) : m_err(err) {}
    std::unique_ptr<StartupProgress> makeProgress() override;
    void showNotice(const QString& title, const QString& message) override;

private:
    QTextStream& m_err;
};
