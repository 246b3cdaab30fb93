#pragma once

#include <QList>
#include <QString>

class QAbstractItemView;
class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableView;
class QLineEdit;
class QWidget;

// Makers of the small controls the editor and the remote-control pane are built of; each
// control gets its outlet name as object name.
namespace FormControls {

QLineEdit* textField(const QString& name, QWidget* parent);
// A whole number the user types or steps with the arrows, within the range its server
// variable accepts. Without arrows it looks like a plain field.
enum class Arrows
{
    Shown,
    Hidden
};
QSpinBox* numberField(const QString& name, int minimum, int maximum, QWidget* parent,
                      Arrows arrows = Arrows::Shown);
// A number with two decimals, written with a point whatever the user's locale.
QDoubleSpinBox* decimalField(const QString& name, double minimum, double maximum, QWidget* parent);
// A field that shows a number the user does not type.
QLineEdit* displayField(const QString& name, QWidget* parent);
QCheckBox* switchButton(const QString& name, const QString& title, QWidget* parent);
QPushButton* pushButton(const QString& name, const QString& title, QWidget* parent);
// A line that tells why a typed value cannot be taken; it wraps rather than widens its sheet.
QLabel* reasonLabel(const QString& name, QWidget* parent);
// A width that shows a name of about forty characters whole.
int nameFieldWidth(const QWidget* field);
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
