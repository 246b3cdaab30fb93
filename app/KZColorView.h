#pragma once

#include <QColor>
#include <QWidget>

// A rectangle filled with one colour inside a grey frame: the team-colour swatch.
class KZColorView : public QWidget
{
    Q_OBJECT
public:
    explicit KZColorView(QWidget* parent = nullptr);

    // Keeps the colour; the caller asks for the redraw.
    void setFillColor(const QColor& color) { m_fillColor = color; }
    const QColor& fillColor() const { return m_fillColor; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_fillColor = QColor::fromRgbF(0.85f, 0.85f, 0.85f, 1.0f);
};
