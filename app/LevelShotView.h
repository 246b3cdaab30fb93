#pragma once

#include <QLabel>

// A map's level shot, as large as its space allows, in the picture's own proportions.
class LevelShotView : public QLabel
{
    Q_OBJECT
public:
    explicit LevelShotView(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // Where the picture is drawn: the largest rectangle of its proportions in the view.
    QRect pictureRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};
