#include "studio/views/plot_matrix_page.h"

#include "engine/engine.h"
#include "studio/window/page_context.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>

#include <vector>

namespace ludomat {

// The grid's cells, header row and column included, as a flat snapshot of the matrix.
class PlotMatrixModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void take(const PlotMatrix& matrix, int columns, int rows)
    {
        beginResetModel();
        m_columns = columns;
        m_rows = rows;
        m_cells.assign(size_t(columns) * size_t(rows), 0);
        for (int c = 0; c < columns; ++c)
            for (int r = 0; r < rows; ++r) m_cells[size_t(r) * size_t(columns) + size_t(c)] = matrix.cell(c, r);
        endResetModel();
    }
    // The header row and column are the view's own headers, so they stay in view while the
    // matrix scrolls; the model holds the matrix cells only.
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : m_rows; }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : m_columns; }
    // Grid cell (column, row) with the headers as row 0 and column 0.
    QString text(int column, int row) const
    {
        if (column == 0 && row == 0) return {};
        if (row == 0) return QString::number(column - 1);
        if (column == 0) return QString::number(row - 1);
        return QString::number(m_cells[size_t(row - 1) * size_t(m_columns) + size_t(column - 1)]);
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid()) return {};
        if (role == Qt::DisplayRole) return text(index.column() + 1, index.row() + 1);
        if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
        return {};
    }
    QVariant headerData(int section, Qt::Orientation, int role) const override
    {
        if (role == Qt::DisplayRole) return QString::number(section);
        if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
        return {};
    }

private:
    int m_columns = 0;
    int m_rows = 0;
    std::vector<uint8_t> m_cells;
};

PlotMatrixPage::PlotMatrixPage(const PageContext& context, QWidget* parent) : QWidget(parent), m_engine(*context.engine)
{
    setObjectName("Matriz");
    setAttribute(Qt::WA_StyledBackground);
    m_title = new QLabel(this);
    m_title->setObjectName("lbMatriz");
    m_title->setGeometry(5, 10, 400, 24);
    m_model = new PlotMatrixModel(this);
    m_grid = new QTableView(this);
    m_grid->setObjectName("GridMatriz");
    m_grid->setGeometry(0, 40, 607, 380);
    m_grid->setModel(m_model);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Fixed header sizes: the numbers of a 190 x 105 matrix fit, and the headers never resize
    // to their contents, which would walk every row of the matrix.
    for (QHeaderView* header : {m_grid->horizontalHeader(), m_grid->verticalHeader()}) {
        header->setSectionResizeMode(QHeaderView::Fixed);
        header->setMinimumSectionSize(10);
        header->setHighlightSections(false);
    }
    m_grid->horizontalHeader()->setDefaultSectionSize(25);
    m_grid->verticalHeader()->setDefaultSectionSize(16);
    m_grid->horizontalHeader()->setFixedHeight(16);
    m_grid->verticalHeader()->setFixedWidth(25);
    m_grid->setStyleSheet(
        "QHeaderView::section, QTableCornerButton::section { background: silver; color: black;"
        " font: 7pt \"Liberation Sans\";"
        " border: none; border-right: 1px solid #9aa0a6; border-bottom: 1px solid #9aa0a6; }");
    m_grid->setCornerButtonEnabled(false);
    QFont small = m_grid->font();
    small.setPointSize(7);
    m_grid->setFont(small);
    refresh();
}

void PlotMatrixPage::refresh()
{
    const PlotSettings& plot = m_engine.plotSettings();
    const int columns = kBaseWidth / plot.plotWidth();
    const int rows = kBaseHeight / plot.plotHeight();
    m_title->setText(QString("Matriz de plots %1 x %2").arg(columns).arg(rows));
    m_model->take(m_engine.plots(), columns, rows);
}

QString PlotMatrixPage::title() const
{
    return m_title->text();
}
int PlotMatrixPage::columns() const
{
    return m_model->columnCount() + 1;  // with the header column
}
int PlotMatrixPage::rows() const
{
    return m_model->rowCount() + 1;  // with the header row
}
QString PlotMatrixPage::cellText(int column, int row) const
{
    return m_model->text(column, row);
}

}  // namespace ludomat
