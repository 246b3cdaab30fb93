#pragma once

#include <QList>
#include <QString>

class QAbstractItemView;
class QCheckBox;
class QPushButton;
class QTableView;
class QHBoxLayout;
class QLineEdit;
class QWidget;
class StepperButtons;

// Makers of the small controls the editor and the remote-control pane are built of; each
// control gets its outlet name as object name.
namespace FormControls {

QLineEdit* textField(const QString& name, QWidget* parent);
QLineEdit* integerField(const QString& name, QWidget* parent, int minimum = -999999999,
                        int maximum = 999999999);
QLineEdit* decimalField(const QString& name, QWidget* parent);
QCheckBox* switchButton(const QString& name, const QString& title, QWidget* parent);
StepperButtons* stepper(const QString& name, int minimum, int maximum, QWidget* parent);
// A field with its stepper beside it.
QWidget* fieldWithStepper(QLineEdit* field, StepperButtons* stepper, QWidget* parent);
QPushButton* pushButton(const QString& name, const QString& title, QWidget* parent);
// A table of rows without grid or row numbers, its last column stretched.
QTableView* plainTable(const QString& name, QWidget* parent);
// A field that shows a value the user does not type: read-only, on the window's background.
void showOnly(QLineEdit* field);
// Rows just high enough for one line of text.
void useCompactRows(QTableView* table);
// The selected rows of a table, ascending.
QList<int> selectedRows(const QAbstractItemView* view);
// Selects a row, extending the selection or not; a row outside the table clears it.
void selectRow(QAbstractItemView* view, int row, bool extend = false);
// A fixed-width font for lists of names and server replies.
void useFixedFont(QWidget* widget, int pointSize);

} // namespace FormControls
