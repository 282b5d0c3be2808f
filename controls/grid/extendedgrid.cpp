#include "controls/grid/extendedgrid.h"

#include "controls/grid/griddelegate.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolTip>

namespace {
QString nomCellule(int colonne, int ligne)
{
    return QString::asprintf("%d-%d", colonne, ligne);
}
} // namespace

TExtendedGrid::TExtendedGrid(QWidget *parent)
    : GrilleTexte(parent)
    , m_delegate(new GridDelegate(this))
    , m_colonnes(this)
{
    setItemDelegate(m_delegate);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
}

TExtendedGrid::~TExtendedGrid() = default;

void TExtendedGrid::setDefaultDrawing(bool dessin)
{
    m_defaultDrawing = dessin;
    redessiner();
}

// --- Definitions ---------------------------------------------------------------------------

void TExtendedGrid::setColonnes(const TExtendedGridColonnes &colonnes)
{
    m_colonnes = colonnes;
}

void TExtendedGrid::setImagesBouton(TImageList *images)
{
    if (m_imagesBouton)
        disconnect(m_imagesBouton, nullptr, this, nullptr);
    m_imagesBouton = images;
    if (images)
        connect(images, &TImageList::changed, this, &TExtendedGrid::redessiner);
    redessiner();
}

TExtendedGrid::Defauts TExtendedGrid::defautsColonne() const
{
    return {DefaultColWidth(), Color(), font(), palette().color(QPalette::Text)};
}

void TExtendedGrid::colonneModifiee(int index, bool largeur)
{
    if (largeur && index >= 0 && index < ColCount())
        setColWidths(index, m_colonnes[index].Largeur());
    verifierCourante();
    redessiner();
}

void TExtendedGrid::colonnesModifiees()
{
    for (int c = 0; c < ColCount(); ++c)
        setColWidths(c, largeurInitiale(c));
    verifierCourante();
    redessiner();
}

std::optional<TColonne> TExtendedGrid::definitionCellule(int colonne, int ligne) const
{
    if (colonne < 0 || colonne >= m_colonnes.Count())
        return std::nullopt;
    std::optional<TColonne> cellule(m_colonnes[colonne]);
    if (OnGetCellule)
        OnGetCellule(const_cast<TExtendedGrid *>(this), colonne, ligne, *cellule);
    return cellule;
}

// --- Blocked cells ---------------------------------------------------------------------------

void TExtendedGrid::BloquerCellule(int colonne, int ligne)
{
    if (!CelluleBloquee(colonne, ligne))
        m_bloquees << nomCellule(colonne, ligne);
    verifierCourante();
}

void TExtendedGrid::DebloquerCellule(int colonne, int ligne)
{
    m_bloquees.removeAll(nomCellule(colonne, ligne));
}

bool TExtendedGrid::CelluleBloquee(int colonne, int ligne) const
{
    return m_bloquees.contains(nomCellule(colonne, ligne));
}

void TExtendedGrid::setCellulesBloquees(const QStringList &cellules)
{
    m_bloquees = cellules;
    verifierCourante();
}

// --- Selection -----------------------------------------------------------------------------

bool TExtendedGrid::peutSelectionner(int colonne, int ligne) const
{
    if (!GrilleTexte::peutSelectionner(colonne, ligne))
        return false;
    if (CelluleBloquee(colonne, ligne))
        return false;
    const std::optional<TColonne> cellule = definitionCellule(colonne, ligne);
    return !cellule || (cellule->ArretCellule() && cellule->Style() != scImage);
}

bool TExtendedGrid::peutEditer(int colonne, int ligne) const
{
    if (!(Options() & goEditing) || !peutSelectionner(colonne, ligne))
        return false;
    const std::optional<TColonne> cellule = definitionCellule(colonne, ligne);
    if (!cellule)
        return true;
    if (cellule->Saisie().ReadOnly())
        return false;
    return cellule->Style() != scCombo || !cellule->Saisie().ValeurCombo().isEmpty();
}

Qt::ItemFlags TExtendedGrid::drapeaux(int colonne, int ligne) const
{
    if (!peutSelectionner(colonne, ligne))
        return Qt::ItemIsEnabled;
    Qt::ItemFlags resultat = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (peutEditer(colonne, ligne))
        resultat |= Qt::ItemIsEditable;
    return resultat;
}

void TExtendedGrid::currentChanged(const QModelIndex &courant, const QModelIndex &precedent)
{
    GrilleTexte::currentChanged(courant, precedent);
    if (precedent.isValid() && courant != precedent
        && m_celluleEditee == QPoint(precedent.column(), precedent.row()))
        signalerSortie();
}

int TExtendedGrid::largeurInitiale(int colonne) const
{
    return colonne < m_colonnes.Count() ? m_colonnes[colonne].Largeur() : DefaultColWidth();
}

void TExtendedGrid::largeurAppliquee(int colonne, int largeur)
{
    // The user dragged a border, or the program set a width: the definition keeps it.
    if (colonne < m_colonnes.Count())
        m_colonnes[colonne].m_largeur = largeur;
}

