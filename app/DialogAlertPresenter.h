#pragma once

#include "app/AlertPresenter.h"

// The alerts as message boxes and the directory panel as the file dialog.
class DialogAlertPresenter : public AlertPresenter
{
public:
    int show(QWidget* parent, const AlertRequest& request) override;
    QString chooseDirectory(QWidget* parent, const QString& title, const QString& start) override;

    // The message with places where a line may break inside words too long for a line.
    static QString wrappable(const QString& message);
};
