#pragma once

#include <QTableView>

// A list of map names that maps are dragged from and dropped on: the map library and the
// map rotation of the setup editor.
class MapTableView : public QTableView
{
    Q_OBJECT
public:
    explicit MapTableView(QWidget* parent = nullptr);
};
