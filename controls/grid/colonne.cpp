#include "controls/grid/colonne.h"

#include "controls/dateformat.h"
#include "controls/grid/displaymask.h"
#include "dialogs/messages.h"

#include <QApplication>
#include <QLocale>
#include <QStyle>

#include <algorithm>

namespace {

int systemButtonSize()
{
    return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

} // namespace

void ColumnPart::changed()
{
    if (m_column)
        m_column->changed();
}

// --- Title and display -------------------------------------------------------------------

void TTitreColonne::setCaption(const QString &caption)
{
    m_caption = caption;
    changed();
}

void TTitreColonne::setAlignment(TAlignment alignment)
{
    m_alignment = alignment;
    changed();
}

void TTitreColonne::setFont(const QFont &font)
{
    m_font = font;
    changed();
}

void TTitreColonne::setFontColor(const QColor &colour)
{
    m_fontColor = colour;
    changed();
}

void TAffichageCellule::setAlignment(TAlignment alignment)
{
    m_alignment = alignment;
    changed();
}

void TAffichageCellule::setColor(const QColor &colour)
{
    m_color = colour;
    changed();
}

void TAffichageCellule::setFont(const QFont &font)
{
    m_font = font;
    changed();
}

void TAffichageCellule::setFontColor(const QColor &colour)
{
    m_fontColor = colour;
    changed();
}

void TAffichageCellule::setMaskAffichage(const QString &mask)
{
    m_maskAffichage = mask;
    changed();
}

// --- Input ------------------------------------------------------------------------------

QChar TSaisieCellule::dateSeparator()
{
    return DateFormat::fromLocale(QLocale()).separator();
}

QChar TSaisieCellule::timeSeparator()
{
    for (const QChar c : QLocale().timeFormat(QLocale::ShortFormat))
        if (!c.isLetter() && !c.isSpace() && c != u'\'')
            return c;
    return QLatin1Char(':');
}

QString TSaisieCellule::defaultFilter(CellFormat format)
{
    switch (format) {
    case fcNombre:
        return QStringLiteral("0..9");
    case fcNombreDecimal:
        return QStringLiteral("0..9;.;,");
    case fcDate:
        return QStringLiteral("0..9;") + dateSeparator();
    case fcHeure:
        return QStringLiteral("0..9;") + timeSeparator();
    case fcChaine:
        break;
    }
    return QString();
}

void TSaisieCellule::setFormat(CellFormat format)
{
    // A filter the previous format put there is no choice of the owner's: it follows the format.
    QString automatic = defaultFilter(m_format);
    if (isNumber() && m_autoriseSigne && !automatic.isEmpty())
        automatic += QStringLiteral(";-");
    const bool automaticFilter = m_filtreTouche.isEmpty() || m_filtreTouche == automatic;
    m_format = format;
    if (automaticFilter) {
        changeFilter(defaultFilter(format));
        if (isNumber())
            applySign();
    }
    if (format == fcDate)
        m_maxLength = 10;
    else if (format == fcHeure)
        m_maxLength = 5;
    changed();
}

bool TSaisieCellule::setFiltreTouche(const QString &filter)
{
    if (!AllowedKeys::read(filter)) {
        MessageErreur(AllowedKeys::errorMessage());
        return false;
    }
    changeFilter(filter);
    changed();
    return true;
}

void TSaisieCellule::changeFilter(const QString &filter)
{
    m_filtreTouche = filter;
    m_touches = AllowedKeys::read(filter).value_or(AllowedKeys());
}

void TSaisieCellule::setAutoriseSigne(bool allowed)
{
    m_autoriseSigne = allowed;
    if (isNumber())
        applySign();
    changed();
}

void TSaisieCellule::applySign()
{
    const QChar minus = QLatin1Char('-');
    if (m_autoriseSigne) {
        if (!m_touches.accepts(minus))
            changeFilter(m_filtreTouche + QStringLiteral(";-"));
        return;
    }
    // Only a "-" item goes: a range that starts or ends with the sign is the owner's.
    QString filter = m_filtreTouche;
    if (filter.endsWith(QLatin1String(";-")))
        filter.chop(2);
    else if (filter.contains(QLatin1String(";-;")))
        filter.replace(QLatin1String(";-;"), QLatin1String(";"));
    else if (filter.startsWith(QLatin1String("-;")))
        filter.remove(0, 2);
    else if (filter == QLatin1String("-"))
        // An empty filter would let every character through.
        filter = defaultFilter(m_format);
    changeFilter(filter);
}

QString TSaisieCellule::messageMaxLength()
{
    return QStringLiteral("La valeur saisi est incohérente avec à la valeur de NbDecimal.\n"
                          "MaxLength = propriété NbDecimal + 1(le séparateur décimal) + Nb chiffre avant virgule.");
}

bool TSaisieCellule::setMaxLength(int length)
{
    length = qMax(0, length);
    if (m_format == fcDate)
        length = 10;
    else if (m_format == fcHeure)
        length = 5;
    else if (m_format == fcNombreDecimal && length != 0 && length <= m_nbDecimal) {
        MessageErreur(messageMaxLength());
        return false;
    }
    m_maxLength = length;
    changed();
    return true;
}

bool TSaisieCellule::setNbDecimal(int number)
{
    number = qMax(0, number);
    if (m_format == fcNombreDecimal && m_maxLength != 0 && m_maxLength <= number) {
        MessageErreur(messageMaxLength());
        return false;
    }
    m_nbDecimal = number;
    changed();
    return true;
}

int TSaisieCellule::digitsBeforePoint() const
{
    return m_maxLength == 0 ? -1 : qMax(0, m_maxLength - m_nbDecimal - 1);
}

void TSaisieCellule::setValeurMin(double value)
{
    m_valeurMin = value;
    changed();
}

void TSaisieCellule::setValeurMax(double value)
{
    m_valeurMax = value;
    changed();
}

void TSaisieCellule::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    changed();
}

