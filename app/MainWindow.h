#pragma once

#include <QMainWindow>

class QMenu;

// The main window: the configuration list, the setup editor and the remote-control pane,
// and the server buttons. Every control carries its outlet name; the controller fills it.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);

    QMenu* modMenu() const { return m_modMenu; }

private:
    QWidget* makeConfigList();
    QWidget* makeServerBar();
    void makeMenus();

    QMenu* m_modMenu = nullptr;
};
