#include "controls/grid/griddelegate.h"

#include "controls/grid/editeurcellule.h"
#include "controls/grid/extendedgrid.h"
#include "controls/grid/masqueaffichage.h"
#include "controls/saisiedate.h"
#include "controls/saisieheure.h"
#include "core/exif/datetimevalue.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QPainter>
#include <QTextLayout>
#include <QTimer>

#include <cmath>

struct PresentationCellule {
    std::optional<TColonne> definition;
    QString texte;
    QFont police;
    QColor fond, couleurTexte;
    TAlignment alignement = taLeftJustify;
    bool fixe = false;
    bool selectionnee = false;
};

namespace {

constexpr int MargeTexte = 2;

Qt::Alignment alignementHorizontal(TAlignment alignement)
{
    switch (alignement) {
    case taRightJustify:
        return Qt::AlignRight;
    case taCenter:
        return Qt::AlignHCenter;
    case taLeftJustify:
        break;
    }
    return Qt::AlignLeft;
}

// Date and time cells are edited with the program's date and time edits (arrows, calendar),
// unless an input mask of the column's own asks for a plain field.
TFormatCellule formatEditeur(const std::optional<TColonne> &definition)
{
    if (!definition || definition->Style() == scImage || definition->Style() == scCombo
        || !definition->Saisie().EditMask().isEmpty())
        return fcChaine;
    return definition->Saisie().Format();
}

// Cell texts hold dates and times by position (day, month, year; hours, minutes) with the
// locale's separators, whatever order the edit shows them in.
QString texteDate(const QDate &jour)
{
    const QChar s = TSaisieCellule::separateurDate();
    return jour.toString(QStringLiteral("dd") + s + QStringLiteral("MM") + s + QStringLiteral("yyyy"));
}

QString texteHeure(double fraction)
{
    const int minutes = qBound(0, int(std::llround(fraction * 1440.0)), 1439);
    return QStringLiteral("%1%2%3")
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(TSaisieCellule::separateurHeure())
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

bool avecBouton(const PresentationCellule &cellule)
{
    return !cellule.fixe && cellule.definition
        && (cellule.definition->Style() == scBouton || cellule.definition->Style() == scCombo);
}

} // namespace

GridDelegate::GridDelegate(TExtendedGrid *grille)
    : QStyledItemDelegate(grille)
    , m_grille(grille)
{
}

// --- Drawing -------------------------------------------------------------------------------

PresentationCellule GridDelegate::presentation(int colonne, int ligne) const
{
    PresentationCellule p;
    p.fixe = colonne < m_grille->FixedCols() || ligne < m_grille->FixedRows();
    p.selectionnee = !p.fixe && colonne == m_grille->Col() && ligne == m_grille->Row()
        && (m_grille->hasFocus() || (m_grille->Options() & TExtendedGrid::goDrawFocusSelected));
    p.definition = m_grille->definitionCellule(colonne, ligne);
    p.texte = m_grille->Cells(colonne, ligne);
    const QPalette &palette = m_grille->palette();
    if (p.definition) {
        const TAffichageCellule &affichage = p.definition->Affichage();
        p.police = affichage.Font();
        p.couleurTexte = affichage.FontColor();
        p.fond = affichage.Color();
        p.alignement = affichage.Alignment();
        p.texte = p.definition->texteAffiche(p.texte);
        const TTitreColonne &titre = p.definition->Titre();
        if (ligne < m_grille->FixedRows() && !titre.Caption().isEmpty()) {
            p.texte = titre.Caption();
            p.alignement = titre.Alignment();
            p.police = titre.Font();
            p.couleurTexte = titre.FontColor();
        }
    } else {
        p.police = m_grille->font();
        p.couleurTexte = palette.color(p.fixe ? QPalette::ButtonText : QPalette::Text);
        p.fond = m_grille->Color();
    }
    if (p.selectionnee) {
        p.fond = palette.color(QPalette::Highlight);
        p.couleurTexte = palette.color(QPalette::HighlightedText);
    }
    if (p.fixe)
        p.fond = m_grille->FixedColor();
    return p;
}

QRect GridDelegate::zoneTexte(const QRect &rect, const PresentationCellule &cellule) const
{
    QRect zone = rect.adjusted(MargeTexte, 0, -MargeTexte, 0);
    if (avecBouton(cellule))
        zone.setRight(TExtendedGrid::rectangleBouton(rect, *cellule.definition).left() - MargeTexte);
    return zone;
}

namespace {

// The lines of a text wrapped at words (inside a word when it is longer than the width) that
// fit in the zone; the last one shown ends with an ellipsis when the text goes on.
struct LignesTexte {
    QStringList lignes;
    bool coupe = false;
};

LignesTexte couperEnLignes(const QString &texte, const QFont &police, const QRect &zone)
{
    LignesTexte resultat;
    if (texte.isEmpty() || zone.width() <= 0)
        return resultat;
    const QFontMetrics mesure(police);
    const int place = qMax(1, zone.height() / qMax(1, mesure.lineSpacing()));
    QTextLayout mise(texte, police);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    mise.setTextOption(option);
    mise.beginLayout();
    for (QTextLine ligne = mise.createLine(); ligne.isValid(); ligne = mise.createLine()) {
        ligne.setLineWidth(zone.width());
        if (resultat.lignes.size() == place) {
            resultat.coupe = true;
            break;
        }
        resultat.lignes << texte.mid(ligne.textStart(), ligne.textLength());
    }
    mise.endLayout();
    if (resultat.coupe) {
        // The last line shown carries the rest of the text, cut with an ellipsis.
        qsizetype debut = 0;
        for (qsizetype i = 0; i + 1 < resultat.lignes.size(); ++i)
            debut += resultat.lignes.at(i).size();
        resultat.lignes.last() = mesure.elidedText(texte.mid(debut).simplified(), Qt::ElideRight, zone.width());
    }
    for (QString &ligne : resultat.lignes)
        while (ligne.endsWith(u' ') || ligne.endsWith(u'\n'))
            ligne.chop(1);
    return resultat;
}

} // namespace

void GridDelegate::dessinerTexte(QPainter &peintre, const QRect &zone, const PresentationCellule &cellule) const
{
    const LignesTexte texte = couperEnLignes(cellule.texte, cellule.police, zone);
    const int hauteur = QFontMetrics(cellule.police).lineSpacing();
    // The lines stand in the middle of the cell, or from its top when only one fits partly.
    int y = zone.top() + qMax(0, (zone.height() - hauteur * int(texte.lignes.size())) / 2);
    peintre.setFont(cellule.police);
    peintre.setPen(cellule.couleurTexte);
    for (const QString &ligne : texte.lignes) {
        peintre.drawText(QRect(zone.left(), y, zone.width(), hauteur),
                         int(alignementHorizontal(cellule.alignement)) | Qt::AlignVCenter | Qt::TextSingleLine, ligne);
        y += hauteur;
    }
}

void GridDelegate::dessinerCellule(QPainter &peintre, const QRect &rect, int colonne, int ligne) const
{
    const PresentationCellule cellule = presentation(colonne, ligne);
    peintre.save();
    peintre.setClipRect(rect);
    if (m_grille->DefaultDrawing()) {
        peintre.fillRect(rect, cellule.fond);
        const bool image = cellule.definition && cellule.definition->Style() == scImage
            && ligne >= m_grille->FixedRows() && cellule.definition->Images();
        if (image) {
            dessinerImage(peintre, rect, colonne, ligne, cellule);
        } else {
            if (avecBouton(cellule))
                dessinerBouton(peintre, rect, colonne, ligne, cellule);
            dessinerTexte(peintre, zoneTexte(rect, cellule), cellule);
        }
        if (!cellule.fixe && m_grille->hasFocus() && colonne == m_grille->Col() && ligne == m_grille->Row()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(m_grille);
            focus.rect = rect;
            focus.backgroundColor = cellule.fond;
            m_grille->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &peintre, m_grille);
        }
    }
    peintre.restore();
    if (m_grille->OnDrawCell) {
        peintre.save();
        m_grille->OnDrawCell(m_grille, colonne, ligne, peintre, rect, cellule.selectionnee);
        peintre.restore();
    }
}

