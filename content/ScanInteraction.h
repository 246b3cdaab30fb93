#pragma once

#include "content/StartupProgress.h"

#include <QString>

#include <memory>

// What the pak scan needs from whoever runs it: a progress window when there is something
// to extract, and a notice the user must acknowledge before a full rebuild.
class ScanInteraction
{
public:
    virtual ~ScanInteraction() = default;
    virtual std::unique_ptr<StartupProgress> makeProgress() = 0;
    virtual void showNotice(const QString& title, const QString& message) = 0;
};
