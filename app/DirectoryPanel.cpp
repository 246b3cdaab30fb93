#include "app/DirectoryPanel.h"

#include <QFileDialog>

namespace {

DirectoryPanel::Chooser& chooser()
{
    static DirectoryPanel::Chooser current;
    return current;
}

} // namespace

QString DirectoryPanel::chooseDirectory(QWidget* parent, const QString& title, const QString& start)
{
    if (chooser())
        return chooser()(start);
    return QFileDialog::getExistingDirectory(parent, title, start, QFileDialog::ShowDirsOnly);
}

void DirectoryPanel::setChooser(Chooser function)
{
    chooser() = std::move(function);
}