void TSaisieCellule::setEditColor(const QColor &colour)
{
    m_editColor = colour;
    changed();
}

void TSaisieCellule::setEditMask(const QString &mask)
{
    m_editMask = mask;
    changed();
}

void TSaisieCellule::setNbLigneCombo(int lines)
{
    m_nbLigneCombo = qMax(1, lines);
    changed();
}

void TSaisieCellule::setValeurCombo(const QStringList &values)
{
    m_valeurCombo = values;
    changed();
}

// --- Definition -------------------------------------------------------------------------

TColonne::TColonne()
    : m_hauteurBouton(systemButtonSize())
    , m_largeurBouton(systemButtonSize())
{
    attach();
}

TColonne::TColonne(const TColonne &other)
    : OnBoutonClick(other.OnBoutonClick)
    , OnGetIndexImage(other.OnGetIndexImage)
    , m_name(other.m_name)
    , m_largeur(other.m_largeur)
    , m_titre(other.m_titre)
    , m_affichage(other.m_affichage)
    , m_saisie(other.m_saisie)
    , m_style(other.m_style)
    , m_arretCellule(other.m_arretCellule)
    , m_images(other.m_images)
    , m_indexImage(other.m_indexImage)
    , m_indexImageBouton(other.m_indexImageBouton)
    , m_hauteurBouton(other.m_hauteurBouton)
    , m_largeurBouton(other.m_largeurBouton)
{
    attach();
}

TColonne &TColonne::operator=(const TColonne &other)
{
    if (this == &other)
        return *this;
    OnBoutonClick = other.OnBoutonClick;
    OnGetIndexImage = other.OnGetIndexImage;
    m_name = other.m_name;
    m_largeur = other.m_largeur;
    m_titre = other.m_titre;
    m_affichage = other.m_affichage;
    m_saisie = other.m_saisie;
    m_style = other.m_style;
    m_arretCellule = other.m_arretCellule;
    m_images = other.m_images;
    m_indexImage = other.m_indexImage;
    m_indexImageBouton = other.m_indexImageBouton;
    m_hauteurBouton = other.m_hauteurBouton;
    m_largeurBouton = other.m_largeurBouton;
    changed(true);
    return *this;
}

void TColonne::attach()
{
    m_titre.m_column = this;
    m_affichage.m_column = this;
    m_saisie.m_column = this;
}

