#include "controls/grid/extendedgrid.h"

#include "controls/grid/griddelegate.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolTip>

namespace {
QString cellName(int column, int line)
{
    return QString::asprintf("%d-%d", column, line);
}
} // namespace

TExtendedGrid::TExtendedGrid(QWidget *parent)
    : TextGrid(parent)
    , m_delegate(new GridDelegate(this))
    , m_colonnes(this)
{
    setItemDelegate(m_delegate);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
}

TExtendedGrid::~TExtendedGrid() = default;

void TExtendedGrid::setDefaultDrawing(bool drawing)
{
    m_defaultDrawing = drawing;
    repaint();
}

// --- Definitions ---------------------------------------------------------------------------

void TExtendedGrid::setColonnes(const TExtendedGridColonnes &columns)
{
    m_colonnes = columns;
}

void TExtendedGrid::setImagesBouton(TImageList *images)
{
    if (m_imagesBouton)
        disconnect(m_imagesBouton, nullptr, this, nullptr);
    m_imagesBouton = images;
    if (images)
        connect(images, &TImageList::changed, this, &TExtendedGrid::repaint);
    repaint();
}

TExtendedGrid::Defaults TExtendedGrid::columnDefaults() const
{
    return {DefaultColWidth(), Color(), font(), palette().color(QPalette::Text)};
}

void TExtendedGrid::columnChanged(int index, bool width)
{
    if (width && index >= 0 && index < ColCount())
        setColWidths(index, m_colonnes[index].Largeur());
    checkCurrent();
    repaint();
}

void TExtendedGrid::columnsChanged()
{
    for (int c = 0; c < ColCount(); ++c)
        setColWidths(c, initialWidth(c));
    checkCurrent();
    repaint();
}

std::optional<TColonne> TExtendedGrid::cellDefinition(int column, int line) const
{
    if (column < 0 || column >= m_colonnes.Count())
        return std::nullopt;
    std::optional<TColonne> cell(m_colonnes[column]);
    if (OnGetCellule)
        OnGetCellule(const_cast<TExtendedGrid *>(this), column, line, *cell);
    return cell;
}

// --- Blocked cells ---------------------------------------------------------------------------

void TExtendedGrid::lockCell(int column, int line)
{
    if (!isCellLocked(column, line))
        m_locked << cellName(column, line);
    checkCurrent();
}

void TExtendedGrid::unlockCell(int column, int line)
{
    m_locked.removeAll(cellName(column, line));
}

bool TExtendedGrid::isCellLocked(int column, int line) const
{
    return m_locked.contains(cellName(column, line));
}

void TExtendedGrid::setLockedCells(const QStringList &cells)
{
    m_locked = cells;
    checkCurrent();
}

// --- Selection -----------------------------------------------------------------------------

bool TExtendedGrid::canSelect(int column, int line) const
{
    if (!TextGrid::canSelect(column, line))
        return false;
    if (isCellLocked(column, line))
        return false;
    const std::optional<TColonne> cell = cellDefinition(column, line);
    return !cell || (cell->ArretCellule() && cell->Style() != scImage);
}

bool TExtendedGrid::canEdit(int column, int line) const
{
    if (!(Options() & goEditing) || !canSelect(column, line))
        return false;
    const std::optional<TColonne> cell = cellDefinition(column, line);
    if (!cell)
        return true;
    if (cell->Saisie().ReadOnly())
        return false;
    return cell->Style() != scCombo || !cell->Saisie().ValeurCombo().isEmpty();
}

Qt::ItemFlags TExtendedGrid::cellFlags(int column, int line) const
{
    if (!canSelect(column, line))
        return Qt::ItemIsEnabled;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (canEdit(column, line))
        result |= Qt::ItemIsEditable;
    return result;
}

void TExtendedGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    TextGrid::currentChanged(current, previous);
    if (previous.isValid() && current != previous
        && m_editedCell == QPoint(previous.column(), previous.row()))
        reportExit();
}

int TExtendedGrid::initialWidth(int column) const
{
    return column < m_colonnes.Count() ? m_colonnes[column].Largeur() : DefaultColWidth();
}

void TExtendedGrid::appliedWidth(int column, int width)
{
    // The user dragged a border, or the program set a width: the definition keeps it.
    if (column < m_colonnes.Count())
        m_colonnes[column].m_largeur = width;
}

void TExtendedGrid::drawFixed(QPainter &painter, const QRect &rect, int column, int line) const
{
    m_delegate->drawFixed(painter, rect, column, line);
}

