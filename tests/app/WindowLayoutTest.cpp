#include "EditorFixture.h"

#include "app/LevelShotView.h"
#include "app/MapTableView.h"
#include "app/RadioMatrix.h"
#include "app/SetupEditorView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

namespace {

class WindowLayoutTest : public EditorFixture
{
protected:
    const EditorControls& c() const { return window->setupEditor().controls(); }

    void showAt(const QSize& size, QWidget* tabControl)
    {
        window->resize(size);
        window->setupEditor().setCurrentWidget(page(tabControl));
        QApplication::processEvents();
        window->centralWidget()->layout()->activate();
        QApplication::processEvents();
    }
    // The tab's page a control is on.
    QWidget* page(QWidget* control) const
    {
        QWidget* widget = control;
        while (widget->parentWidget() && widget->parentWidget()->parentWidget() !=
                                             &window->setupEditor())
            widget = widget->parentWidget();
        return widget;
    }
    static QRect inWindow(const QWidget* widget)
    {
        return QRect(widget->mapTo(widget->window(), QPoint(0, 0)), widget->size());
    }
};

} // namespace

TEST_F(WindowLayoutTest, OnALargeScreenFieldsKeepTheirWidthAndStayBesideTheirLabels)
{
    newConfig("Server");
    const QSize large(1600, 1000);
    showAt(large, c().serverNameField);
    for (QWidget* field : std::initializer_list<QWidget*>{
             c().serverNameField, c().welcomeTextField, c().gameTypeDynamicPopUpMenu})
        EXPECT_LT(field->width(), large.width() / 3) << field->objectName().toStdString();

    showAt(large, c().optimizeNetworkField);
    const QRect custom = inWindow(c().optimizeNetworkMatrix->buttonForTag(1));
    const QRect rate = inWindow(c().optimizeNetworkField);
    EXPECT_LT(rate.left() - custom.right(), 40) << "the rate's field follows Custom";
    EXPECT_LT(c().netIPField->width(), large.width() / 3);
}

TEST_F(WindowLayoutTest, TheLevelShotGrowsWithTheWindow)
{
    newConfig("Server");
    showAt(window->minimumSizeHint(), c().mapLibraryTableView);
    const QRect small = static_cast<LevelShotView*>(c().mapImageView)->pictureRect();
    showAt(QSize(1600, 1000), c().mapLibraryTableView);
    const QRect large = static_cast<LevelShotView*>(c().mapImageView)->pictureRect();
    EXPECT_GE(small.height(), 100);
    EXPECT_GT(large.height(), small.height() * 3 / 2);
    EXPECT_GT(large.width(), small.width() * 3 / 2);
}

TEST_F(WindowLayoutTest, AtTheSmallestSizeNoButtonOrFieldIsCutShort)
{
    newConfig("Server");
    const QSize smallest = window->minimumSize().expandedTo(window->minimumSizeHint());
    for (QWidget* tabControl : std::initializer_list<QWidget*>{
             c().serverNameField, c().netIPField, c().botMinPlayersSlider, c().mapLibraryTableView,
             c().extraParametersTableView}) {
        showAt(smallest, tabControl);
        EXPECT_EQ(window->size(), smallest);
        for (QWidget* widget : window->findChildren<QWidget*>()) {
            const bool control = qobject_cast<QAbstractButton*>(widget) ||
                                 qobject_cast<QLineEdit*>(widget) ||
                                 qobject_cast<QAbstractSpinBox*>(widget) ||
                                 qobject_cast<QComboBox*>(widget);
            if (!control || !widget->isVisible() || widget->window() != window.get())
                continue;
            EXPECT_GE(widget->width(), widget->minimumSizeHint().width())
                << widget->objectName().toStdString() << " on "
                << page(tabControl)->metaObject()->className();
        }
    }
}

namespace {

// The controls Tab reaches, in the order it reaches them, once around the window.
QStringList tabOrder(QWidget* window)
{
    QStringList names;
    QWidget* widget = window;
    do {
        widget = widget->nextInFocusChain();
        if ((widget->focusPolicy() & Qt::TabFocus) && widget->isVisible() &&
            widget->isEnabled() && !widget->objectName().isEmpty())
            names.append(widget->objectName());
    } while (widget != window);
    return names;
}

// Whether the names come in this order (others may come between).
bool inOrder(const QStringList& order, const QStringList& names)
{
    qsizetype at = 0;
    for (const QString& name : names) {
        at = order.indexOf(name, at);
        if (at < 0)
            return false;
    }
    return true;
}

} // namespace

TEST_F(WindowLayoutTest, TabGoesThroughTheControlsInTheOrderTheyAreLaidOut)
{
    newConfig("Server");
    showAt(QSize(1200, 800), c().mapLibraryTableView);
    const QStringList order = tabOrder(window.get());
    EXPECT_TRUE(inOrder(order, {"configFilesTableView", "newConfigButton", "duplicateConfigButton",
                                "renameConfigButton", "deleteConfigButton",
                                "mapLibrarySearchField", "mapLibraryTableView",
                                "listAllMapsSwitch", "addMapsButton", "removeMapsButton",
                                "mapListTableView", "rotateMapsSwitch", "saveAndStartButton"}))
        << order.join(", ").toStdString();
    showAt(QSize(1200, 800), c().serverNameField);
    EXPECT_TRUE(inOrder(tabOrder(window.get()),
                        {"serverNameField", "welcomeTextField", "gameTypeDynamicPopUpMenu",
                         "fragLimitField", "timeLimitField", "maxPlayersField", "warmupField",
                         "friendlyFireSwitch", "allowVotingSwitch", "weaponsRespawnField",
                         "inactivityField", "saveAndStartButton"}))
        << tabOrder(window.get()).join(", ").toStdString();
}