void TColonne::changed(bool width)
{
    if (m_collection && m_collection->m_observer)
        m_collection->m_observer->columnChanged(m_collection->indexOf(this), width);
}

void TColonne::setName(const QString &nom)
{
    m_name = nom;
}

QString TColonne::DisplayName() const
{
    return m_name.isEmpty() ? QStringLiteral("TColonne") : m_name;
}

void TColonne::setLargeur(int width)
{
    m_largeur = qMax(0, width);
    changed(true);
}

void TColonne::setStyle(CellStyle style)
{
    m_style = style;
    changed();
}

void TColonne::setArretCellule(bool stop)
{
    m_arretCellule = stop;
    changed();
}

void TColonne::setImages(TImageList *images)
{
    m_images = images;
    changed();
}

void TColonne::setIndexImage(int index)
{
    m_indexImage = index;
    changed();
}

void TColonne::setIndexImageBouton(int index)
{
    m_indexImageBouton = index;
    changed();
}

void TColonne::setHauteurBouton(int height)
{
    m_hauteurBouton = qMax(0, height);
    changed();
}

void TColonne::setLargeurBouton(int width)
{
    m_largeurBouton = qMax(0, width);
    changed();
}

int TColonne::Index() const
{
    return m_collection ? m_collection->indexOf(this) : -1;
}

QString TColonne::shownText(const QString &content) const
{
    const QString mask = m_affichage.MaskAffichage();
    if (mask.isEmpty())
        return content;
    switch (m_saisie.Format()) {
    case fcNombre:
    case fcNombreDecimal:
        return DisplayMask::number(content, mask);
    case fcDate:
        return DisplayMask::date(content, mask);
    case fcHeure:
        return DisplayMask::hour(content, mask);
    case fcChaine:
        break;
    }
    return content;
}

// --- Collection -------------------------------------------------------------------------

TExtendedGridColonnes::TExtendedGridColonnes(ColumnObserver *observer)
    : m_observer(observer)
{
}

TExtendedGridColonnes::TExtendedGridColonnes(const TExtendedGridColonnes &other)
{
    for (const auto &item : other.m_items) {
        m_items.push_back(std::make_unique<TColonne>(*item));
        m_items.back()->m_collection = this;
    }
}

TExtendedGridColonnes &TExtendedGridColonnes::operator=(const TExtendedGridColonnes &other)
{
    if (this == &other)
        return *this;
    // Definitions that stay take the new values in place, so that references to them hold.
    const size_t common = std::min(m_items.size(), other.m_items.size());
    for (size_t i = 0; i < common; ++i)
        *m_items[i] = *other.m_items[i];
    m_items.resize(common);
    for (size_t i = common; i < other.m_items.size(); ++i) {
        m_items.push_back(std::make_unique<TColonne>(*other.m_items[i]));
        m_items.back()->m_collection = this;
    }
    if (m_observer)
        m_observer->columnsChanged();
    return *this;
}

TColonne &TExtendedGridColonnes::Add()
{
    auto column = std::make_unique<TColonne>();
    if (m_observer) {
        const ColumnObserver::Defaults defaults = m_observer->columnDefaults();
        column->m_largeur = defaults.width;
        column->m_affichage.m_color = defaults.colour;
        column->m_affichage.m_font = defaults.font;
        column->m_affichage.m_fontColor = defaults.textColour;
        column->m_titre.m_font = defaults.font;
        column->m_titre.m_fontColor = defaults.textColour;
    }
    column->m_collection = this;
    m_items.push_back(std::move(column));
    if (m_observer)
        m_observer->columnsChanged();
    return *m_items.back();
}

void TExtendedGridColonnes::Delete(int index)
{
    if (index < 0 || index >= Count())
        return;
    m_items.erase(m_items.begin() + index);
    if (m_observer)
        m_observer->columnsChanged();
}

void TExtendedGridColonnes::Clear()
{
    m_items.clear();
    if (m_observer)
        m_observer->columnsChanged();
}

int TExtendedGridColonnes::indexOf(const TColonne *column) const
{
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].get() == column)
            return int(i);
    return -1;
}
