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
    throw LumaroError(QStringLiteral("Procédure %1.Copier(Source: TInfo) non implémentée.").arg(className()));
}

QString TInfo::AsString() const
{
    return QStringLiteral("Fonction %1.AsString non implémentée.").arg(className());
}

QString TInfo::className() const
{
    return demangled(typeid(*this));
}

// --- TListe ------------------------------------------------------------------------------------

TListe::~TListe()
{
    Vider();
}

TInfo &TListe::AjouterElement(std::unique_ptr<TInfo> item, const QString &givenKey)
{
    if (!item)
        throw std::invalid_argument("TListe::AjouterElement: null item");
    QString key = givenKey.isEmpty() ? item->Cle() : givenKey;
    m_entries.push_back(Entry{std::move(key), std::move(item)});
    return *m_entries.back().item;
}

const TListe::Entry &TListe::entry(int index) const
{
    if (index < 0 || index >= Count())
        throw std::out_of_range("TListe: index out of range");
    return m_entries[size_t(index)];
}

TInfo &TListe::Items(int index)
{
    return *entry(index).item;
}

const TInfo &TListe::Items(int index) const
{
    return *entry(index).item;
}

const QString &TListe::Cle(int index) const
{
    return entry(index).key;
}

int TListe::indexOf(const QString &key) const
{
    for (int i = 0; i < Count(); ++i)
        if (m_entries[size_t(i)].key.compare(key, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

TInfo *TListe::Chercher(const QString &key)
{
    const int index = indexOf(key);
    return index < 0 ? nullptr : m_entries[size_t(index)].item.get();
}

const TInfo *TListe::Chercher(const QString &key) const
{
    const int index = indexOf(key);
    return index < 0 ? nullptr : m_entries[size_t(index)].item.get();
}

void TListe::Vider()
{
    for (Entry &e : m_entries)
        e.item.reset();
    m_entries.clear();
}

bool TListe::APermuter(int, int)
{
    throw LumaroError(
        QStringLiteral("Fonction %1.APermuter(Index1, Index2: Word): Boolean non implementée.").arg(className()));
}

void TListe::swap(int index1, int index2)
{
    entry(index1);
    entry(index2);
    std::swap(m_entries[size_t(index1)], m_entries[size_t(index2)]);
}

QStringList TListe::lines() const
{
    QStringList lines;
    lines.reserve(Count());
    for (const Entry &e : m_entries)
        lines.append(e.item->AsString());
    return lines;
}

void TListe::saveToFile(const QString &fileName) const
{
    if (!FileReplacement::writeWhole(fileName, TextFile::joinCrlf(lines())))
        throw LumaroError(QStringLiteral("Impossible d'écrire dans %1").arg(fileName));
}

QString TListe::className() const
{
    return demangled(typeid(*this));
}
