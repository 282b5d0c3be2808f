#include "controls/saisieheure.h"

#include "controls/flechehautbas.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QTime>

#include <cmath>

namespace {
constexpr int LargeurFleches = 15;

QString deuxChiffres(int valeur)
{
    return QStringLiteral("%1").arg(valeur, 2, 10, QLatin1Char('0'));
}

QString sansBlancs(QString texte)
{
    return texte.remove(QLatin1Char(' '));
}

bool nombre(const QString &texte, int &valeur)
{
    if (texte.isEmpty() || texte.size() > 2)
        return false;
    for (const QChar c : texte)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    valeur = texte.toInt();
    return true;
}

// A field without blanks, an empty one replaced by its last valid value, padded to two digits.
QString rangerChamp(const QString &champ, const QString &valide)
{
    QString propre = sansBlancs(champ);
    if (propre.isEmpty())
        propre = valide;
    if (propre.size() == 1)
        propre.prepend(QLatin1Char('0'));
    return propre;
}
} // namespace

bool TSaisieHeure::formatLocale24(const QLocale &locale)
{
    return !locale.timeFormat(QLocale::ShortFormat).contains(QLatin1Char('a'), Qt::CaseInsensitive);
}

TSaisieHeure::TSaisieHeure(QWidget *parent)
    : QLineEdit(parent)
    , m_fleches(new TFlecheHautBas(this))
{
    m_fleches->setObjectName(QStringLiteral("udHeure"));
    m_fleches->resize(LargeurFleches, 25);
    connect(m_fleches, &TFlecheHautBas::haut, this, [this] {
        setFocus(Qt::OtherFocusReason);
        PasHaut();
    });
    connect(m_fleches, &TFlecheHautBas::bas, this, [this] {
        setFocus(Qt::OtherFocusReason);
        PasBas();
    });
    resize(89, 25);

    const QLocale locale;
    const QString format = locale.timeFormat(QLocale::ShortFormat);
    for (const QChar c : format)
        if (!c.isLetter() && !c.isSpace() && c != QLatin1Char('\'')) {
            m_separateur = c;
            break;
        }
    m_format24 = formatLocale24(locale);

    const QTime maintenant = QTime::currentTime();
    int heures = maintenant.hour();
    m_apresMidi = heures >= 13;
    if (!m_format24) {
        if (heures == 0) {
            heures = 12;
            m_apresMidi = true;
        } else if (heures > 12) {
            heures -= 12;
        }
    }
    m_heures = deuxChiffres(heures);
    m_minutes = deuxChiffres(maintenant.minute());
    m_heuresValides = m_heures;
    m_minutesValides = m_minutes;
    appliquerMasque();
    AfficherHeure();

    connect(this, &QLineEdit::textChanged, this, &TSaisieHeure::surChangement);
    setMinimumHeight(4 + qMin(QFontMetrics(QApplication::font()).height(), fontMetrics().height()) / 4
                     + fontMetrics().height() + 2);
    setAfficheFleche(true);
}

void TSaisieHeure::appliquerMasque()
{
    // A new mask rewrites the text: that is no change of the user's.
    const bool garde = m_dansControle;
    m_dansControle = true;
    const QString base = QStringLiteral("00\\") + m_separateur + QStringLiteral("00");
    if (m_format24)
        setInputMask(base + QStringLiteral("; "));
    else
        setInputMask(base + (m_apresMidi ? QStringLiteral(" \\P\\M; ") : QStringLiteral(" \\A\\M; ")));
    m_dansControle = garde;
}

void TSaisieHeure::Decouper()
{
    const QString texte = displayText();
    m_heures = texte.mid(0, 2);
    m_minutes = texte.mid(3, 2);
}

void TSaisieHeure::AfficherHeure()
{
    const bool garde = m_dansControle;
    m_dansControle = true;
    const int curseur = cursorPosition();
    if (!m_format24)
        appliquerMasque();
    setText(m_heures + m_separateur + m_minutes);
    setCursorPosition(curseur);
    m_dansControle = garde;
}

void TSaisieHeure::ControlerHeures()
{
    const QString heures = sansBlancs(m_heures);
    if (heures.isEmpty())
        return;
    int valeur = -1;
    const bool valide = nombre(heures, valeur)
                        && (m_format24 ? valeur <= 23 : (valeur >= 1 && valeur <= 12));
    if (valide) {
        m_heuresValides = m_heures;
        m_minutesValides = m_minutes;
    } else {
        m_heures = m_heuresValides;
        AfficherHeure();
    }
}

