#include "controls/grid/grilletexte.h"

#include "controls/grid/entetefixe.h"
#include "controls/grid/modelegrille.h"

#include <QAbstractButton>
#include <QHeaderView>

GrilleTexte::GrilleTexte(QWidget *parent)
    : QTableView(parent)
    , m_modele(new ModeleGrille(this))
    , m_bandeLignes(new EnteteFixe(Qt::Horizontal, this))
    , m_bandeColonnes(new EnteteFixe(Qt::Vertical, this))
    , m_color(palette().color(QPalette::Base))
    , m_fixedColor(palette().color(QPalette::Button))
{
    m_modele->drapeaux = [this](int colonne, int ligne) { return drapeaux(colonne, ligne); };
    setModel(m_modele);
    setHorizontalHeader(m_bandeLignes);
    setVerticalHeader(m_bandeColonnes);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(false);
    setCornerButtonEnabled(false);
    setFocusPolicy(Qt::StrongFocus);
    // Where the fixed rows and columns meet, the view has a corner button of its own.
    if (auto *coin = findChild<QAbstractButton *>(QString(), Qt::FindDirectChildrenOnly))
        m_coin = new CoinFixe(coin, this);
    connect(m_bandeLignes, &QHeaderView::sectionResized, this, [this](int colonne, int, int largeur) {
        if (colonne < m_largeurs.size() && !m_bandeLignes->isSectionHidden(colonne))
            appliquerLargeur(colonne, largeur);
    });
    setColor(m_color);
    setDefaultRowHeight(m_defaultRowHeight);
    setRowCount(5);
    setColCount(5);
    setFixedRows(1);
    setFixedCols(1);
}

GrilleTexte::~GrilleTexte() = default;

int GrilleTexte::FixedCols() const
{
    return qMin(m_fixedCols, ColCount());
}

int GrilleTexte::FixedRows() const
{
    return qMin(m_fixedRows, RowCount());
}

int GrilleTexte::ColCount() const
{
    return m_modele->columnCount();
}

int GrilleTexte::RowCount() const
{
    return m_modele->rowCount();
}

void GrilleTexte::setColCount(int colonnes)
{
    colonnes = qMax(0, colonnes);
    const int avant = ColCount();
    m_modele->setDimensions(colonnes, RowCount());
    m_largeurs.resize(colonnes);
    for (int c = avant; c < colonnes; ++c)
        appliquerLargeur(c, largeurInitiale(c));
    cacherFixes();
    verifierCourante();
}

void GrilleTexte::setRowCount(int lignes)
{
    lignes = qMax(0, lignes);
    m_modele->setDimensions(ColCount(), lignes);
    // New rows come at the band's default size, which is the default row height.
    m_hauteurs.resize(lignes, m_defaultRowHeight);
    cacherFixes();
    verifierCourante();
}

void GrilleTexte::setFixedCols(int colonnes)
{
    m_fixedCols = qMax(0, colonnes);
    cacherFixes();
    verifierCourante();
}

void GrilleTexte::setFixedRows(int lignes)
{
    m_fixedRows = qMax(0, lignes);
    cacherFixes();
    verifierCourante();
}

void GrilleTexte::cacherFixes()
{
    // The fixed rows and columns are drawn in the bands, not among the cells. Only the leading
    // ones can change state, which keeps a grid of many rows quick to resize.
    for (int c = 0; c < qMin(qMax(m_colonnesCachees, FixedCols()), ColCount()); ++c)
        setColumnHidden(c, c < FixedCols());
    for (int r = 0; r < qMin(qMax(m_lignesCachees, FixedRows()), RowCount()); ++r)
        setRowHidden(r, r < FixedRows());
    m_colonnesCachees = FixedCols();
    m_lignesCachees = FixedRows();
    m_bandeLignes->setVisible(FixedRows() > 0);
    m_bandeColonnes->setVisible(FixedCols() > 0);
    updateGeometries();
    redessiner();
}

QString GrilleTexte::Cells(int colonne, int ligne) const
{
    return m_modele->texte(colonne, ligne);
}

void GrilleTexte::setCells(int colonne, int ligne, const QString &texte)
{
    m_modele->setTexte(colonne, ligne, texte);
    if (colonne < FixedCols() || ligne < FixedRows())
        redessiner();
}

void GrilleTexte::setDefaultColWidth(int largeur)
{
    m_defaultColWidth = qMax(0, largeur);
    for (int c = 0; c < ColCount(); ++c)
        appliquerLargeur(c, largeurInitiale(c));
}

