#include "app/RadioMatrix.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QRadioButton>

RadioMatrix::RadioMatrix(const QStringList& titles, Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent), m_group(new QButtonGroup(this))
{
    auto* layout = new QBoxLayout(
        orientation == Qt::Horizontal ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom, this);
    layout->setContentsMargins(0, 0, 0, 0);
    for (qsizetype tag = 0; tag < titles.size(); ++tag) {
        auto* button = new QRadioButton(titles.at(tag), this);
        m_group->addButton(button, int(tag));
        layout->addWidget(button);
    }
    layout->addStretch();
    if (QAbstractButton* first = m_group->button(0))
        first->setChecked(true);
    connect(m_group, &QButtonGroup::idClicked, this, &RadioMatrix::clicked);
    connect(m_group, &QButtonGroup::idToggled, this, [this](int tag, bool checked) {
        if (checked)
            emit choiceChanged(tag);
    });
}

int RadioMatrix::selectedTag() const
{
    return m_group->checkedId();
}

void RadioMatrix::selectTag(int tag)
{
    if (QAbstractButton* button = m_group->button(tag))
        button->setChecked(true);
}

void RadioMatrix::setTitleForTag(int tag, const QString& title)
{
    if (QAbstractButton* button = m_group->button(tag))
        button->setText(title);
}

QString RadioMatrix::titleForTag(int tag) const
{
    QAbstractButton* button = m_group->button(tag);
    return button ? button->text() : QString();
}

QRadioButton* RadioMatrix::buttonForTag(int tag) const
{
    return qobject_cast<QRadioButton*>(m_group->button(tag));
}
