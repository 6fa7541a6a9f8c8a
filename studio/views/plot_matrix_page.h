#pragma once
// The "Matriz" page: the plot matrix as numbers, one cell per plot of the grid on the screen,
// with the column and row numbers as headers. A snapshot, taken each time the page is shown.

#include <QWidget>

class QLabel;
class QTableView;

namespace ludomat {

class Engine;
struct PageContext;
class PlotMatrixModel;

class PlotMatrixPage : public QWidget {
    Q_OBJECT
public:
    explicit PlotMatrixPage(const PageContext& context, QWidget* parent = nullptr);
    // Reads the matrix and the plot size again (F8, the "Matriz" picture).
    void refresh();

    QString title() const;
    int columns() const;
    int rows() const;
    // The text of the grid cell (column, row); row 0 and column 0 are the headers.
    QString cellText(int column, int row) const;

private:
    Engine& m_engine;
    QLabel* m_title = nullptr;
    QTableView* m_grid = nullptr;
    PlotMatrixModel* m_model = nullptr;
};

}  // namespace ludomat