void GrilleTexte::setDefaultRowHeight(int hauteur)
{
    m_defaultRowHeight = qMax(0, hauteur);
    m_bandeColonnes->setMinimumSectionSize(0);
    m_bandeColonnes->setDefaultSectionSize(m_defaultRowHeight);
    for (int r = 0; r < RowCount(); ++r)
        setRowHeights(r, m_defaultRowHeight);
}

int GrilleTexte::ColWidths(int colonne) const
{
    return colonne >= 0 && colonne < m_largeurs.size() ? m_largeurs.at(colonne) : 0;
}

void GrilleTexte::setColWidths(int colonne, int largeur)
{
    if (colonne < 0 || colonne >= ColCount())
        return;
    appliquerLargeur(colonne, largeur);
}

void GrilleTexte::appliquerLargeur(int colonne, int largeur)
{
    largeur = qMax(0, largeur);
    m_largeurs[colonne] = largeur;
    largeurAppliquee(colonne, largeur);
    m_bandeLignes->setMinimumSectionSize(0);
    if (m_bandeLignes->sectionSize(colonne) != largeur || m_bandeLignes->isSectionHidden(colonne))
        m_bandeLignes->resizeSection(colonne, largeur);
    if (colonne < FixedCols())
        updateGeometries();
    redessiner();
}

int GrilleTexte::RowHeights(int ligne) const
{
    return ligne >= 0 && ligne < m_hauteurs.size() ? m_hauteurs.at(ligne) : 0;
}

void GrilleTexte::setRowHeights(int ligne, int hauteur)
{
    if (ligne < 0 || ligne >= RowCount())
        return;
    m_hauteurs[ligne] = qMax(0, hauteur);
    m_bandeColonnes->resizeSection(ligne, m_hauteurs[ligne]);
    if (ligne < FixedRows())
        updateGeometries();
    redessiner();
}

void GrilleTexte::setColor(const QColor &couleur)
{
    m_color = couleur;
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, couleur);
    setPalette(palette);
    redessiner();
}

void GrilleTexte::setFixedColor(const QColor &couleur)
{
    m_fixedColor = couleur;
    redessiner();
}

void GrilleTexte::setOptions(TGridOptions options)
{
    m_options = options;
    m_bandeLignes->setSectionResizeMode(options & goColSizing ? QHeaderView::Interactive : QHeaderView::Fixed);
    setTabKeyNavigation(options & goTabs);
    redessiner();
}

void GrilleTexte::redessiner()
{
    viewport()->update();
    m_bandeLignes->viewport()->update();
    m_bandeColonnes->viewport()->update();
    if (m_coin)
        m_coin->actualiser();
}

int GrilleTexte::Col() const
{
    return currentIndex().isValid() ? currentIndex().column() : -1;
}

int GrilleTexte::Row() const
{
    return currentIndex().isValid() ? currentIndex().row() : -1;
}

bool GrilleTexte::setCelluleCourante(int colonne, int ligne)
{
    if (!peutSelectionner(colonne, ligne))
        return false;
    selectionModel()->setCurrentIndex(model()->index(ligne, colonne), QItemSelectionModel::ClearAndSelect);
    return true;
}

void GrilleTexte::verifierCourante()
{
    const QModelIndex courant = currentIndex();
    if (courant.isValid() && !peutSelectionner(courant.column(), courant.row()))
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
}

bool GrilleTexte::peutSelectionner(int colonne, int ligne) const
{
    return colonne >= FixedCols() && ligne >= FixedRows() && colonne < ColCount() && ligne < RowCount();
}

Qt::ItemFlags GrilleTexte::drapeaux(int colonne, int ligne) const
{
    if (!peutSelectionner(colonne, ligne))
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | (m_options & goEditing ? Qt::ItemIsEditable : Qt::NoItemFlags);
}

int GrilleTexte::largeurInitiale(int) const
{
    return m_defaultColWidth;
}

void GrilleTexte::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    redessiner(); // the cursor's cell is highlighted only with the focus
}

void GrilleTexte::focusOutEvent(QFocusEvent *event)
{
    QTableView::focusOutEvent(event);
    redessiner();
}

void GrilleTexte::currentChanged(const QModelIndex &courant, const QModelIndex &precedent)
{
    QTableView::currentChanged(courant, precedent);
    redessiner();
}