void TSaisieHeure::ControlerMinutes()
{
    const QString minutes = sansBlancs(m_minutes);
    if (minutes.isEmpty())
        return;
    int valeur = -1;
    if (nombre(minutes, valeur) && valeur <= 59) {
        m_heuresValides = m_heures;
        m_minutesValides = m_minutes;
    } else {
        m_minutes = m_minutesValides;
        AfficherHeure();
    }
}

void TSaisieHeure::surChangement()
{
    if (m_dansControle)
        return;
    m_dansControle = true;
    Decouper();
    if (m_positionFrappe == 1)
        ControlerHeures();
    else if (m_positionFrappe == 4)
        ControlerMinutes();
    m_positionFrappe = -1;
    m_dansControle = false;
    emit change();
}

void TSaisieHeure::keyPressEvent(QKeyEvent *event)
{
    const QString texte = event->text();
    if (texte == QLatin1String("/")) {
        ChangerFormat24(!m_format24);
        event->accept();
        return;
    }
    if (texte == QLatin1String("+")) {
        if (!m_format24) {
            Decouper();
            m_apresMidi = !m_apresMidi;
        }
        appliquerMasque();
        AfficherHeure();
        event->accept();
        return;
    }
    const int curseur = cursorPosition();
    switch (event->key()) {
    case Qt::Key_Backspace:
        if (curseur == 0 || curseur >= 6) {
            QApplication::beep();
        } else {
            QString affiche = displayText();
            if (affiche.at(curseur - 1).isDigit()) {
                affiche[curseur - 1] = QLatin1Char(' ');
                setText(affiche);
            }
            setCursorPosition(curseur - 1);
        }
        event->accept();
        return;
    case Qt::Key_Right:
        Decouper();
        if (curseur == 1)
            ControlerHeures();
        else if (curseur == 4)
            ControlerMinutes();
        break;
    case Qt::Key_Left:
        Decouper();
        if (curseur == 3)
            ControlerMinutes();
        break;
    case Qt::Key_Up:
        PasHaut();
        event->accept();
        return;
    case Qt::Key_Down:
        PasBas();
        event->accept();
        return;
    default:
        break;
    }
    if (!texte.isEmpty() && texte.at(0).isDigit()) {
        // A digit replaces the selection from its start; the mask skips the separator, so a
        // digit typed on it lands in the minutes.
        const int position = hasSelectedText() ? selectionStart() : curseur;
        m_positionFrappe = position == 2 ? 3 : position;
    }
    QLineEdit::keyPressEvent(event);
    m_positionFrappe = -1;
}

void TSaisieHeure::ChangerFormat24(bool format24)
{
    Decouper();
    if (format24 == m_format24)
        return;
    m_format24 = format24;
    ranger();
    int heures = m_heures.toInt();
    if (!format24) {
        m_apresMidi = heures > 12 || heures == 0;
        if (heures == 0)
            heures = 12;
        else if (heures > 12)
            heures -= 12;
    } else if (m_apresMidi) {
        if (heures == 12) {
            heures = 0;
            m_apresMidi = false;
        } else {
            heures += 12;
        }
    }
    m_heures = deuxChiffres(heures);
    appliquerMasque();
    AfficherHeure();
}

void TSaisieHeure::ranger()
{
    m_heures = rangerChamp(m_heures, m_heuresValides);
    m_minutes = rangerChamp(m_minutes, m_minutesValides);
}

void TSaisieHeure::PasHaut()
{
    pas(1);
}

void TSaisieHeure::PasBas()
{
    pas(-1);
}

void TSaisieHeure::pas(int sens)
{
    Decouper();
    ranger();
    // After a step the field stepped is selected: its start is where the caret stands. The
    // masked edit never leaves the caret on the separator (position 2), so every step moves
    // either the hours or the minutes.
    const int curseur = hasSelectedText() ? selectionStart() : cursorPosition();
    if (curseur < 2) {
        int heures = m_heures.toInt();
        if (m_format24) {
            heures = sens > 0 ? (heures >= 23 ? 0 : heures + 1) : (heures <= 0 ? 23 : heures - 1);
            m_apresMidi = heures >= 13;
        } else if (sens > 0) {
            if (heures >= 12) {
                heures = 1;
                m_apresMidi = !m_apresMidi;
            } else {
                ++heures;
            }
        } else if (heures <= 1) {
            heures = 12;
            m_apresMidi = !m_apresMidi;
        } else {
            --heures;
        }
        m_heures = deuxChiffres(heures);
    } else if (curseur <= 5) {
        int minutes = m_minutes.toInt();
        minutes = sens > 0 ? (minutes >= 59 ? 0 : minutes + 1) : (minutes <= 0 ? 59 : minutes - 1);
        m_minutes = deuxChiffres(minutes);
    }
    m_heuresValides = m_heures;
    m_minutesValides = m_minutes;
    AfficherHeure();
    if (curseur < 2)
        setSelection(0, 2);
    else if (curseur > 2 && curseur <= 5)
        setSelection(3, 2);
}

