#include "app/NewConfigSheet.h"

#include "app/ConfigNameValidator.h"
#include "app/FormControls.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

NewConfigSheet::NewConfigSheet(QWidget* parent)
    : QDialog(parent), m_configNameField(new QLineEdit(this)),
      m_gameTypePopUpMenu(new QComboBox(this)), m_newConfigModNameField(new QLabel(this)),
      m_reasonField(FormControls::reasonLabel(QStringLiteral("configNameReasonField"), this))
{
    setObjectName(QStringLiteral("newConfigWindow"));
    setWindowTitle(tr("New Configuration"));
    setWindowModality(Qt::WindowModal);
    m_configNameField->setObjectName(QStringLiteral("configNameField"));
    m_configNameField->setMinimumWidth(FormControls::nameFieldWidth(m_configNameField));
    m_gameTypePopUpMenu->setObjectName(QStringLiteral("gameTypePopUpMenu"));
    m_gameTypePopUpMenu->setAccessibleName(tr("Game type"));
    m_newConfigModNameField->setObjectName(QStringLiteral("newConfigModNameField"));

    auto* form = new QFormLayout(this);
    form->addRow(tr("Name:"), m_configNameField);
    form->addRow(QString(), m_reasonField);
    form->addRow(tr("Game type:"), m_gameTypePopUpMenu);
    form->addRow(tr("Mod:"), m_newConfigModNameField);
    auto* buttons = new QDialogButtonBox(this);
    m_okButton = buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    m_okButton->setObjectName(QStringLiteral("newConfigOkButton"));
    cancel->setObjectName(QStringLiteral("newConfigCancelButton"));
    m_okButton->setDefault(true);
    form->addRow(buttons);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_nameValidator = new ConfigNameValidator(*m_configNameField, *m_okButton, *m_reasonField, this);
}

void NewConfigSheet::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_configNameField->setFocus();
}