void TExtendedGrid::dessinerFixe(QPainter &peintre, const QRect &rect, int colonne, int ligne) const
{
    m_delegate->dessinerFixe(peintre, rect, colonne, ligne);
}

// --- Moving with the keys ----------------------------------------------------------------------

NavigationGrille TExtendedGrid::navigation() const
{
    return NavigationGrille(ColCount(), RowCount(), FixedCols(), FixedRows(),
                            [this](int colonne, int ligne) { return peutSelectionner(colonne, ligne); });
}

QModelIndex TExtendedGrid::indexDe(QPoint cellule) const
{
    return cellule.x() < 0 ? QModelIndex() : model()->index(cellule.y(), cellule.x());
}

QModelIndex TExtendedGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex courant = currentIndex();
    const QPoint depart = courant.isValid() ? QPoint(courant.column(), courant.row()) : QPoint(-1, -1);
    const NavigationGrille chemin = navigation();
    switch (action) {
    case MoveLeft:
    case MovePrevious:
        return indexDe(chemin.suivante(depart, NavigationGrille::Sens::Gauche));
    case MoveRight:
    case MoveNext:
        return indexDe(chemin.suivante(depart, NavigationGrille::Sens::Droite));
    case MoveUp:
        return indexDe(chemin.suivante(depart, NavigationGrille::Sens::Haut));
    case MoveDown:
        return indexDe(chemin.suivante(depart, NavigationGrille::Sens::Bas));
    case MoveHome:
    case MoveEnd: {
        const bool fin = action == MoveEnd;
        if ((modifiers & Qt::ControlModifier) || !courant.isValid())
            return indexDe(chemin.premiere(fin));
        const QModelIndex trouvee = indexDe(chemin.dansLaLigne(courant.row(), fin));
        return trouvee.isValid() ? trouvee : courant;
    }
    case MovePageUp:
    case MovePageDown: {
        const int lignesParPage = viewport()->height() / qMax(1, DefaultRowHeight()) - 1;
        return indexDe(chemin.page(depart, lignesParPage, action == MovePageDown));
    }
    }
    return courant;
}

void TExtendedGrid::keyPressEvent(QKeyEvent *event)
{
    const QModelIndex courant = currentIndex();
    const bool seul = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier));
    if (state() != EditingState && courant.isValid()) {
        const std::optional<TColonne> cellule = definitionCellule(courant.column(), courant.row());
        // F4 and Alt+Down press a cell's button or open its list, as in the program's edits.
        const bool ouvrir = (event->key() == Qt::Key_F4 && seul)
            || (event->key() == Qt::Key_Down && event->modifiers() == Qt::AltModifier);
        if (ouvrir && cellule && cellule->Style() == scBouton) {
            cliquerBouton(courant.column(), courant.row());
            return;
        }
        const bool entree = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && seul;
        if ((ouvrir || entree) && edit(courant, EditKeyPressed, event))
            return;
    }
    if ((event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) && (Options() & goTabs)) {
        const QModelIndex suivante = moveCursor(event->key() == Qt::Key_Tab ? MoveNext : MovePrevious, Qt::NoModifier);
        if (suivante.isValid() && suivante != courant)
            selectionModel()->setCurrentIndex(suivante, QItemSelectionModel::ClearAndSelect);
        else
            event->ignore(); // nowhere to go in the grid: the focus moves on
        return;
    }
    // Without a cell to move to, the keys that would move the cursor scroll the cells.
    if (!courant.isValid() && navigation().premiere(false) == QPoint(-1, -1)) {
        QScrollBar *barre = verticalScrollBar();
        switch (event->key()) {
        case Qt::Key_Up:
            barre->triggerAction(QAbstractSlider::SliderSingleStepSub);
            return;
        case Qt::Key_Down:
            barre->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            return;
        case Qt::Key_PageUp:
            barre->triggerAction(QAbstractSlider::SliderPageStepSub);
            return;
        case Qt::Key_PageDown:
            barre->triggerAction(QAbstractSlider::SliderPageStepAdd);
            return;
        case Qt::Key_Home:
            barre->triggerAction(QAbstractSlider::SliderToMinimum);
            return;
        case Qt::Key_End:
            barre->triggerAction(QAbstractSlider::SliderToMaximum);
            return;
        default:
            break;
        }
    }
    GrilleTexte::keyPressEvent(event);
}

// --- Mouse ---------------------------------------------------------------------------------