// --- Moving with the keys ----------------------------------------------------------------------

GridNavigation TExtendedGrid::navigation() const
{
    return GridNavigation(ColCount(), RowCount(), FixedCols(), FixedRows(),
                            [this](int column, int line) { return canSelect(column, line); });
}

QModelIndex TExtendedGrid::indexOf(QPoint cell) const
{
    return cell.x() < 0 ? QModelIndex() : model()->index(cell.y(), cell.x());
}

QModelIndex TExtendedGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex current = currentIndex();
    const QPoint start = current.isValid() ? QPoint(current.column(), current.row()) : QPoint(-1, -1);
    const GridNavigation path = navigation();
    switch (action) {
    case MoveLeft:
    case MovePrevious:
        return indexOf(path.next(start, GridNavigation::Direction::Left));
    case MoveRight:
    case MoveNext:
        return indexOf(path.next(start, GridNavigation::Direction::Right));
    case MoveUp:
        return indexOf(path.next(start, GridNavigation::Direction::Up));
    case MoveDown:
        return indexOf(path.next(start, GridNavigation::Direction::Down));
    case MoveHome:
    case MoveEnd: {
        const bool end = action == MoveEnd;
        if ((modifiers & Qt::ControlModifier) || !current.isValid())
            return indexOf(path.first(end));
        const QModelIndex found = indexOf(path.inTheRow(current.row(), end));
        return found.isValid() ? found : current;
    }
    case MovePageUp:
    case MovePageDown: {
        const int rowsPerPage = viewport()->height() / qMax(1, DefaultRowHeight()) - 1;
        return indexOf(path.page(start, rowsPerPage, action == MovePageDown));
    }
    }
    return current;
}

void TExtendedGrid::keyPressEvent(QKeyEvent *event)
{
    const QModelIndex current = currentIndex();
    const bool alone = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier));
    if (state() != EditingState && current.isValid()) {
        const std::optional<TColonne> cell = cellDefinition(current.column(), current.row());
        // F4 and Alt+Down press a cell's button or open its list, as in the program's edits.
        const bool open = (event->key() == Qt::Key_F4 && alone)
            || (event->key() == Qt::Key_Down && event->modifiers() == Qt::AltModifier);
        if (open && cell && cell->Style() == scBouton) {
            clickButton(current.column(), current.row());
            return;
        }
        const bool entry = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && alone;
        if ((open || entry) && edit(current, EditKeyPressed, event))
            return;
    }
    if ((event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) && (Options() & goTabs)) {
        const QModelIndex next = moveCursor(event->key() == Qt::Key_Tab ? MoveNext : MovePrevious, Qt::NoModifier);
        if (next.isValid() && next != current)
            selectionModel()->setCurrentIndex(next, QItemSelectionModel::ClearAndSelect);
        else
            event->ignore(); // nowhere to go in the grid: the focus moves on
        return;
    }
    // Without a cell to move to, the keys that would move the cursor scroll the cells.
    if (!current.isValid() && navigation().first(false) == QPoint(-1, -1)) {
        QScrollBar *bar = verticalScrollBar();
        switch (event->key()) {
        case Qt::Key_Up:
            bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
            return;
        case Qt::Key_Down:
            bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            return;
        case Qt::Key_PageUp:
            bar->triggerAction(QAbstractSlider::SliderPageStepSub);
            return;
        case Qt::Key_PageDown:
            bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
            return;
        case Qt::Key_Home:
            bar->triggerAction(QAbstractSlider::SliderToMinimum);
            return;
        case Qt::Key_End:
            bar->triggerAction(QAbstractSlider::SliderToMaximum);
            return;
        default:
            break;
        }
    }
    TextGrid::keyPressEvent(event);
}

// --- Mouse ---------------------------------------------------------------------------------

