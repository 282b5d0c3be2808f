#include "controls/grid/touchesautorisees.h"

std::optional<TouchesAutorisees> TouchesAutorisees::lire(const QString &texte)
{
    TouchesAutorisees filtre;
    const qsizetype n = texte.size();
    qsizetype i = 0;
    while (i < n) {
        const char16_t premier = texte.at(i).unicode();
        char16_t dernier = premier;
        if (i + 3 < n && texte.at(i + 1) == u'.' && texte.at(i + 2) == u'.') {
            dernier = texte.at(i + 3).unicode();
            if (dernier < premier)
                return std::nullopt;
            i += 4;
        } else {
            i += 1;
        }
        filtre.m_plages.emplace_back(premier, dernier);
        if (i == n)
            return filtre;
        // After an item comes a separator and another item, never the end of the text.
        if (texte.at(i) != u';' || i + 1 == n)
            return std::nullopt;
        ++i;
    }
    return filtre;
}

bool TouchesAutorisees::accepte(QChar caractere) const
{
    if (m_plages.empty())
        return true;
    const char16_t c = caractere.unicode();
    for (const auto &[premier, dernier] : m_plages)
        if (c >= premier && c <= dernier)
            return true;
    return false;
}

QString TouchesAutorisees::messageErreur()
{
    return QStringLiteral("Il y a une erreur dans la chaine saisie.\n"
                          "Le format est : \n"
                          " - Chaque caractère doit être séparé par un ;\n"
                          " - Les plages de caractères sont définie avec CarDebut..CarFin (ex A..L).");
}
