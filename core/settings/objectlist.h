#pragma once
// Keyed lists of owned objects: TListe holds, in insertion order, a key text and one item per
// entry, and frees its items itself. The program derives its concrete lists (EXIF entries, grid
// rows) from these two bases; neither is meant to be used as it stands.
#include "core/error.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <type_traits>
#include <vector>

class TInfo {
public:
    TInfo() = default;
    virtual ~TInfo() = default;
    TInfo(const TInfo &) = delete;
    TInfo &operator=(const TInfo &) = delete;

    // A new item of class T made as a copy of the source (through T::Copier).
    template <class T>
    static std::unique_ptr<T> CreateCopie(const TInfo &source)
    {
        static_assert(std::is_base_of_v<TInfo, T>);
        auto copy = std::make_unique<T>();
        copy->Copier(source);
        return copy;
    }

    // The item's key text; empty unless a descendant says otherwise.
    virtual QString Cle() const;
    // Copies another item into this one. A descendant that allows copies supplies it; the base
    // throws LumaroError "Procédure <class>.Copier(Source: TInfo) non implémentée.".
    virtual void Copier(const TInfo &source);
    // The item as one line of text (what saving the list writes). The base returns the text
    // "Fonction <class>.AsString non implémentée." rather than failing.
    virtual QString AsString() const;

    // The name of the object's actual class, as the messages above show it.
    QString className() const;
};

class TListe {
public:
    virtual ~TListe();
    TListe(const TListe &) = delete;
    TListe &operator=(const TListe &) = delete;

    // Creates a list of class L. TListe itself cannot be used directly: asking for it throws
    // LumaroError "Impossible d'instancier directement le type TListe.".
    template <class L>
    static std::unique_ptr<L> create()
    {
        static_assert(std::is_base_of_v<TListe, L>);
        if constexpr (std::is_same_v<L, TListe>)
            throw LumaroError(QStringLiteral("Impossible d'instancier directement le type TListe."));
        else
            return std::make_unique<L>();
    }

    // Appends the item under the key (the item's Cle when the key is empty); the list owns the
    // item from then on. Returns the item. A null item is refused (std::invalid_argument).
    TInfo &AjouterElement(std::unique_ptr<TInfo> item, const QString &key = QString());

    int Count() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.empty(); }
    // The item and the key at a zero-based index; std::out_of_range outside the list.
    TInfo &Items(int index);
    const TInfo &Items(int index) const;
    const QString &Cle(int index) const;

    // The item of the first entry whose key equals the text, letter case ignored; null if none.
    TInfo *Chercher(const QString &key);
    const TInfo *Chercher(const QString &key) const;
    // Index of that entry, or -1.
    int indexOf(const QString &key) const;

    // Frees every item, in index order, and empties the list.
    void Vider();

    // Whether the two entries are to be exchanged; a descendant that sorts supplies it. The base
    // throws LumaroError "Fonction <class>.APermuter(Index1, Index2: Word): Boolean non implementée.".
    virtual bool APermuter(int index1, int index2);
    // Exchanges two entries (keys and items).
    void swap(int index1, int index2);

    // Every item's AsString, in list order.
    QStringList lines() const;
    // Writes Lignes to the file, each line followed by CR LF (the last one too), UTF-8, through
    // a temporary file renamed over the target. Throws LumaroError "Impossible d'écrire dans <path>".
    void saveToFile(const QString &fileName) const;

    QString className() const;

protected:
    TListe() = default;

private:
    struct Entry {
        QString key;
        std::unique_ptr<TInfo> item;
    };
    const Entry &entry(int index) const;

    std::vector<Entry> m_entries;
};