void GridDelegate::dessinerImage(QPainter &peintre, const QRect &rect, int colonne, int ligne,
                                 const PresentationCellule &cellule) const
{
    int index = cellule.definition->IndexImage();
    if (cellule.definition->OnGetIndexImage)
        cellule.definition->OnGetIndexImage(m_grille, colonne, ligne, index);
    const QPixmap image = cellule.definition->Images()->image(index);
    if (image.isNull())
        return;
    const QSize taille = image.deviceIndependentSize().toSize();
    int x = rect.left() + MargeTexte;
    if (cellule.alignement == taRightJustify)
        x = rect.right() - MargeTexte - taille.width() + 1;
    else if (cellule.alignement == taCenter)
        x = rect.left() + (rect.width() - taille.width()) / 2;
    peintre.drawPixmap(x, rect.top() + (rect.height() - taille.height()) / 2, image);
}

void GridDelegate::dessinerBouton(QPainter &peintre, const QRect &rect, int colonne, int ligne,
                                  const PresentationCellule &cellule) const
{
    const TColonne &definition = *cellule.definition;
    QStyleOptionButton option;
    option.initFrom(m_grille);
    option.rect = TExtendedGrid::rectangleBouton(rect, definition);
    const bool enfonce = m_grille->boutonEnfonce() == QPoint(colonne, ligne);
    option.state |= enfonce ? QStyle::State_Sunken : QStyle::State_Raised;
    option.state &= ~QStyle::State_HasFocus;
    QStyle *style = m_grille->style();
    style->drawPrimitive(QStyle::PE_PanelButtonBevel, &option, &peintre, m_grille);
    const QRect interieur = option.rect.adjusted(2, 2, -2, -2).translated(enfonce ? 1 : 0, enfonce ? 1 : 0);
    if (definition.Style() == scCombo) {
        QStyleOption fleche(option);
        fleche.rect = interieur;
        style->drawPrimitive(QStyle::PE_IndicatorArrowDown, &fleche, &peintre, m_grille);
        return;
    }
    const QPixmap image = m_grille->ImagesBouton() ? m_grille->ImagesBouton()->image(definition.IndexImageBouton()) : QPixmap();
    if (!image.isNull()) {
        const QSize taille = image.deviceIndependentSize().toSize().boundedTo(interieur.size());
        const QRect cible(interieur.center() - QPoint(taille.width() / 2, taille.height() / 2), taille);
        peintre.drawPixmap(cible, image);
        return;
    }
    // Without a picture, the button says that it opens something more.
    peintre.setPen(m_grille->palette().color(QPalette::ButtonText));
    peintre.setFont(m_grille->font());
    peintre.drawText(option.rect.translated(enfonce ? 1 : 0, enfonce ? 1 : 0), Qt::AlignCenter, QStringLiteral("…"));
}

