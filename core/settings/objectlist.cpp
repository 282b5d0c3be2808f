#include "core/settings/objectlist.h"

#include "core/files/filereplacement.h"
#include "core/files/textfile.h"

#include <cxxabi.h>

#include <cstdlib>
#include <stdexcept>
#include <typeinfo>

namespace {

QString demangled(const std::type_info &type)
{
    int status = 0;
    char *name = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    const QString result = QString::fromLatin1(status == 0 && name ? name : type.name());
    std::free(name);
    return result;
}

} // namespace

// --- TInfo -------------------------------------------------------------------------------------

QString TInfo::Cle() const
{
    return {};
}

void TInfo::Copier(const TInfo &)
{
    throw LumaroError(QStringLiteral("Procédure %1.Copier(Source: TInfo) non implémentée.").arg(NomClasse()));
}

QString TInfo::AsString() const
{
    return QStringLiteral("Fonction %1.AsString non implémentée.").arg(NomClasse());
}

QString TInfo::NomClasse() const
{
    return demangled(typeid(*this));
}

// --- TListe ------------------------------------------------------------------------------------

TListe::~TListe()
{
    Vider();
}

TInfo &TListe::AjouterElement(std::unique_ptr<TInfo> item, const QString &cle)
{
    if (!item)
        throw std::invalid_argument("TListe::AjouterElement: null item");
    QString key = cle.isEmpty() ? item->Cle() : cle;
    m_entrees.push_back(Entree{std::move(key), std::move(item)});
    return *m_entrees.back().item;
}

const TListe::Entree &TListe::entree(int index) const
{
    if (index < 0 || index >= Count())
        throw std::out_of_range("TListe: index out of range");
    return m_entrees[size_t(index)];
}

TInfo &TListe::Items(int index)
{
    return *entree(index).item;
}

const TInfo &TListe::Items(int index) const
{
    return *entree(index).item;
}

const QString &TListe::Cle(int index) const
{
    return entree(index).cle;
}

int TListe::IndexDe(const QString &cle) const
{
    for (int i = 0; i < Count(); ++i)
        if (m_entrees[size_t(i)].cle.compare(cle, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

TInfo *TListe::Chercher(const QString &cle)
{
    const int index = IndexDe(cle);
    return index < 0 ? nullptr : m_entrees[size_t(index)].item.get();
}

const TInfo *TListe::Chercher(const QString &cle) const
{
    const int index = IndexDe(cle);
    return index < 0 ? nullptr : m_entrees[size_t(index)].item.get();
}

void TListe::Vider()
{
    for (Entree &e : m_entrees)
        e.item.reset();
    m_entrees.clear();
}

bool TListe::APermuter(int, int)
{
    throw LumaroError(
        QStringLiteral("Fonction %1.APermuter(Index1, Index2: Word): Boolean non implementée.").arg(NomClasse()));
}

void TListe::Permuter(int index1, int index2)
{
    entree(index1);
    entree(index2);
    std::swap(m_entrees[size_t(index1)], m_entrees[size_t(index2)]);
}

QStringList TListe::Lignes() const
{
    QStringList lines;
    lines.reserve(Count());
    for (const Entree &e : m_entrees)
        lines.append(e.item->AsString());
    return lines;
}

void TListe::EnregistrerDansFichier(const QString &nomFichier) const
{
    if (!FileReplacement::writeWhole(nomFichier, TextFile::joinCrlf(Lignes())))
        throw LumaroError(QStringLiteral("Impossible d'écrire dans %1").arg(nomFichier));
}

QString TListe::NomClasse() const
{
    return demangled(typeid(*this));
}