void TExtendedGrid::mousePressEvent(QMouseEvent *event)
{
    const QPoint position = event->position().toPoint();
    const QModelIndex index = indexAt(position);
    if (event->button() != Qt::LeftButton || !index.isValid()) {
        if (!index.isValid() || canSelect(index.column(), index.row()))
            TextGrid::mousePressEvent(event);
        return;
    }
    const int c = index.column(), r = index.row();
    setFocus(Qt::MouseFocusReason);
    const std::optional<TColonne> cell = cellDefinition(c, r);
    const bool onButton = cell && (cell->Style() == scBouton || cell->Style() == scCombo)
        && buttonRect(visualRect(index), *cell).contains(position);
    if (onButton && cell->Style() == scBouton && !isCellLocked(c, r)) {
        setCurrentCell(c, r);
        m_buttonPressed = QPoint(c, r);
        repaint();
        return;
    }
    // A cell the cursor may not stop on takes no click: the cursor stays where it is.
    if (!canSelect(c, r))
        return;
    if (onButton) {
        setCurrentCell(c, r);
        edit(index, EditKeyPressed, event);
        return;
    }
    TextGrid::mousePressEvent(event);
}

void TExtendedGrid::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton)) {
        TextGrid::mouseMoveEvent(event);
        return;
    }
    if (m_buttonPressed.x() >= 0)
        return;
    // Dragging moves the cursor over the cells it may stop on, as a click would.
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && index != currentIndex() && state() != EditingState)
        setCurrentCell(index.column(), index.row());
}

void TExtendedGrid::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_buttonPressed.x() < 0) {
        TextGrid::mouseReleaseEvent(event);
        return;
    }
    const QPoint cell = m_buttonPressed;
    m_buttonPressed = QPoint(-1, -1);
    repaint();
    const QModelIndex index = model()->index(cell.y(), cell.x());
    const std::optional<TColonne> definition = cellDefinition(cell.x(), cell.y());
    // As with any button, letting go outside it is changing one's mind.
    if (event->button() == Qt::LeftButton && definition
        && buttonRect(visualRect(index), *definition).contains(event->position().toPoint()))
        clickButton(cell.x(), cell.y());
}

void TExtendedGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid())
        return;
    const std::optional<TColonne> cell = cellDefinition(index.column(), index.row());
    if (cell && (cell->Style() == scBouton || cell->Style() == scCombo)
        && buttonRect(visualRect(index), *cell).contains(event->position().toPoint())) {
        mousePressEvent(event); // a quick second click on the button is a second press
        return;
    }
    if (canSelect(index.column(), index.row()))
        TextGrid::mouseDoubleClickEvent(event);
}

QRect TExtendedGrid::buttonRect(const QRect &cell, const TColonne &definition)
{
    const int width = qMin(definition.LargeurBouton(), cell.width());
    const int height = qMin(definition.HauteurBouton(), cell.height());
    return QRect(cell.right() - width + 1, cell.top() + (cell.height() - height) / 2, width, height);
}

void TExtendedGrid::clickButton(int column, int line)
{
    const std::optional<TColonne> cell = cellDefinition(column, line);
    if (!cell || cell->Style() != scBouton || isCellLocked(column, line))
        return;
    if (cell->OnBoutonClick)
        cell->OnBoutonClick(this, column, line);
    emit boutonClick(column, line);
}

// --- Editing and leaving cells -------------------------------------------------------------------

void TExtendedGrid::editStarted(int column, int line)
{
    m_oldValue = Cells(column, line);
    m_editedCell = QPoint(column, line);
}

void TExtendedGrid::reportExit()
{
    const QPoint left = m_editedCell;
    m_editedCell = QPoint(-1, -1);
    emit exitCellule(left.x(), left.y());
}

bool TExtendedGrid::focusOutsideTheGrid() const
{
    QWidget *focus = QApplication::focusWidget();
    return focus && focus != this && !isAncestorOf(focus);
}

void TExtendedGrid::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    TextGrid::closeEditor(editor, hint);
    // The editor closed because another control took the focus: the cursor left the cell.
    if (m_editedCell.x() >= 0 && focusOutsideTheGrid())
        reportExit();
}

void TExtendedGrid::focusOutEvent(QFocusEvent *event)
{
    TextGrid::focusOutEvent(event);
    const bool toAnotherControl
        = event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason;
    if (m_editedCell.x() >= 0 && state() != EditingState && toAnotherControl && focusOutsideTheGrid())
        reportExit();
}

// --- Tooltips ------------------------------------------------------------------

bool TExtendedGrid::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        // A text cut by its cell shows whole in a tooltip.
        auto *help = static_cast<QHelpEvent *>(event);
        const QModelIndex index = indexAt(help->pos());
        const QString content = index.isValid() ? m_delegate->cutText(visualRect(index), index.column(), index.row())
                                              : QString();
        if (content.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), content, viewport(), visualRect(index));
        return true;
    }
    return TextGrid::viewportEvent(event);
}