QColor GridDelegate::couleurLignes() const
{
    QStyleOptionViewItem option;
    option.initFrom(m_grille);
    return QColor::fromRgba(QRgb(m_grille->style()->styleHint(QStyle::SH_Table_GridLineColor, &option, m_grille)));
}

void GridDelegate::dessinerFixe(QPainter &peintre, const QRect &rect, int colonne, int ligne) const
{
    if (rect.isEmpty())
        return;
    dessinerCellule(peintre, rect.adjusted(0, 0, -1, -1), colonne, ligne);
    peintre.save();
    peintre.setPen(couleurLignes());
    peintre.drawLine(rect.topRight(), rect.bottomRight());
    peintre.drawLine(rect.bottomLeft(), rect.bottomRight());
    peintre.restore();
}

void GridDelegate::paint(QPainter *peintre, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    dessinerCellule(*peintre, option.rect, index.column(), index.row());
}

QString GridDelegate::texteCoupe(const QRect &rect, int colonne, int ligne) const
{
    const PresentationCellule cellule = presentation(colonne, ligne);
    if (cellule.texte.isEmpty() || (cellule.definition && cellule.definition->Style() == scImage))
        return QString();
    return couperEnLignes(cellule.texte, cellule.police, zoneTexte(rect, cellule)).coupe ? cellule.texte : QString();
}

// --- Editing -------------------------------------------------------------------------------

QWidget *GridDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &index) const
{
    const int colonne = index.column(), ligne = index.row();
    const std::optional<TColonne> definition = m_grille->definitionCellule(colonne, ligne);
    m_grille->editionCommencee(colonne, ligne);
    if (definition && definition->Style() == scCombo) {
        auto *liste = new QComboBox(parent);
        liste->addItems(definition->Saisie().ValeurCombo());
        liste->setMaxVisibleItems(definition->Saisie().NbLigneCombo());
        liste->setFont(definition->Affichage().Font());
        auto *delegate = const_cast<GridDelegate *>(this);
        // Choosing in the list is entering the value.
        connect(liste, &QComboBox::activated, delegate, [delegate, liste] {
            emit delegate->commitData(liste);
            emit delegate->closeEditor(liste, QAbstractItemDelegate::NoHint);
        });
        QTimer::singleShot(0, liste, &QComboBox::showPopup);
        return liste;
    }
    if (formatEditeur(definition) == fcDate) {
        auto *date = new TSaisieDate(parent);
        date->setFont(definition->Affichage().Font());
        return date;
    }
    if (formatEditeur(definition) == fcHeure) {
        auto *heure = new TSaisieHeure(parent);
        heure->setFont(definition->Affichage().Font());
        return heure;
    }
    std::optional<TSaisieCellule> saisie;
    if (definition)
        saisie = definition->Saisie();
    auto *editeur = new EditeurCellule(parent, saisie, definition ? definition->Affichage().Alignment() : taLeftJustify);
    editeur->setFont(definition ? definition->Affichage().Font() : m_grille->font());
    return editeur;
}

