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
    QString NomClasse() const;
};

class TListe {
public:
    virtual ~TListe();
    TListe(const TListe &) = delete;
    TListe &operator=(const TListe &) = delete;

    // Creates a list of class L. TListe itself cannot be used directly: asking for it throws
    // LumaroError "Impossible d'instancier directement le type TListe.".
    template <class L>
    static std::unique_ptr<L> Creer()
    {
        static_assert(std::is_base_of_v<TListe, L>);
        if constexpr (std::is_same_v<L, TListe>)
            throw LumaroError(QStringLiteral("Impossible d'instancier directement le type TListe."));
        else
            return std::make_unique<L>();
    }

    // Appends the item under the key (the item's Cle when the key is empty); the list owns the
    // item from then on. Returns the item. A null item is refused (std::invalid_argument).
    TInfo &AjouterElement(std::unique_ptr<TInfo> item, const QString &cle = QString());

    int Count() const { return int(m_entrees.size()); }
    bool isEmpty() const { return m_entrees.empty(); }
    // The item and the key at a zero-based index; std::out_of_range outside the list.
    TInfo &Items(int index);
    const TInfo &Items(int index) const;
    const QString &Cle(int index) const;

    // The item of the first entry whose key equals the text, letter case ignored; null if none.
    TInfo *Chercher(const QString &cle);
    const TInfo *Chercher(const QString &cle) const;
    // Index of that entry, or -1.
    int IndexDe(const QString &cle) const;

    // Frees every item, in index order, and empties the list.
    void Vider();

    // Whether the two entries are to be exchanged; a descendant that sorts supplies it. The base
    // throws LumaroError "Fonction <class>.APermuter(Index1, Index2: Word): Boolean non implementée.".
    virtual bool APermuter(int index1, int index2);
    // Exchanges two entries (keys and items).
    void Permuter(int index1, int index2);

    // Every item's AsString, in list order.
    QStringList Lignes() const;
    // Writes Lignes to the file, each line followed by CR LF (the last one too), UTF-8, through
    // a temporary file renamed over the target. Throws LumaroError "Impossible d'écrire dans <path>".
    void EnregistrerDansFichier(const QString &nomFichier) const;

    QString NomClasse() const;

protected:
    TListe() = default;

private:
    struct Entree {
        QString cle;
        std::unique_ptr<TInfo> item;
    };
    const Entree &entree(int index) const;

    std::vector<Entree> m_entrees;
};