void TExtendedGrid::mousePressEvent(QMouseEvent *event)
{
    const QPoint position = event->position().toPoint();
    const QModelIndex index = indexAt(position);
    if (event->button() != Qt::LeftButton || !index.isValid()) {
        if (!index.isValid() || peutSelectionner(index.column(), index.row()))
            GrilleTexte::mousePressEvent(event);
        return;
    }
    const int c = index.column(), r = index.row();
    setFocus(Qt::MouseFocusReason);
    const std::optional<TColonne> cellule = definitionCellule(c, r);
    const bool surBouton = cellule && (cellule->Style() == scBouton || cellule->Style() == scCombo)
        && rectangleBouton(visualRect(index), *cellule).contains(position);
    if (surBouton && cellule->Style() == scBouton && !CelluleBloquee(c, r)) {
        setCelluleCourante(c, r);
        m_boutonEnfonce = QPoint(c, r);
        redessiner();
        return;
    }
    // A cell the cursor may not stop on takes no click: the cursor stays where it is.
    if (!peutSelectionner(c, r))
        return;
    if (surBouton) {
        setCelluleCourante(c, r);
        edit(index, EditKeyPressed, event);
        return;
    }
    GrilleTexte::mousePressEvent(event);
}

void TExtendedGrid::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton)) {
        GrilleTexte::mouseMoveEvent(event);
        return;
    }
    if (m_boutonEnfonce.x() >= 0)
        return;
    // Dragging moves the cursor over the cells it may stop on, as a click would.
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && index != currentIndex() && state() != EditingState)
        setCelluleCourante(index.column(), index.row());
}

void TExtendedGrid::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_boutonEnfonce.x() < 0) {
        GrilleTexte::mouseReleaseEvent(event);
        return;
    }
    const QPoint cellule = m_boutonEnfonce;
    m_boutonEnfonce = QPoint(-1, -1);
    redessiner();
    const QModelIndex index = model()->index(cellule.y(), cellule.x());
    const std::optional<TColonne> definition = definitionCellule(cellule.x(), cellule.y());
    // As with any button, letting go outside it is changing one's mind.
    if (event->button() == Qt::LeftButton && definition
        && rectangleBouton(visualRect(index), *definition).contains(event->position().toPoint()))
        cliquerBouton(cellule.x(), cellule.y());
}

void TExtendedGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid())
        return;
    const std::optional<TColonne> cellule = definitionCellule(index.column(), index.row());
    if (cellule && (cellule->Style() == scBouton || cellule->Style() == scCombo)
        && rectangleBouton(visualRect(index), *cellule).contains(event->position().toPoint())) {
        mousePressEvent(event); // a quick second click on the button is a second press
        return;
    }
    if (peutSelectionner(index.column(), index.row()))
        GrilleTexte::mouseDoubleClickEvent(event);
}

QRect TExtendedGrid::rectangleBouton(const QRect &cellule, const TColonne &definition)
{
    const int largeur = qMin(definition.LargeurBouton(), cellule.width());
    const int hauteur = qMin(definition.HauteurBouton(), cellule.height());
    return QRect(cellule.right() - largeur + 1, cellule.top() + (cellule.height() - hauteur) / 2, largeur, hauteur);
}

void TExtendedGrid::cliquerBouton(int colonne, int ligne)
{
    const std::optional<TColonne> cellule = definitionCellule(colonne, ligne);
    if (!cellule || cellule->Style() != scBouton || CelluleBloquee(colonne, ligne))
        return;
    if (cellule->OnBoutonClick)
        cellule->OnBoutonClick(this, colonne, ligne);
    emit boutonClick(colonne, ligne);
}

// --- Editing and leaving cells -------------------------------------------------------------------

void TExtendedGrid::editionCommencee(int colonne, int ligne)
{
    m_ancienneValeur = Cells(colonne, ligne);
    m_celluleEditee = QPoint(colonne, ligne);
}

void TExtendedGrid::signalerSortie()
{
    const QPoint quittee = m_celluleEditee;
    m_celluleEditee = QPoint(-1, -1);
    emit exitCellule(quittee.x(), quittee.y());
}

bool TExtendedGrid::focusHorsDeLaGrille() const
{
    QWidget *focus = QApplication::focusWidget();
    return focus && focus != this && !isAncestorOf(focus);
}

void TExtendedGrid::closeEditor(QWidget *editeur, QAbstractItemDelegate::EndEditHint hint)
{
    GrilleTexte::closeEditor(editeur, hint);
    // The editor closed because another control took the focus: the cursor left the cell.
    if (m_celluleEditee.x() >= 0 && focusHorsDeLaGrille())
        signalerSortie();
}

void TExtendedGrid::focusOutEvent(QFocusEvent *event)
{
    GrilleTexte::focusOutEvent(event);
    const bool versUnAutreControle
        = event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason;
    if (m_celluleEditee.x() >= 0 && state() != EditingState && versUnAutreControle && focusHorsDeLaGrille())
        signalerSortie();
}

// --- Tooltips ------------------------------------------------------------------

bool TExtendedGrid::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        // A text cut by its cell shows whole in a tooltip.
        auto *aide = static_cast<QHelpEvent *>(event);
        const QModelIndex index = indexAt(aide->pos());
        const QString texte = index.isValid() ? m_delegate->texteCoupe(visualRect(index), index.column(), index.row())
                                              : QString();
        if (texte.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(aide->globalPos(), texte, viewport(), visualRect(index));
        return true;
    }
    return GrilleTexte::viewportEvent(event);
}
