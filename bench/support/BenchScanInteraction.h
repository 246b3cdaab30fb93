#pragma once

#include "content/ProgressCounter.h"
#include "content/ScanInteraction.h"

#include <memory>

// The scan's progress and notices without a window: steps are counted, notices remembered.
class BenchScanInteraction : public ScanInteraction
{
public:
    std::unique_ptr<StartupProgress> makeProgress() override
    {
        ++progressWindows;
        return std::make_unique<ProgressCounter>();
    }
    void showNotice(const QString&, const QString&) override { ++notices; }

    int progressWindows = 0;
    int notices = 0;
};
