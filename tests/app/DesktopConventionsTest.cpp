#include "EditorFixture.h"

#include "app/DialogAlertPresenter.h"
#include "app/ServerControl.h"
#include "app/SetupEditorView.h"
#include "app/StandardIcons.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QScreen>
#include <QTableView>
#include <QTimer>

using DesktopConventionsTest = EditorFixture;

TEST_F(DesktopConventionsTest, WindowSizePlaceDividerAndTabAreThereAfterARestart)
{
    const QRect defaultGeometry = window->geometry();
    // A size the screen has room for (or the smallest the window can be, on a small screen).
    const QSize room = window->screen()->availableGeometry().size().expandedTo(
        window->minimumSizeHint());
    window->setGeometry(20, 30, room.width(), room.height() - 50);
    window->splitter().setSizes({340, 900});
    window->setupEditor().setCurrentIndex(3);
    const QRect geometry = window->geometry();
    const QList<int> sizes = window->splitter().sizes();
    ASSERT_NE(geometry, defaultGeometry);
    window->close();
    stopApplication();

    startApplication();
    EXPECT_EQ(window->geometry(), geometry);
    EXPECT_EQ(window->splitter().sizes(), sizes);
    EXPECT_EQ(window->setupEditor().currentIndex(), 3);
    EXPECT_TRUE(controller->state().store.serverConfigDict().isEmpty())
        << "the window's state is a setting, not a configuration";
}

TEST_F(DesktopConventionsTest, ActionsHaveIconsAndTheDesktopsShortcuts)
{
    const MainWindow::Menus& menus = window->menus();
    for (QAction* item : {menus.newMenuItem, menus.duplicateMenuItem, menus.renameMenuItem,
                          menus.deleteMenuItem, menus.startServerMenuItem,
                          menus.quitServerMenuItem, menus.preferencesMenuItem, menus.quitMenuItem})
        EXPECT_FALSE(item->icon().isNull()) << item->text().toStdString();
    for (QPushButton* button :
         {configList().newConfigButton, configList().duplicateConfigButton,
          configList().renameConfigButton, configList().deleteConfigButton,
          window->serverBar().saveAndStartButton, window->serverBar().quitServerButton})
        EXPECT_FALSE(button->icon().isNull()) << button->text().toStdString();
    using A = StandardIcons::Action;
    for (A action : {A::New, A::Copy, A::Rename, A::Delete, A::Start, A::Stop, A::Preferences,
                     A::Quit})
        EXPECT_EQ(QImage(StandardIcons::fallbackPath(action)).size(), QSize(32, 32))
            << StandardIcons::themeName(action).toStdString();

    EXPECT_EQ(menus.newMenuItem->shortcut(), QKeySequence(QKeySequence::New));
    EXPECT_EQ(menus.deleteMenuItem->shortcut(), QKeySequence(QKeySequence::Delete));
    EXPECT_EQ(menus.quitMenuItem->shortcut(), QKeySequence(QKeySequence::Quit));
    // The Delete key deletes a configuration only where the configurations are.
    EXPECT_EQ(menus.deleteMenuItem->shortcutContext(), Qt::WidgetWithChildrenShortcut);
    EXPECT_TRUE(configList().configFilesTableView->parentWidget()->actions().contains(
        menus.deleteMenuItem));

    // No two window-wide keys are the same (keys of one list may repeat a key elsewhere).
    QList<QKeySequence> taken;
    for (QAction* item : window->findChildren<QAction*>())
        for (const QKeySequence& shortcut : item->shortcuts()) {
            if (item->shortcutContext() != Qt::WindowShortcut)
                continue;
            EXPECT_FALSE(taken.contains(shortcut)) << shortcut.toString().toStdString();
            taken.append(shortcut);
        }
}

TEST_F(DesktopConventionsTest, HelpMenuTellsVersionAndLicence)
{
    const MainWindow::Menus& menus = window->menus();
    ASSERT_NE(menus.helpMenu, nullptr);
    EXPECT_EQ(menus.helpMenu->actions(),
              (QList<QAction*>{menus.aboutMenuItem, menus.aboutQtMenuItem}));
    EXPECT_EQ(menus.aboutMenuItem->text(), "About Voranth");
    QString shown;
    QTimer::singleShot(0, window.get(), [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shown = box->text();
        box->accept();
    });
    menus.aboutMenuItem->trigger();
    EXPECT_TRUE(shown.contains(VORANTH_VERSION)) << shown.toStdString();
    EXPECT_TRUE(shown.contains("Licence: " VORANTH_LICENSE)) << shown.toStdString();
}

TEST_F(DesktopConventionsTest, StartWithoutAConfigurationSaysWhy)
{
    ASSERT_TRUE(listedConfigs().isEmpty());
    controller->serverControl().saveAndStart();
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts.first().title, "No server config selected!");
    EXPECT_EQ(controller->serverControl().state(), ServerState::NoServer);
}

TEST(DialogAlertPresenter, LongWordsBreakSoThatTheAlertDoesNotWidenToTheScreen)
{
    const QString path = "/home/someone/.local/share/Voranth/ServerConfigs-unreadable-" +
                         QString(90, 'x') + ".kzvr";
    const QString message = "The file was kept, unchanged, as:\n" + path + "\n\nVoranth starts.";
    const QString wrappable = DialogAlertPresenter::wrappable(message);
    EXPECT_EQ(QString(wrappable).remove(QChar(0x200B)), message) << "only break points are added";
    EXPECT_EQ(DialogAlertPresenter::wrappable("Short words stay as they are."),
              "Short words stay as they are.");
    for (const QString& line : wrappable.split(QRegularExpression("[\\s\\x{200B}]")))
        EXPECT_LE(line.size(), 40) << line.toStdString();

    QSize size;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        size = box->size();
        box->accept();
    });
    DialogAlertPresenter alerts;
    alerts.show(nullptr, {"A title", message, {"OK"}, false});
    const QFontMetrics metrics(QApplication::font());
    EXPECT_GT(size.width(), 0);
    EXPECT_LT(size.width(), metrics.horizontalAdvance(path) / 2) << "the path wraps";
}
