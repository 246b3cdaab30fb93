#pragma once

#include <QTabWidget>

// The tabs of the setup editor: every control of one server configuration, each named by
// its outlet. The controller fills and reads them.
class SetupEditorView : public QTabWidget
{
    Q_OBJECT
public:
    explicit SetupEditorView(QWidget* parent = nullptr);

private:
    QWidget* makeGameTab();
    QWidget* makeNetworkTab();
    QWidget* makeBotsTab();
    QWidget* makeMapsTab();
    QWidget* makeAdvancedTab();
};
