#include "controls/grid/entetefixe.h"

#include "controls/grid/grilletexte.h"

#include <QPaintEvent>
#include <QPainter>

EnteteFixe::EnteteFixe(Qt::Orientation orientation, GrilleTexte *grille)
    : QHeaderView(orientation, grille)
    , m_grille(grille)
{
    // The band shows cells, not column or row buttons: a click on it selects nothing.
    setSectionsClickable(false);
    setHighlightSections(false);
    setSectionResizeMode(QHeaderView::Fixed);
    setMinimumSectionSize(0);
}

QSize EnteteFixe::sizeHint() const
{
    int epaisseur = 0;
    if (orientation() == Qt::Horizontal)
        for (int r = 0; r < m_grille->FixedRows(); ++r)
            epaisseur += m_grille->RowHeights(r);
    else
        for (int c = 0; c < m_grille->FixedCols(); ++c)
            epaisseur += m_grille->ColWidths(c);
    return orientation() == Qt::Horizontal ? QSize(length(), epaisseur) : QSize(epaisseur, length());
}

void EnteteFixe::paintEvent(QPaintEvent *event)
{
    QPainter peintre(viewport());
    // Beyond the last column (or row) lies the grid's empty area.
    peintre.fillRect(event->rect(), m_grille->Color());
    for (int section = 0; section < count(); ++section) {
        if (isSectionHidden(section))
            continue;
        const int debut = sectionViewportPosition(section);
        const QRect rect = orientation() == Qt::Horizontal
            ? QRect(debut, 0, sectionSize(section), viewport()->height())
            : QRect(0, debut, viewport()->width(), sectionSize(section));
        if (!rect.intersects(event->rect()))
            continue;
        peintre.save();
        paintSection(&peintre, rect, section);
        peintre.restore();
    }
}

void EnteteFixe::paintSection(QPainter *peintre, const QRect &rect, int logicalIndex) const
{
    if (orientation() == Qt::Horizontal) {
        int y = rect.top();
        for (int r = 0; r < m_grille->FixedRows(); ++r) {
            m_grille->dessinerFixe(*peintre, QRect(rect.left(), y, rect.width(), m_grille->RowHeights(r)), logicalIndex, r);
            y += m_grille->RowHeights(r);
        }
        return;
    }
    int x = rect.left();
    for (int c = 0; c < m_grille->FixedCols(); ++c) {
        m_grille->dessinerFixe(*peintre, QRect(x, rect.top(), m_grille->ColWidths(c), rect.height()), c, logicalIndex);
        x += m_grille->ColWidths(c);
    }
}

CoinFixe::CoinFixe(QWidget *coin, GrilleTexte *grille)
    : QObject(grille)
    , m_coin(coin)
    , m_grille(grille)
{
    coin->installEventFilter(this);
}

void CoinFixe::actualiser()
{
    m_coin->update();
}

bool CoinFixe::eventFilter(QObject *objet, QEvent *event)
{
    if (objet != m_coin || event->type() != QEvent::Paint)
        return QObject::eventFilter(objet, event);
    QPainter peintre(m_coin);
    peintre.fillRect(m_coin->rect(), m_grille->Color());
    int y = 0;
    for (int r = 0; r < m_grille->FixedRows(); ++r) {
        int x = 0;
        for (int c = 0; c < m_grille->FixedCols(); ++c) {
            m_grille->dessinerFixe(peintre, QRect(x, y, m_grille->ColWidths(c), m_grille->RowHeights(r)), c, r);
            x += m_grille->ColWidths(c);
        }
        y += m_grille->RowHeights(r);
    }
    return true;
}
