#include "controls/parametressaisie.h"

#include "core/files/textfile.h"

#include <QLocale>

namespace {

// The Windows-1252 byte of a character, or -1 when the code page has none for it.
int octet1252(QChar caractere)
{
    bool complet = false;
    const QByteArray octets = TextFile::encodeWindows1252(QString(caractere), &complet);
    if (!complet || octets.size() != 1)
        return -1;
    return static_cast<unsigned char>(octets.at(0));
}

void ajouter(std::bitset<256> &ensemble, const QString &caracteres)
{
    for (const QChar c : caracteres) {
        const int octet = octet1252(c);
        if (octet >= 0)
            ensemble.set(size_t(octet));
    }
}

void ajouterIntervalle(std::bitset<256> &ensemble, int premier, int dernier)
{
    for (int i = premier; i <= dernier; ++i)
        ensemble.set(size_t(i));
}

} // namespace

ParametresSaisie::ParametresSaisie(const QString &parametres)
{
    const auto contient = [&](const char *mot) { return parametres.contains(QLatin1String(mot)); };

    if (contient("dfTout")) {
        ajouterIntervalle(m_autorises, 32, 255);
    } else {
        if (contient("dfLettreMaj"))
            ajouterIntervalle(m_autorises, 'A', 'Z');
        if (contient("dfLettreMin"))
            ajouterIntervalle(m_autorises, 'a', 'z');
        if (contient("dfLettreAcc"))
            for (int code : {224, 231, 232, 233, 234, 238, 249, 251})
                m_autorises.set(size_t(code));
        if (contient("dfEspace"))
            m_autorises.set(32);
        if (contient("dfNombre"))
            ajouterIntervalle(m_autorises, '0', '9');
        if (contient("dfCodeSpe"))
            for (int code : {33, 34, 35, 36, 37, 40, 41, 47})
                m_autorises.set(size_t(code));
        if (contient("dfSigne")) {
            m_autorises.set('+');
            m_autorises.set('-');
        }
        if (contient("dfSeparatDec"))
            ajouter(m_autorises, QLocale().decimalPoint());
        const qsizetype ouvrante = parametres.indexOf(QLatin1Char('{'));
        const qsizetype fermante = parametres.indexOf(QLatin1Char('}'));
        if (ouvrante >= 0 && fermante > ouvrante)
            ajouter(m_autorises, parametres.mid(ouvrante + 1, fermante - ouvrante - 1));
    }

    if (contient("CompleteDroite"))
        m_completion = Completion::Droite;
    else if (contient("CompleteGauche"))
        m_completion = Completion::Gauche;
    if (m_completion != Completion::Aucune) {
        const qsizetype mot = parametres.indexOf(QLatin1String("CompCar"));
        const qsizetype position = mot + 7;
        if (mot >= 0 && position < parametres.size())
            m_compCar = parametres.at(position);
    }
}

bool ParametresSaisie::accepte(QChar caractere) const
{
    if (caractere == QChar(8))
        return true;
    if (caractere.unicode() < 32)
        return false;
    const int octet = octet1252(caractere);
    return octet >= 0 && m_autorises.test(size_t(octet));
}

QString ParametresSaisie::completer(const QString &texte, int longueurMax) const
{
    if (m_completion == Completion::Aucune || longueurMax <= 0 || texte.isEmpty()
        || texte.size() >= longueurMax)
        return texte;
    const QString remplissage(longueurMax - texte.size(), m_compCar);
    if (m_completion == Completion::Droite)
        return texte + remplissage;
    const bool signe = texte.startsWith(QLatin1Char('+')) || texte.startsWith(QLatin1Char('-'));
    QString resultat = texte;
    resultat.insert(signe ? 1 : 0, remplissage);
    return resultat;
}
