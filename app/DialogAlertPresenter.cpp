#include "app/DialogAlertPresenter.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

int DialogAlertPresenter::show(QWidget* parent, const AlertRequest& request)
{
    QMessageBox box(parent);
    box.setObjectName(QStringLiteral("alert"));
    box.setIcon(request.informational ? QMessageBox::Information : QMessageBox::Warning);
    box.setText(request.title);
    box.setInformativeText(request.message);
    box.setWindowModality(request.sheet && parent ? Qt::WindowModal : Qt::ApplicationModal);
    QList<QAbstractButton*> buttons;
    for (qsizetype i = 0; i < request.buttons.size(); ++i) {
        QPushButton* button = box.addButton(
            request.buttons.at(i), i == 0 ? QMessageBox::AcceptRole : QMessageBox::RejectRole);
        if (i == 0)
            box.setDefaultButton(button);
        buttons.append(button);
    }
    if (request.escapeButton >= 0 && request.escapeButton < buttons.size())
        box.setEscapeButton(buttons.at(request.escapeButton));
    box.exec();
    const qsizetype index = buttons.indexOf(box.clickedButton());
    return index < 0 ? 0 : int(index);
}

QString DialogAlertPresenter::chooseDirectory(QWidget* parent, const QString& title,
                                              const QString& start)
{
    return QFileDialog::getExistingDirectory(parent, title, start, QFileDialog::ShowDirsOnly);
}
