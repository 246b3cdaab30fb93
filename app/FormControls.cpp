#include "app/FormControls.h"

#include "app/StepperButtons.h"

#include <QCheckBox>
#include <QDoubleValidator>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

namespace FormControls {

QLineEdit* textField(const QString& name, QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    return field;
}

QLineEdit* integerField(const QString& name, QWidget* parent, int minimum, int maximum)
{
    QLineEdit* field = textField(name, parent);
    field->setValidator(new QIntValidator(minimum, maximum, field));
    field->setAlignment(Qt::AlignRight);
    field->setMaximumWidth(110);
    return field;
}

QLineEdit* decimalField(const QString& name, QWidget* parent)
{
    QLineEdit* field = textField(name, parent);
    auto* validator = new QDoubleValidator(0.0, 1000.0, 2, field);
    validator->setLocale(QLocale::c());
    field->setValidator(validator);
    field->setAlignment(Qt::AlignRight);
    field->setMaximumWidth(110);
    return field;
}

QCheckBox* switchButton(const QString& name, const QString& title, QWidget* parent)
{
    auto* box = new QCheckBox(title, parent);
    box->setObjectName(name);
    return box;
}

StepperButtons* stepper(const QString& name, int minimum, int maximum, QWidget* parent)
{
    auto* buttons = new StepperButtons(parent);
    buttons->setObjectName(name);
    buttons->setRange(minimum, maximum);
    return buttons;
}

QWidget* fieldWithStepper(QLineEdit* field, StepperButtons* stepper, QWidget* parent)
{
    auto* box = new QWidget(parent);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    field->setParent(box);
    stepper->setParent(box);
    layout->addWidget(field);
    layout->addWidget(stepper);
    layout->addStretch();
    return box;
}

QPushButton* pushButton(const QString& name, const QString& title, QWidget* parent)
{
    auto* button = new QPushButton(title, parent);
    button->setObjectName(name);
    return button;
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
