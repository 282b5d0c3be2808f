#include "controls/grid/allowedkeys.h"

std::optional<AllowedKeys> AllowedKeys::read(const QString &content)
{
    AllowedKeys filter;
    const qsizetype n = content.size();
    qsizetype i = 0;
    while (i < n) {
        const char16_t first = content.at(i).unicode();
        char16_t last = first;
        if (i + 3 < n && content.at(i + 1) == u'.' && content.at(i + 2) == u'.') {
            last = content.at(i + 3).unicode();
            if (last < first)
                return std::nullopt;
            i += 4;
        } else {
            i += 1;
        }
        filter.m_ranges.emplace_back(first, last);
        if (i == n)
            return filter;
        // After an item comes a separator and another item, never the end of the text.
        if (content.at(i) != u';' || i + 1 == n)
            return std::nullopt;
        ++i;
    }
    return filter;
}

bool AllowedKeys::accepts(QChar character) const
{
    if (m_ranges.empty())
        return true;
    const char16_t c = character.unicode();
    for (const auto &[first, last] : m_ranges)
        if (c >= first && c <= last)
            return true;
    return false;
}

QString AllowedKeys::errorMessage()
{
    return QStringLiteral("Il y a une erreur dans la chaine saisie.\n"
                          "Le format est : \n"
                          " - Chaque caractère doit être séparé par un ;\n"
                          " - Les plages de caractères sont définie avec CarDebut..CarFin (ex A..L).");
}
