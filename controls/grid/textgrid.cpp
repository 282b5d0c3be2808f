#include "controls/grid/textgrid.h"

#include "controls/grid/fixedheader.h"
#include "controls/grid/gridmodel.h"

#include <QAbstractButton>
#include <QHeaderView>

TextGrid::TextGrid(QWidget *parent)
    : QTableView(parent)
    , m_model(new GridModel(this))
    , m_rowBand(new FixedHeader(Qt::Horizontal, this))
    , m_columnBand(new FixedHeader(Qt::Vertical, this))
    , m_color(palette().color(QPalette::Base))
    , m_fixedColor(palette().color(QPalette::Button))
{
    m_model->cellFlags = [this](int column, int line) { return cellFlags(column, line); };
    setModel(m_model);
    setHorizontalHeader(m_rowBand);
    setVerticalHeader(m_columnBand);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(false);
    setCornerButtonEnabled(false);
    setFocusPolicy(Qt::StrongFocus);
    // Where the fixed rows and columns meet, the view has a corner button of its own.
    if (auto *corner = findChild<QAbstractButton *>(QString(), Qt::FindDirectChildrenOnly))
        m_corner = new FixedCorner(corner, this);
    connect(m_rowBand, &QHeaderView::sectionResized, this, [this](int column, int, int width) {
        if (column < m_widths.size() && !m_rowBand->isSectionHidden(column))
            applyWidth(column, width);
    });
    setColor(m_color);
    setDefaultRowHeight(m_defaultRowHeight);
    setRowCount(5);
    setColCount(5);
    setFixedRows(1);
    setFixedCols(1);
}

TextGrid::~TextGrid() = default;

int TextGrid::FixedCols() const
{
    return qMin(m_fixedCols, ColCount());
}

int TextGrid::FixedRows() const
{
    return qMin(m_fixedRows, RowCount());
}

int TextGrid::ColCount() const
{
    return m_model->columnCount();
}

int TextGrid::RowCount() const
{
    return m_model->rowCount();
}

void TextGrid::setColCount(int columns)
{
    columns = qMax(0, columns);
    const int before = ColCount();
    m_model->setDimensions(columns, RowCount());
    m_widths.resize(columns);
    for (int c = before; c < columns; ++c)
        applyWidth(c, initialWidth(c));
    hideFixed();
    checkCurrent();
}

void TextGrid::setRowCount(int lines)
{
    lines = qMax(0, lines);
    m_model->setDimensions(ColCount(), lines);
    // New rows come at the band's default size, which is the default row height.
    m_heights.resize(lines, m_defaultRowHeight);
    hideFixed();
    checkCurrent();
}

void TextGrid::setFixedCols(int columns)
{
    m_fixedCols = qMax(0, columns);
    hideFixed();
    checkCurrent();
}

void TextGrid::setFixedRows(int lines)
{
    m_fixedRows = qMax(0, lines);
    hideFixed();
    checkCurrent();
}

void TextGrid::hideFixed()
{
    // The fixed rows and columns are drawn in the bands, not among the cells. Only the leading
    // ones can change state, which keeps a grid of many rows quick to resize.
    for (int c = 0; c < qMin(qMax(m_hiddenColumns, FixedCols()), ColCount()); ++c)
        setColumnHidden(c, c < FixedCols());
    for (int r = 0; r < qMin(qMax(m_hiddenRows, FixedRows()), RowCount()); ++r)
        setRowHidden(r, r < FixedRows());
    m_hiddenColumns = FixedCols();
    m_hiddenRows = FixedRows();
    m_rowBand->setVisible(FixedRows() > 0);
    m_columnBand->setVisible(FixedCols() > 0);
    updateGeometries();
    repaint();
}

QString TextGrid::Cells(int column, int line) const
{
    return m_model->content(column, line);
}

