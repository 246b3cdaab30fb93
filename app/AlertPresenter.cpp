#include "app/AlertPresenter.h"

#include <QMessageBox>
#include <QPushButton>

namespace {

AlertPresenter::Answerer& answerer()
{
    static AlertPresenter::Answerer current;
    return current;
}

QList<AlertRequest>& shown()
{
    static QList<AlertRequest> requests;
    return requests;
}

int showMessageBox(QWidget* parent, const AlertRequest& request)
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
    box.exec();
    const qsizetype index = buttons.indexOf(box.clickedButton());
    return index < 0 ? 0 : int(index);
}

} // namespace

int AlertPresenter::show(QWidget* parent, const AlertRequest& request)
{
    shown().append(request);
    if (answerer())
        return answerer()(request);
    return showMessageBox(parent, request);
}

void AlertPresenter::setAnswerer(Answerer function)
{
    answerer() = std::move(function);
}

QList<AlertRequest> AlertPresenter::takeShown()
{
    return std::exchange(shown(), {});
}