void GridDelegate::setEditorData(QWidget *editeur, const QModelIndex &index) const
{
    const QString texte = m_grille->Cells(index.column(), index.row());
    if (auto *liste = qobject_cast<QComboBox *>(editeur)) {
        liste->setCurrentIndex(liste->findText(texte));
    } else if (auto *date = qobject_cast<TSaisieDate *>(editeur)) {
        const QDate jour = MasqueAffichage::lireDate(texte);
        date->EcrireDate(jour.isValid() ? DateValue::fromDate(jour) : DateValue::None);
        date->selectAll();
    } else if (auto *heure = qobject_cast<TSaisieHeure *>(editeur)) {
        // An empty cell starts from the time of now, as the edit does on its own.
        const QTime moment = MasqueAffichage::lireHeure(texte);
        if (moment.isValid())
            heure->EcrireHeure((moment.hour() * 60 + moment.minute()) / 1440.0);
        heure->selectAll();
    } else if (auto *ligne = qobject_cast<QLineEdit *>(editeur); ligne && ligne->text() != texte)
        ligne->setText(texte);
}

void GridDelegate::setModelData(QWidget *editeur, QAbstractItemModel *modele, const QModelIndex &index) const
{
    if (auto *liste = qobject_cast<QComboBox *>(editeur)) {
        if (liste->currentIndex() >= 0)
            modele->setData(index, liste->currentText());
    } else if (auto *date = qobject_cast<TSaisieDate *>(editeur)) {
        // An emptied field empties the cell; a date that does not exist leaves it as it was.
        const QDate jour = date->format().lire(date->displayText());
        if (jour.isValid())
            modele->setData(index, texteDate(jour));
        else if (date->displayText().remove(TSaisieCellule::separateurDate()).trimmed().isEmpty())
            modele->setData(index, QString());
    } else if (auto *heure = qobject_cast<TSaisieHeure *>(editeur)) {
        modele->setData(index, texteHeure(heure->LireHeure()));
    } else if (auto *cellule = qobject_cast<EditeurCellule *>(editeur)) {
        if (cellule->erreurValeur().isEmpty())
            modele->setData(index, cellule->valeur());
    }
}

void GridDelegate::updateEditorGeometry(QWidget *editeur, const QStyleOptionViewItem &option,
                                        const QModelIndex &index) const
{
    QRect rect = option.rect;
    const std::optional<TColonne> definition = m_grille->definitionCellule(index.column(), index.row());
    // The button stays visible and clickable beside the editor.
    if (definition && definition->Style() == scBouton)
        rect.setRight(TExtendedGrid::rectangleBouton(option.rect, *definition).left() - 1);
    // A date or time edit in a narrow column spreads over the next cells rather than hiding
    // its text behind its arrows.
    if (auto *date = qobject_cast<TSaisieDate *>(editeur)) {
        const int texte = date->fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000"));
        rect.setWidth(qMax(rect.width(), texte + date->LargeurBouton() + 4 * MargeTexte));
    } else if (qobject_cast<TSaisieHeure *>(editeur)) {
        rect.setWidth(qMax(rect.width(), editeur->sizeHint().width()));
    }
    editeur->setGeometry(rect);
}

bool GridDelegate::eventFilter(QObject *objet, QEvent *event)
{
    auto *editeur = qobject_cast<EditeurCellule *>(objet);
    // A message box of the editor takes the focus for a while: the editing goes on.
    if (editeur && editeur->messageOuvert())
        return false;
    if (editeur && event->type() == QEvent::KeyPress) {
        const int touche = static_cast<QKeyEvent *>(event)->key();
        switch (touche) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown: {
            // A value that cannot go into the cell is explained and stays in the editor.
            const QString erreur = editeur->erreurValeur();
            if (!erreur.isEmpty()) {
                editeur->signaler(erreur, true);
                return true;
            }
            const bool tab = touche == Qt::Key_Tab || touche == Qt::Key_Backtab;
            if (tab && !(m_grille->Options() & TExtendedGrid::goTabs)) {
                emit commitData(editeur);
                emit closeEditor(editeur, QAbstractItemDelegate::NoHint);
                m_grille->focusNextPrevChild(touche == Qt::Key_Tab);
                return true;
            }
            break;
        }
        default:
            break;
        }
    }
    return QStyledItemDelegate::eventFilter(objet, event);
}
