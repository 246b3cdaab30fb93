#include "app/FormControls.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QFontDatabase>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>

namespace {

// A number changes by the mouse wheel only while it has the focus; otherwise the turn goes on
// to the page around it, so that scrolling a tab does not change the numbers it passes.
class WheelOnlyWithFocus : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Wheel || static_cast<QWidget*>(watched)->hasFocus())
            return false;
        event->ignore();
        return true;
    }
};

void takeWheelOnlyWithFocus(QAbstractSpinBox* field)
{
    field->setFocusPolicy(Qt::StrongFocus);
    field->installEventFilter(new WheelOnlyWithFocus(field));
}

} // namespace

namespace FormControls {

QLineEdit* textField(const QString& name, QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    return field;
}

QSpinBox* numberField(const QString& name, int minimum, int maximum, QWidget* parent, Arrows arrows)
{
    auto* field = new QSpinBox(parent);
    field->setObjectName(name);
    field->setRange(minimum, maximum);
    field->setAlignment(Qt::AlignRight);
    field->setMaximumWidth(110);
    if (arrows == Arrows::Hidden)
        field->setButtonSymbols(QAbstractSpinBox::NoButtons);
    takeWheelOnlyWithFocus(field);
    return field;
}

QDoubleSpinBox* decimalField(const QString& name, double minimum, double maximum, QWidget* parent)
{
    auto* field = new QDoubleSpinBox(parent);
    field->setObjectName(name);
    field->setLocale(QLocale::c());
    field->setDecimals(2);
    field->setRange(minimum, maximum);
    field->setButtonSymbols(QAbstractSpinBox::NoButtons);
    field->setAlignment(Qt::AlignRight);
    field->setMaximumWidth(110);
    takeWheelOnlyWithFocus(field);
    return field;
}

QLineEdit* displayField(const QString& name, QWidget* parent)
{
    QLineEdit* field = textField(name, parent);
    field->setAlignment(Qt::AlignRight);
    field->setMaximumWidth(110);
    showOnly(field);
    return field;
}

QCheckBox* switchButton(const QString& name, const QString& title, QWidget* parent)
{
    auto* box = new QCheckBox(title, parent);
    box->setObjectName(name);
    return box;
}

QPushButton* pushButton(const QString& name, const QString& title, QWidget* parent)
{
    auto* button = new QPushButton(title, parent);
    button->setObjectName(name);
    return button;
}

QLabel* reasonLabel(const QString& name, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setMaximumWidth(nameFieldWidth(label));
    label->setTextFormat(Qt::PlainText);
    return label;
}

int nameFieldWidth(const QWidget* field)
{
    return field->fontMetrics().averageCharWidth() * 40;
}

QTableView* plainTable(const QString& name, QWidget* parent)
{
    auto* table = new QTableView(parent);
    table->setObjectName(name);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setShowGrid(false);
    useCompactRows(table);
    return table;
}

void showOnly(QLineEdit* field)
{
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    field->setPalette(palette);
}

void useCompactRows(QTableView* table)
{
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
}

QList<int> selectedRows(const QAbstractItemView* view)
{
    QList<int> rows;
    if (!view->selectionModel())
        return rows;
    for (const QModelIndex& index : view->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void selectRow(QAbstractItemView* view, int row, bool extend)
{
    QItemSelectionModel* selection = view->selectionModel();
    const QModelIndex index = view->model()->index(row, 0);
    if (!index.isValid()) {
        if (!extend)
            selection->clearSelection();
        return;
    }
    const auto flags =
        (extend ? QItemSelectionModel::Select : QItemSelectionModel::ClearAndSelect) |
        QItemSelectionModel::Rows;
    selection->select(index, flags);
    selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

void useFixedFont(QWidget* widget, int pointSize)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(pointSize);
    widget->setFont(font);
}

} // namespace FormControls
