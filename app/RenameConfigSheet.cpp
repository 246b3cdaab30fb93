#include "app/RenameConfigSheet.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

RenameConfigSheet::RenameConfigSheet(QWidget* parent)
    : QDialog(parent), m_old(new QLineEdit(this)), m_new(new QLineEdit(this))
{
    setObjectName(QStringLiteral("renameConfigWindow"));
    setWindowTitle(tr("Rename Configuration"));
    setWindowModality(Qt::WindowModal);
    m_old->setObjectName(QStringLiteral("configNameFieldRenameOld"));
    m_old->setReadOnly(true);
    m_new->setObjectName(QStringLiteral("configNameFieldRenameNew"));
    auto* form = new QFormLayout(this);
    form->addRow(tr("Current name:"), m_old);
    form->addRow(tr("New name:"), m_new);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(tr("Rename"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    ok->setObjectName(QStringLiteral("renameConfigOkButton"));
    ok->setDefault(true);
    form->addRow(buttons);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}
