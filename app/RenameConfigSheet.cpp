#include "app/RenameConfigSheet.h"

#include "app/ConfigNameValidator.h"
#include "app/FormControls.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

RenameConfigSheet::RenameConfigSheet(QWidget* parent)
    : QDialog(parent), m_old(new QLineEdit(this)), m_new(new QLineEdit(this)),
      m_reasonField(FormControls::reasonLabel(QStringLiteral("renameReasonField"), this))
{
    setObjectName(QStringLiteral("renameConfigWindow"));
    setWindowTitle(tr("Rename Configuration"));
    setWindowModality(Qt::WindowModal);
    m_old->setObjectName(QStringLiteral("configNameFieldRenameOld"));
    FormControls::showOnly(m_old);
    m_new->setObjectName(QStringLiteral("configNameFieldRenameNew"));
    m_new->setMinimumWidth(FormControls::nameFieldWidth(m_new));
    auto* form = new QFormLayout(this);
    form->addRow(tr("Current name:"), m_old);
    form->addRow(tr("New name:"), m_new);
    form->addRow(QString(), m_reasonField);
    auto* buttons = new QDialogButtonBox(this);
    m_okButton = buttons->addButton(tr("Rename"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    m_okButton->setObjectName(QStringLiteral("renameConfigOkButton"));
    cancel->setObjectName(QStringLiteral("renameConfigCancelButton"));
    m_okButton->setDefault(true);
    form->addRow(buttons);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_nameValidator = new ConfigNameValidator(*m_new, *m_okButton, *m_reasonField, this);
}

void RenameConfigSheet::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_new->setFocus();
}
