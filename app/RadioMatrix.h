#pragma once

#include <QWidget>

class QButtonGroup;
class QRadioButton;

// A group of radio buttons told apart by their tags (0, 1, ...): one choice of several.
class RadioMatrix : public QWidget
{
    Q_OBJECT
public:
    RadioMatrix(const QStringList& titles, Qt::Orientation orientation, QWidget* parent = nullptr);

    int selectedTag() const;
    void selectTag(int tag);
    void setTitleForTag(int tag, const QString& title);
    QString titleForTag(int tag) const;
    QRadioButton* buttonForTag(int tag) const;

signals:
    // A choice clicked with the mouse (or the keyboard's space).
    void clicked(int tag);
    // Another choice selected, however that came: a click, the arrow keys, an assistive tool
    // toggling a button, or selectTag.
    void choiceChanged(int tag);

private:
    QButtonGroup* m_group;
};
