#pragma once

#include <QMainWindow>

#include <functional>

class QMenu;

// The main window: the configuration list, the setup editor and the remote-control pane,
// and the server buttons. Every control carries its outlet name; the controller fills it.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);

    QMenu* modMenu() const { return m_modMenu; }
    // Asked when the window is about to close: false keeps it open.
    void setCloseHandler(std::function<bool()> handler) { m_closeHandler = std::move(handler); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* makeConfigList();
    QWidget* makeServerBar();
    void makeMenus();

    QMenu* m_modMenu = nullptr;
    std::function<bool()> m_closeHandler;
};
