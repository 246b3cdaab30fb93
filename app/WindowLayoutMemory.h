#pragma once

class QMainWindow;
class QSplitter;
class QTabWidget;

// The main window's size, position, divider and open tab, kept in the settings file between
// runs (never in the store of configurations).
class WindowLayoutMemory
{
public:
    WindowLayoutMemory(QMainWindow& window, QSplitter& splitter, QTabWidget& tabs)
        : m_window(window), m_splitter(splitter), m_tabs(tabs)
    {}

    // False when no size and place were kept, or they do not fit the screen the window would
    // open on (the window keeps its own size then).
    bool restore();
    void save();

private:
    QMainWindow& m_window;
    QSplitter& m_splitter;
    QTabWidget& m_tabs;
};
