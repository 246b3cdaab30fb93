#pragma once

#include <QString>

#include <functional>

class QWidget;

// The open panel for a directory; tests answer it instead of a person.
class DirectoryPanel
{
public:
    using Chooser = std::function<QString(const QString& startDirectory)>;

    // The chosen directory, or empty when the user cancelled.
    static QString chooseDirectory(QWidget* parent, const QString& title, const QString& start);
    static void setChooser(Chooser chooser);
};
