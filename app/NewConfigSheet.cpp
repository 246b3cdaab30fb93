#include "app/NewConfigSheet.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

NewConfigSheet::NewConfigSheet(QWidget* parent)
    : QDialog(parent), m_configNameField(new QLineEdit(this)),
      m_gameTypePopUpMenu(new QComboBox(this)), m_newConfigModNameField(new QLabel(this))
{
    setObjectName(QStringLiteral("newConfigWindow"));
    setWindowTitle(tr("New Configuration"));
    setWindowModality(Qt::WindowModal);
    m_configNameField->setObjectName(QStringLiteral("configNameField"));
    m_gameTypePopUpMenu->setObjectName(QStringLiteral("gameTypePopUpMenu"));
    m_newConfigModNameField->setObjectName(QStringLiteral("newConfigModNameField"));

    auto* form = new QFormLayout(this);
    form->addRow(tr("Name:"), m_configNameField);
    form->addRow(tr("Game type:"), m_gameTypePopUpMenu);
    form->addRow(tr("Mod:"), m_newConfigModNameField);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    ok->setObjectName(QStringLiteral("newConfigOkButton"));
    cancel->setObjectName(QStringLiteral("newConfigCancelButton"));
    ok->setDefault(true);
    form->addRow(buttons);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}
