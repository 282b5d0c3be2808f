#include "controls/grid/colonne.h"

#include "controls/formatdate.h"
#include "controls/grid/masqueaffichage.h"
#include "dialogs/messages.h"

#include <QApplication>
#include <QLocale>
#include <QStyle>

#include <algorithm>

namespace {

int tailleBoutonSysteme()
{
    return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

} // namespace

void PartieColonne::modifiee()
{
    if (m_colonne)
        m_colonne->modifiee();
}

// --- Title and display -------------------------------------------------------------------

void TTitreColonne::setCaption(const QString &caption)
{
    m_caption = caption;
    modifiee();
}

void TTitreColonne::setAlignment(TAlignment alignement)
{
    m_alignment = alignement;
    modifiee();
}

void TTitreColonne::setFont(const QFont &police)
{
    m_font = police;
    modifiee();
}

void TTitreColonne::setFontColor(const QColor &couleur)
{
    m_fontColor = couleur;
    modifiee();
}

void TAffichageCellule::setAlignment(TAlignment alignement)
{
    m_alignment = alignement;
    modifiee();
}

void TAffichageCellule::setColor(const QColor &couleur)
{
    m_color = couleur;
    modifiee();
}

void TAffichageCellule::setFont(const QFont &police)
{
    m_font = police;
    modifiee();
}

void TAffichageCellule::setFontColor(const QColor &couleur)
{
    m_fontColor = couleur;
    modifiee();
}

void TAffichageCellule::setMaskAffichage(const QString &masque)
{
    m_maskAffichage = masque;
    modifiee();
}

// --- Input ------------------------------------------------------------------------------

QChar TSaisieCellule::separateurDate()
{
    return FormatDate::depuisLocale(QLocale()).separateur();
}

QChar TSaisieCellule::separateurHeure()
{
    for (const QChar c : QLocale().timeFormat(QLocale::ShortFormat))
        if (!c.isLetter() && !c.isSpace() && c != u'\'')
            return c;
    return QLatin1Char(':');
}

QString TSaisieCellule::filtreParDefaut(TFormatCellule format)
{
    switch (format) {
    case fcNombre:
        return QStringLiteral("0..9");
    case fcNombreDecimal:
        return QStringLiteral("0..9;.;,");
    case fcDate:
        return QStringLiteral("0..9;") + separateurDate();
    case fcHeure:
        return QStringLiteral("0..9;") + separateurHeure();
    case fcChaine:
        break;
    }
    return QString();
}

void TSaisieCellule::setFormat(TFormatCellule format)
{
    // A filter the previous format put there is no choice of the owner's: it follows the format.
    QString automatique = filtreParDefaut(m_format);
    if (estNombre() && m_autoriseSigne && !automatique.isEmpty())
        automatique += QStringLiteral(";-");
    const bool filtreAutomatique = m_filtreTouche.isEmpty() || m_filtreTouche == automatique;
    m_format = format;
    if (filtreAutomatique) {
        changerFiltre(filtreParDefaut(format));
        if (estNombre())
            appliquerSigne();
    }
    if (format == fcDate)
        m_maxLength = 10;
    else if (format == fcHeure)
        m_maxLength = 5;
    modifiee();
}

bool TSaisieCellule::setFiltreTouche(const QString &filtre)
{
    if (!TouchesAutorisees::lire(filtre)) {
        MessageErreur(TouchesAutorisees::messageErreur());
        return false;
    }
    changerFiltre(filtre);
    modifiee();
    return true;
}

void TSaisieCellule::changerFiltre(const QString &filtre)
{
    m_filtreTouche = filtre;
    m_touches = TouchesAutorisees::lire(filtre).value_or(TouchesAutorisees());
}

void TSaisieCellule::setAutoriseSigne(bool autorise)
{
    m_autoriseSigne = autorise;
    if (estNombre())
        appliquerSigne();
    modifiee();
}

void TSaisieCellule::appliquerSigne()
{
    const QChar moins = QLatin1Char('-');
    if (m_autoriseSigne) {
        if (!m_touches.accepte(moins))
            changerFiltre(m_filtreTouche + QStringLiteral(";-"));
        return;
    }
    // Only a "-" item goes: a range that starts or ends with the sign is the owner's.
    QString filtre = m_filtreTouche;
    if (filtre.endsWith(QLatin1String(";-")))
        filtre.chop(2);
    else if (filtre.contains(QLatin1String(";-;")))
        filtre.replace(QLatin1String(";-;"), QLatin1String(";"));
    else if (filtre.startsWith(QLatin1String("-;")))
        filtre.remove(0, 2);
    else if (filtre == QLatin1String("-"))
        // An empty filter would let every character through.
        filtre = filtreParDefaut(m_format);
    changerFiltre(filtre);
}

QString TSaisieCellule::messageMaxLength()
{
    return QStringLiteral("La valeur saisi est incohérente avec à la valeur de NbDecimal.\n"
                          "MaxLength = propriété NbDecimal + 1(le séparateur décimal) + Nb chiffre avant virgule.");
}

bool TSaisieCellule::setMaxLength(int longueur)
{
    longueur = qMax(0, longueur);
    if (m_format == fcDate)
        longueur = 10;
    else if (m_format == fcHeure)
        longueur = 5;
    else if (m_format == fcNombreDecimal && longueur != 0 && longueur <= m_nbDecimal) {
        MessageErreur(messageMaxLength());
        return false;
    }
    m_maxLength = longueur;
    modifiee();
    return true;
}

bool TSaisieCellule::setNbDecimal(int nombre)
{
    nombre = qMax(0, nombre);
    if (m_format == fcNombreDecimal && m_maxLength != 0 && m_maxLength <= nombre) {
        MessageErreur(messageMaxLength());
        return false;
    }
    m_nbDecimal = nombre;
    modifiee();
    return true;
}

int TSaisieCellule::chiffresAvantVirgule() const
{
    return m_maxLength == 0 ? -1 : qMax(0, m_maxLength - m_nbDecimal - 1);
}

void TSaisieCellule::setValeurMin(double valeur)
{
    m_valeurMin = valeur;
    modifiee();
}

void TSaisieCellule::setValeurMax(double valeur)
{
    m_valeurMax = valeur;
    modifiee();
}

void TSaisieCellule::setReadOnly(bool lectureSeule)
{
    m_readOnly = lectureSeule;
    modifiee();
}

void TSaisieCellule::setEditColor(const QColor &couleur)
{
    m_editColor = couleur;
    modifiee();
}

void TSaisieCellule::setEditMask(const QString &masque)
{
    m_editMask = masque;
    modifiee();
}

void TSaisieCellule::setNbLigneCombo(int lignes)
{
    m_nbLigneCombo = qMax(1, lignes);
    modifiee();
}

void TSaisieCellule::setValeurCombo(const QStringList &valeurs)
{
    m_valeurCombo = valeurs;
    modifiee();
}

// --- Definition -------------------------------------------------------------------------

TColonne::TColonne()
    : m_hauteurBouton(tailleBoutonSysteme())
    , m_largeurBouton(tailleBoutonSysteme())
{
    relier();
}

TColonne::TColonne(const TColonne &autre)
    : OnBoutonClick(autre.OnBoutonClick)
    , OnGetIndexImage(autre.OnGetIndexImage)
    , m_name(autre.m_name)
    , m_largeur(autre.m_largeur)
    , m_titre(autre.m_titre)
    , m_affichage(autre.m_affichage)
    , m_saisie(autre.m_saisie)
    , m_style(autre.m_style)
    , m_arretCellule(autre.m_arretCellule)
    , m_images(autre.m_images)
    , m_indexImage(autre.m_indexImage)
    , m_indexImageBouton(autre.m_indexImageBouton)
    , m_hauteurBouton(autre.m_hauteurBouton)
    , m_largeurBouton(autre.m_largeurBouton)
{
    relier();
}

TColonne &TColonne::operator=(const TColonne &autre)
{
    if (this == &autre)
        return *this;
    OnBoutonClick = autre.OnBoutonClick;
    OnGetIndexImage = autre.OnGetIndexImage;
    m_name = autre.m_name;
    m_largeur = autre.m_largeur;
    m_titre = autre.m_titre;
    m_affichage = autre.m_affichage;
    m_saisie = autre.m_saisie;
    m_style = autre.m_style;
    m_arretCellule = autre.m_arretCellule;
    m_images = autre.m_images;
    m_indexImage = autre.m_indexImage;
    m_indexImageBouton = autre.m_indexImageBouton;
    m_hauteurBouton = autre.m_hauteurBouton;
    m_largeurBouton = autre.m_largeurBouton;
    modifiee(true);
    return *this;
}

void TColonne::relier()
{
    m_titre.m_colonne = this;
    m_affichage.m_colonne = this;
    m_saisie.m_colonne = this;
}

void TColonne::modifiee(bool largeur)
{
    if (m_collection && m_collection->m_observateur)
        m_collection->m_observateur->colonneModifiee(m_collection->indexDe(this), largeur);
}

void TColonne::setName(const QString &nom)
{
    m_name = nom;
}

QString TColonne::DisplayName() const
{
    return m_name.isEmpty() ? QStringLiteral("TColonne") : m_name;
}

void TColonne::setLargeur(int largeur)
{
    m_largeur = qMax(0, largeur);
    modifiee(true);
}

void TColonne::setStyle(TStyleCellule style)
{
    m_style = style;
    modifiee();
}

void TColonne::setArretCellule(bool arret)
{
    m_arretCellule = arret;
    modifiee();
}

void TColonne::setImages(TImageList *images)
{
    m_images = images;
    modifiee();
}

void TColonne::setIndexImage(int index)
{
    m_indexImage = index;
    modifiee();
}

void TColonne::setIndexImageBouton(int index)
{
    m_indexImageBouton = index;
    modifiee();
}

void TColonne::setHauteurBouton(int hauteur)
{
    m_hauteurBouton = qMax(0, hauteur);
    modifiee();
}

void TColonne::setLargeurBouton(int largeur)
{
    m_largeurBouton = qMax(0, largeur);
    modifiee();
}

int TColonne::Index() const
{
    return m_collection ? m_collection->indexDe(this) : -1;
}

QString TColonne::texteAffiche(const QString &texte) const
{
    const QString masque = m_affichage.MaskAffichage();
    if (masque.isEmpty())
        return texte;
    switch (m_saisie.Format()) {
    case fcNombre:
    case fcNombreDecimal:
        return MasqueAffichage::nombre(texte, masque);
    case fcDate:
        return MasqueAffichage::date(texte, masque);
    case fcHeure:
        return MasqueAffichage::heure(texte, masque);
    case fcChaine:
        break;
    }
    return texte;
}

// --- Collection -------------------------------------------------------------------------

TExtendedGridColonnes::TExtendedGridColonnes(ObservateurColonnes *observateur)
    : m_observateur(observateur)
{
}

TExtendedGridColonnes::TExtendedGridColonnes(const TExtendedGridColonnes &autre)
{
    for (const auto &item : autre.m_items) {
        m_items.push_back(std::make_unique<TColonne>(*item));
        m_items.back()->m_collection = this;
    }
}

TExtendedGridColonnes &TExtendedGridColonnes::operator=(const TExtendedGridColonnes &autre)
{
    if (this == &autre)
        return *this;
    // Definitions that stay take the new values in place, so that references to them hold.
    const size_t communes = std::min(m_items.size(), autre.m_items.size());
    for (size_t i = 0; i < communes; ++i)
        *m_items[i] = *autre.m_items[i];
    m_items.resize(communes);
    for (size_t i = communes; i < autre.m_items.size(); ++i) {
        m_items.push_back(std::make_unique<TColonne>(*autre.m_items[i]));
        m_items.back()->m_collection = this;
    }
    if (m_observateur)
        m_observateur->colonnesModifiees();
    return *this;
}

TColonne &TExtendedGridColonnes::Add()
{
    auto colonne = std::make_unique<TColonne>();
    if (m_observateur) {
        const ObservateurColonnes::Defauts defauts = m_observateur->defautsColonne();
        colonne->m_largeur = defauts.largeur;
        colonne->m_affichage.m_color = defauts.couleur;
        colonne->m_affichage.m_font = defauts.police;
        colonne->m_affichage.m_fontColor = defauts.couleurTexte;
        colonne->m_titre.m_font = defauts.police;
        colonne->m_titre.m_fontColor = defauts.couleurTexte;
    }
    colonne->m_collection = this;
    m_items.push_back(std::move(colonne));
    if (m_observateur)
        m_observateur->colonnesModifiees();
    return *m_items.back();
}

void TExtendedGridColonnes::Delete(int index)
{
    if (index < 0 || index >= Count())
        return;
    m_items.erase(m_items.begin() + index);
    if (m_observateur)
        m_observateur->colonnesModifiees();
}

void TExtendedGridColonnes::Clear()
{
    m_items.clear();
    if (m_observateur)
        m_observateur->colonnesModifiees();
}

int TExtendedGridColonnes::indexDe(const TColonne *colonne) const
{
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].get() == colonne)
            return int(i);
    return -1;
}
