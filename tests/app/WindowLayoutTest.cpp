#include "EditorFixture.h"

#include "app/LevelShotView.h"
#include "app/MapTableView.h"
#include "app/RadioMatrix.h"
#include "app/RemoteControlView.h"
#include "app/SetupEditorView.h"
#include "config/UserDefaults.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QRadioButton>
#include <QScreen>
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

TEST_F(WindowLayoutTest, LongNamesAndTitlesLeaveTheWindowAsWideAsItWas)
{
    newConfig("Server");
    const RemoteControlControls& r = window->remoteControl().controls();
    showAt(QSize(780, 560), r.rconServerNameField);
    const int width = window->width();
    const int minimum = window->minimumSizeHint().width();

    // What a server may send: a name of thousands of characters, with colour codes.
    const QString longName = QString("^1Red^7 ") + QString(5000, 'W');
    r.rconServerNameField->setText(longName);
    r.rconServerConfigNameField->setText(QString(5000, 'c'));
    r.rconCurrentMapNameField->setText("Current map: " + QString(5000, 'm'));
    // Also when set as a plain label.
    static_cast<QLabel*>(r.rconCurrentMapTitleField)->setText(QString(5000, 't'));
    c().mapNameField->setText(QString(5000, 'T'));
    c().selectedMapField->setText(QString(5000, 'n'));
    configList().modNameField->setText(QString(5000, 'M'));
    for (QWidget* tab : std::initializer_list<QWidget*>{r.rconServerNameField, c().mapNameField}) {
        showAt(window->size(), tab);
        EXPECT_EQ(window->width(), width);
        EXPECT_LE(window->minimumSizeHint().width(), minimum);
    }

    ElidedLabel* name = r.rconServerNameField;
    const QString shown = "Red " + QString(5000, 'W');
    EXPECT_EQ(name->text(), shown) << "without its colour codes";
    EXPECT_EQ(name->toolTip(), shown);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(name)->text(QAccessible::Name), shown);
    EXPECT_TRUE(name->shownText().startsWith("Red WWW"));
    EXPECT_TRUE(name->shownText().endsWith(QChar(0x2026)));
    EXPECT_LE(name->fontMetrics().horizontalAdvance(name->shownText()), name->width());
    r.rconServerNameField->setText(" - ");
    EXPECT_EQ(name->shownText(), " - ");
}

TEST_F(WindowLayoutTest, AKeptSizeLargerThanTheScreenIsNotRestored)
{
    const QSize room = QGuiApplication::primaryScreen()->availableGeometry().size().expandedTo(
        window->minimumSizeHint());
    const auto keep = [](const QSize& size) {
        QMainWindow kept;
        kept.setGeometry(QRect(QPoint(0, 0), size));
        UserDefaults::setValue("MainWindow/geometry", kept.saveGeometry());
    };

    keep(QSize(32767, 700));
    MainWindow wide;
    EXPECT_LE(wide.width(), room.width());
    EXPECT_LE(wide.height(), room.height());
    keep(QSize(600, 4000));
    MainWindow tall;
    EXPECT_LE(tall.height(), room.height());

    // A size that fits is the one the window opens with.
    const QSize fits = room - QSize(40, 40);
    keep(fits);
    MainWindow restored;
    EXPECT_EQ(restored.size(), fits);
}
