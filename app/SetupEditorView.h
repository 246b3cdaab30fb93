#pragma once

#include "app/EditorControls.h"

#include <QTabWidget>

// The tabs of the setup editor: every control of one server configuration, each named by
// its outlet. The controller fills and reads them through controls().
class SetupEditorView : public QTabWidget
{
    Q_OBJECT
public:
    explicit SetupEditorView(QWidget* parent = nullptr);

    const EditorControls& controls() const { return m_controls; }

private:
    QWidget* makeGameTab();
    QWidget* makeNetworkTab();
    QWidget* makeBotsTab();
    QWidget* makeMapsTab();
    void makeMapListKeys(QWidget* tab);
    QWidget* makeAdvancedTab();

    EditorControls m_controls;
};