bool TSaisieHeure::lireTexte(const QString &texte, int &heures, int &minutes) const
{
    QString propre = sansBlancs(texte).toUpper();
    int marqueur = 0; // 1 morning, 2 afternoon
    if (propre.endsWith(QLatin1String("AM")))
        marqueur = 1;
    else if (propre.endsWith(QLatin1String("PM")))
        marqueur = 2;
    if (marqueur)
        propre.chop(2);
    const QStringList champs = propre.split(m_separateur);
    if (champs.size() != 2 || !nombre(champs.at(0), heures) || !nombre(champs.at(1), minutes))
        return false;
    if (minutes > 59 || heures > 23)
        return false;
    if (marqueur) {
        if (heures < 1 || heures > 12)
            return false;
        // The control's own reading of the marker, the one its stepping follows: twelve in
        // the morning is noon, twelve in the afternoon midnight.
        if (heures == 12)
            heures = marqueur == 1 ? 12 : 0;
        else if (marqueur == 2)
            heures += 12;
    }
    return true;
}

double TSaisieHeure::LireHeure() const
{
    int heures = 0;
    int minutes = 0;
    if (!lireTexte(displayText(), heures, minutes))
        return 0.0;
    return (heures * 60 + minutes) / 1440.0;
}

void TSaisieHeure::EcrireHeure(double heure)
{
    const double fraction = heure - std::floor(heure);
    int total = int(std::llround(fraction * 1440.0));
    if (total >= 1440)
        total = 1439;
    int heures = total / 60;
    if (!m_format24) {
        m_apresMidi = heures >= 13 || heures == 0;
        if (heures == 0)
            heures = 12;
        else if (heures > 12)
            heures -= 12;
    }
    m_heures = deuxChiffres(heures);
    m_minutes = deuxChiffres(total % 60);
    m_heuresValides = m_heures;
    m_minutesValides = m_minutes;
    AfficherHeure();
    emit change();
}

void TSaisieHeure::focusOutEvent(QFocusEvent *event)
{
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) {
        Decouper();
        int heures = 0;
        int minutes = 0;
        if (lireTexte(displayText(), heures, minutes)) {
            m_heures = sansBlancs(m_heures).rightJustified(2, QLatin1Char('0'));
            m_minutes = sansBlancs(m_minutes).rightJustified(2, QLatin1Char('0'));
            AfficherHeure();
        } else {
            setText(QString());
        }
    }
    QLineEdit::focusOutEvent(event);
}

void TSaisieHeure::setAfficheFleche(bool affiche)
{
    m_afficheFleche = affiche;
    resize(affiche ? 55 : 50, height());
    updateGeometry();
    disposer();
}

QSize TSaisieHeure::sizeHint() const
{
    const int texte = fontMetrics().horizontalAdvance(displayText() + QLatin1Char(' ')) + 10;
    const int fleches = m_afficheFleche ? LargeurFleches : 0;
    const int largeur = qMax(m_afficheFleche ? 55 : 50, texte + fleches);
    return {largeur, qMax(minimumHeight(), QLineEdit::sizeHint().height())};
}

QSize TSaisieHeure::minimumSizeHint() const
{
    return sizeHint();
}

void TSaisieHeure::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    disposer();
}

void TSaisieHeure::changeEvent(QEvent *event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        QPalette p = palette();
        p.setColor(QPalette::Disabled, QPalette::Text, QApplication::palette(this).color(QPalette::Disabled, QPalette::Mid));
        setPalette(p);
    }
}

void TSaisieHeure::disposer()
{
    m_fleches->setVisible(m_afficheFleche);
    if (m_afficheFleche) {
        m_fleches->setGeometry(width() - LargeurFleches - 1, 1, LargeurFleches, height() - 3);
        setTextMargins(0, 0, LargeurFleches + 2, 0);
    } else {
        setTextMargins(0, 0, 2, 0);
    }
}
