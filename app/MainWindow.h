#pragma once

#include <QMainWindow>

// The main window; the controller fills it.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
};
