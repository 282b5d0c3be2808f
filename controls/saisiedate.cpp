#include "controls/saisiedate.h"

#include "controls/calendrier.h"
#include "controls/flechehautbas.h"
#include "core/exif/datetimevalue.h"

#include <QKeyEvent>
#include <QScreen>

namespace {
constexpr int LargeurFleches = 15;
// The calendar window's intended size and the room the old frame took around it.
constexpr QSize TailleCalendrier(203, 196);
constexpr int MargeHaute = 219 - 196;
constexpr int RetraitGauche = 203 - 191;
} // namespace

TSaisieDate::TSaisieDate(QWidget *parent)
    : TCustomSaisieBouton(parent)
    , m_format(FormatDate::depuisLocale())
    , m_fleches(new TFlecheHautBas(this))
{
    m_fleches->setObjectName(QStringLiteral("udDate"));
    connect(m_fleches, &TFlecheHautBas::haut, this, &TSaisieDate::JourSuivant);
    connect(m_fleches, &TFlecheHautBas::bas, this, &TSaisieDate::JourPrecedent);
    bouton()->setObjectName(QStringLiteral("sbCalendrier"));
    setGlyph(QPixmap(QStringLiteral(":/controls/BDATE")));

    setInputMask(m_format.masque());
    resize(105, height());
    setText(m_format.RecomposerDate(m_format.DecouperDate(m_format.ecrire(QDate::currentDate()))));
    setAfficheFleche(true);
    setAfficheCalend(true);
    setAlignment(Qt::AlignHCenter);
}

void TSaisieDate::EcrireDate(double date)
{
    if (DateValue::isNone(date)) {
        setText(QString());
        return;
    }
    ecrireJour(DateValue::toDate(date));
}

double TSaisieDate::LireDate() const
{
    // Days before 30 December 1899 have no value distinct from "no date".
    const double date = DateValue::fromDate(m_format.lire(displayText()));
    return DateValue::isNone(date) ? DateValue::None : date;
}

void TSaisieDate::ecrireJour(const QDate &jour)
{
    setText(m_format.RecomposerDate(m_format.DecouperDate(m_format.ecrire(jour))));
}

void TSaisieDate::JourSuivant()
{
    pas(1);
}

void TSaisieDate::JourPrecedent()
{
    pas(-1);
}

void TSaisieDate::pas(int jours)
{
    if (isReadOnly())
        return;
    setFocus(Qt::OtherFocusReason);
    QDate jour = m_format.lire(displayText());
    if (!jour.isValid()) {
        jour = QDate::currentDate();
        ecrireJour(jour);
    }
    const QDate suivant = jour.addDays(jours);
    // Beyond the years the field can show, the day stays as it is.
    if (suivant.year() >= 1 && suivant.year() <= 9999)
        ecrireJour(suivant);
}

void TSaisieDate::OuvrirCalendrier()
{
    if (isReadOnly())
        return;
    setFocus(Qt::OtherFocusReason);
    if (!isEnabled())
        return;
    QDate depart = m_format.lire(displayText());
    if (!depart.isValid())
        depart = QDate::currentDate();
    double date = DateValue::fromDate(depart);

    const QSize taille = TforCalendrier().size();
    const QRect champ(mapToGlobal(QPoint(0, 0)), size());
    const QScreen *ecranChamp = screen();
    const QRect ecran = ecranChamp ? ecranChamp->geometry() : QRect(0, 0, 1 << 20, 1 << 20);
    const QPoint position = positionCalendrier(champ, ecran, taille);
    ChoisirDateCalendrier(position.y(), position.x(), date, this);
    if (!DateValue::isNone(date))
        EcrireDate(date);
    selectAll();
}

QPoint TSaisieDate::positionCalendrier(const QRect &champ, const QRect &ecran, const QSize &calendrier)
{
    const int hauteur = calendrier.height() + MargeHaute;
    const int retrait = calendrier.width() - RetraitGauche;
    int top = champ.y() + champ.height();
    if (ecran.y() + ecran.height() < top + hauteur)
        top = champ.y() - hauteur;
    int left = champ.x() + champ.width() - retrait;
    if (left < ecran.x())
        left = champ.x();
    return {left, top};
}

void TSaisieDate::setAfficheFleche(bool affiche)
{
    m_afficheFleche = affiche;
    setLargeurBouton(affiche ? 35 : 25);
}

void TSaisieDate::setAfficheCalend(bool affiche)
{
    setAfficheBouton(affiche);
}

void TSaisieDate::disposer()
{
    // From the right: the calendar button, then the arrows; the text stops before both.
    const bool calend = AfficheBouton();
    const int largeurCalend = calend ? LargeurBouton() - (m_afficheFleche ? LargeurFleches : 0) : 0;
    const int largeurFleches = m_afficheFleche ? LargeurFleches : 0;
    bouton()->setVisible(calend);
    if (calend)
        bouton()->setGeometry(width() - largeurCalend - 1, 1, largeurCalend, height() - 2);
    if (m_fleches) {
        m_fleches->setVisible(m_afficheFleche);
        m_fleches->setGeometry(width() - largeurCalend - largeurFleches - 1, 1, largeurFleches,
                               height() - 2);
    }
    const int droite = largeurCalend + largeurFleches;
    setTextMargins(0, 0, droite > 0 ? droite : 2, 0);
}

void TSaisieDate::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        if (event->key() == Qt::Key_Up) {
            JourSuivant();
            event->accept();
            return;
        }
        if (event->key() == Qt::Key_Down) {
            JourPrecedent();
            event->accept();
            return;
        }
    }
    TCustomSaisieBouton::keyPressEvent(event);
}

void TSaisieDate::actionBouton()
{
    OuvrirCalendrier();
}

void TSaisieDate::quitter()
{
    QString texte = displayText();
    texte.remove(QLatin1Char(' '));
    if (!m_format.lire(texte).isValid())
        setText(QString());
    else
        setText(m_format.RecomposerDate(m_format.DecouperDate(texte)));
    TCustomSaisieBouton::quitter();
}
