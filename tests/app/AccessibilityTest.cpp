#include "EditorFixture.h"

#include "app/KeyedTableModel.h"
#include "app/ConfigActions.h"
#include "app/LevelShotView.h"
#include "app/NewConfigSheet.h"
#include "app/RadioMatrix.h"
#include "app/RemoteControlView.h"
#include "app/RenameConfigSheet.h"
#include "app/SetupEditorView.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QCheckBox>
#include <QRadioButton>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
#include <QSlider>
#include <QSpinBox>
#include <QTableView>

namespace {

// The controls a person works with; the parts of a control (the field inside a number or a
// pop-up, a pop-up's list) speak through the control.
bool isControlKind(const QWidget* widget)
{
    return qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QLineEdit*>(widget) ||
           qobject_cast<const QAbstractSpinBox*>(widget) || qobject_cast<const QComboBox*>(widget) ||
           qobject_cast<const QAbstractItemView*>(widget) || qobject_cast<const QSlider*>(widget);
}

bool isControl(const QWidget* widget)
{
    const QWidget* parent = widget->parentWidget();
    // A table's header and corner, a field's clear button, the menu bar's overflow button.
    const bool part = (parent && isControlKind(parent)) || qobject_cast<const QMenuBar*>(parent) ||
                      qobject_cast<const QHeaderView*>(widget);
    return !part && isControlKind(widget);
}

QString spokenName(QWidget* widget)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible ? accessible->text(QAccessible::Name).trimmed() : QString();
}

QString describe(const QWidget* widget)
{
    return QStringLiteral("%1 (%2)").arg(widget->objectName(), widget->metaObject()->className());
}

// Every enabled control of the window (and its sheets) without a name a screen reader speaks.
QStringList unnamedControls(QWidget* top)
{
    QStringList unnamed;
    for (QWidget* widget : top->findChildren<QWidget*>()) {
        if (!isControl(widget) || !widget->isEnabled() || widget->window() == widget)
            continue;
        if (spokenName(widget).isEmpty())
            unnamed.append(describe(widget));
    }
    return unnamed;
}

} // namespace

using AccessibilityTest = EditorFixture;

TEST_F(AccessibilityTest, EveryEnabledControlHasANameAScreenReaderSpeaks)
{
    newConfig("Server");
    const EditorControls& c = editor().controls();
    ASSERT_TRUE(c.serverNameField->isEnabled());
    // The controls that other choices enable, enabled.
    c.hunkMegsUseSwitch->click();
    c.optimizeNetworkMatrix->buttonForTag(1)->click();
    ASSERT_TRUE(c.hunkMegsField->isEnabled());
    ASSERT_TRUE(c.optimizeNetworkField->isEnabled());
    EXPECT_EQ(unnamedControls(window.get()).join("\n").toStdString(), "");

    // The remote-control pane's controls, as they are while a server is controlled.
    QWidget* pane = &window->remoteControl();
    for (QWidget* widget : pane->findChildren<QWidget*>())
        widget->setEnabled(true);
    EXPECT_EQ(unnamedControls(pane).join("\n").toStdString(), "");

    // The sheets too, while they are open.
    controller->actions().raiseNewConfigWindow();
    EXPECT_EQ(unnamedControls(controller->actions().newConfigWindow()).join("\n").toStdString(), "");
    controller->actions().newConfigWindow()->reject();
    controller->actions().raiseRenameConfigWindow();
    EXPECT_EQ(unnamedControls(controller->actions().renameConfigWindow()).join("\n").toStdString(),
              "");
    controller->actions().renameConfigWindow()->reject();
}

TEST_F(AccessibilityTest, TableColumnsHaveHumanTitles)
{
    newConfig("Server");
    for (QTableView* table : window->findChildren<QTableView*>()) {
        const QAbstractItemModel* model = table->model();
        // A table without a model has no columns. A hidden header still titles the cells a
        // screen reader reads.
        if (!model)
            continue;
        for (int column = 0; column < model->columnCount(); ++column) {
            const QString title = model->headerData(column, Qt::Horizontal).toString();
            EXPECT_FALSE(title.isEmpty()) << describe(table).toStdString() << " " << column;
            const QVariant id =
                model->headerData(column, Qt::Horizontal, KeyedTableModel::ColumnIdRole);
            if (id.isValid()) {
                EXPECT_NE(title, id.toString())
                    << describe(table).toStdString() << ": the identifier is no title";
            }
        }
    }
}

TEST_F(AccessibilityTest, TheLevelShotSaysWhichMapItShows)
{
    newConfig("Server");
    const EditorControls& c = window->setupEditor().controls();
    EXPECT_EQ(spokenName(c.mapImageView), "Level shot");
    QAccessibleInterface* shot = QAccessible::queryAccessibleInterface(c.mapImageView);
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(shot->text(QAccessible::Description),
              "Level shot of " + c.mapNameField->text() + " (" + c.selectedMapField->text() + ")");
}
