#include "app/UnparsedMapsWindow.h"

#include "app/FormControls.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

UnparsedMapsWindow::UnparsedMapsWindow(QWidget* parent)
    : QDialog(parent), m_unparsedMapsTextView(new QPlainTextEdit(this)),
      m_saveAndContinueButton(FormControls::pushButton(
          QStringLiteral("unparsedMapsSaveAndContinueButton"), tr("&Save and continue"), this)),
      m_continueButton(FormControls::pushButton(
          QStringLiteral("unparsedMapsContinueDoNotSaveButton"), tr("&Continue"), this))
{
    setObjectName(QStringLiteral("unparsedMapsWindow"));
    setWindowTitle(tr("Maps that could not be parsed"));
    setWindowModality(Qt::WindowModal);

    auto* explanation = new QLabel(
        tr("The scripts of these maps could not be read; the maps are left out of the map "
           "library. Saving writes this list to a log file in Voranth's data directory."),
        this);
    explanation->setWordWrap(true);
    m_unparsedMapsTextView->setObjectName(QStringLiteral("unparsedMapsTextView"));
    m_unparsedMapsTextView->setReadOnly(true);
    m_unparsedMapsTextView->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_unparsedMapsTextView->setAccessibleName(tr("Maps that could not be parsed"));
    FormControls::useFixedFont(m_unparsedMapsTextView, 11);
    m_saveAndContinueButton->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_continueButton);
    buttons->addWidget(m_saveAndContinueButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addWidget(m_unparsedMapsTextView, 1);
    layout->addLayout(buttons);
    resize(640, 360);

    connect(m_saveAndContinueButton, &QPushButton::clicked, this,
            [this] { endUnparsedMapsWindow(m_saveAndContinueButton); });
    connect(m_continueButton, &QPushButton::clicked, this,
            [this] { endUnparsedMapsWindow(m_continueButton); });
}

void UnparsedMapsWindow::showPrintout(const QString& printout)
{
    m_unparsedMapsTextView->clear();
    m_unparsedMapsTextView->appendPlainText(printout);
    m_unparsedMapsTextView->moveCursor(QTextCursor::Start);
}

void UnparsedMapsWindow::endUnparsedMapsWindow(QObject* sender)
{
    hide();
    if (sender == m_saveAndContinueButton)
        done(SaveAndContinue);
    else if (sender == m_continueButton)
        done(ContinueDoNotSave);
}