void TextGrid::setCells(int column, int line, const QString &content)
{
    m_model->setText(column, line, content);
    if (column < FixedCols() || line < FixedRows())
        repaint();
}

void TextGrid::setDefaultColWidth(int width)
{
    m_defaultColWidth = qMax(0, width);
    for (int c = 0; c < ColCount(); ++c)
        applyWidth(c, initialWidth(c));
}

void TextGrid::setDefaultRowHeight(int height)
{
    m_defaultRowHeight = qMax(0, height);
    m_columnBand->setMinimumSectionSize(0);
    m_columnBand->setDefaultSectionSize(m_defaultRowHeight);
    for (int r = 0; r < RowCount(); ++r)
        setRowHeights(r, m_defaultRowHeight);
}

int TextGrid::ColWidths(int column) const
{
    return column >= 0 && column < m_widths.size() ? m_widths.at(column) : 0;
}

void TextGrid::setColWidths(int column, int width)
{
    if (column < 0 || column >= ColCount())
        return;
    applyWidth(column, width);
}

void TextGrid::applyWidth(int column, int width)
{
    width = qMax(0, width);
    m_widths[column] = width;
    appliedWidth(column, width);
    m_rowBand->setMinimumSectionSize(0);
    if (m_rowBand->sectionSize(column) != width || m_rowBand->isSectionHidden(column))
        m_rowBand->resizeSection(column, width);
    if (column < FixedCols())
        updateGeometries();
    repaint();
}

int TextGrid::RowHeights(int line) const
{
    return line >= 0 && line < m_heights.size() ? m_heights.at(line) : 0;
}

void TextGrid::setRowHeights(int line, int height)
{
    if (line < 0 || line >= RowCount())
        return;
    m_heights[line] = qMax(0, height);
    m_columnBand->resizeSection(line, m_heights[line]);
    if (line < FixedRows())
        updateGeometries();
    repaint();
}

void TextGrid::setColor(const QColor &colour)
{
    m_color = colour;
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, colour);
    setPalette(palette);
    repaint();
}

void TextGrid::setFixedColor(const QColor &colour)
{
    m_fixedColor = colour;
    repaint();
}

void TextGrid::setOptions(TGridOptions options)
{
    m_options = options;
    m_rowBand->setSectionResizeMode(options & goColSizing ? QHeaderView::Interactive : QHeaderView::Fixed);
    setTabKeyNavigation(options & goTabs);
    repaint();
}

void TextGrid::repaint()
{
    viewport()->update();
    m_rowBand->viewport()->update();
    m_columnBand->viewport()->update();
    if (m_corner)
        m_corner->refresh();
}

int TextGrid::Col() const
{
    return currentIndex().isValid() ? currentIndex().column() : -1;
}

int TextGrid::Row() const
{
    return currentIndex().isValid() ? currentIndex().row() : -1;
}

bool TextGrid::setCurrentCell(int column, int line)
{
    if (!canSelect(column, line))
        return false;
    selectionModel()->setCurrentIndex(model()->index(line, column), QItemSelectionModel::ClearAndSelect);
    return true;
}

void TextGrid::checkCurrent()
{
    const QModelIndex current = currentIndex();
    if (current.isValid() && !canSelect(current.column(), current.row()))
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
}

bool TextGrid::canSelect(int column, int line) const
{
    return column >= FixedCols() && line >= FixedRows() && column < ColCount() && line < RowCount();
}

Qt::ItemFlags TextGrid::cellFlags(int column, int line) const
{
    if (!canSelect(column, line))
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | (m_options & goEditing ? Qt::ItemIsEditable : Qt::NoItemFlags);
}

int TextGrid::initialWidth(int) const
{
    return m_defaultColWidth;
}

void TextGrid::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    repaint(); // the cursor's cell is highlighted only with the focus
}

void TextGrid::focusOutEvent(QFocusEvent *event)
{
    QTableView::focusOutEvent(event);
    repaint();
}

void TextGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    repaint();
}
