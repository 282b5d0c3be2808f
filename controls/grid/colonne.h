#pragma once
// Column definitions of the extended grid: each says how wide its column is, what its title
// reads, how its cells are drawn, what may be typed into them and in which style they show
// (text, button, image or drop-down list). Definition i describes grid column i.
#include "controls/grid/imagelist.h"
#include "controls/grid/touchesautorisees.h"

#include <QColor>
#include <QFont>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class TColonne;
class TExtendedGrid;
class TExtendedGridColonnes;

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TStyleCellule { scStandard, scBouton, scImage, scCombo };
enum TFormatCellule { fcChaine, fcNombre, fcNombreDecimal, fcDate, fcHeure };

// A part of a definition that tells its definition when it changes. Copying a part copies its
// values only: the copy belongs to no definition until one takes it.
class PartieColonne {
public:
    PartieColonne() = default;
    PartieColonne(const PartieColonne &) {}
    PartieColonne &operator=(const PartieColonne &) { return *this; }

protected:
    ~PartieColonne() = default;
    void modifiee();

private:
    friend class TColonne;
    TColonne *m_colonne = nullptr;
};

// The title shown in the fixed rows; an empty caption leaves the cell's own text there.
class TTitreColonne : public PartieColonne {
public:
    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption);
    TAlignment Alignment() const { return m_alignment; }
    void setAlignment(TAlignment alignement);
    QFont Font() const { return m_font; }
    void setFont(const QFont &police);
    // The colour of the title's text.
    QColor FontColor() const { return m_fontColor; }
    void setFontColor(const QColor &couleur);

private:
    friend class TExtendedGridColonnes;
    QString m_caption;
    TAlignment m_alignment = taLeftJustify;
    QFont m_font;
    QColor m_fontColor = Qt::black;
};

// How the cells of a column are drawn. A definition added to a grid takes the grid's colours
// and font.
class TAffichageCellule : public PartieColonne {
public:
    TAlignment Alignment() const { return m_alignment; }
    void setAlignment(TAlignment alignement);
    // The background of the cells that are not selected.
    QColor Color() const { return m_color; }
    void setColor(const QColor &couleur);
    QFont Font() const { return m_font; }
    void setFont(const QFont &police);
    QColor FontColor() const { return m_fontColor; }
    void setFontColor(const QColor &couleur);
    // The pattern the text is shown through, after the input format (see masqueaffichage.h);
    // empty shows the text as it stands.
    QString MaskAffichage() const { return m_maskAffichage; }
    void setMaskAffichage(const QString &masque);

private:
    friend class TExtendedGridColonnes;
    TAlignment m_alignment = taLeftJustify;
    QColor m_color = Qt::white;
    QFont m_font;
    QColor m_fontColor = Qt::black;
    QString m_maskAffichage;
};

// What may be typed into the cells of a column and how the typed value is checked.
class TSaisieCellule : public PartieColonne {
public:
    // A new format with no key filter of its own (none, or the one the previous format set)
    // sets the format's filter: digits for numbers, digits and both decimal marks for decimals,
    // digits and the locale's separator for dates and times, which are also 10 and 5 long.
    TFormatCellule Format() const { return m_format; }
    void setFormat(TFormatCellule format);
    static QString filtreParDefaut(TFormatCellule format);
    // The locale's separators of dates and times.
    static QChar separateurDate();
    static QChar separateurHeure();

    // The characters that may be typed ("A..L;0..9"); empty lets all through. A text that
    // breaks the syntax is refused with a message and the filter stays as it was.
    QString FiltreTouche() const { return m_filtreTouche; }
    bool setFiltreTouche(const QString &filtre);
    const TouchesAutorisees &touches() const { return m_touches; }

    // For the two number formats: allows the minus sign, at the start of the value.
    bool AutoriseSigne() const { return m_autoriseSigne; }
    void setAutoriseSigne(bool autorise);

    // The longest value that may be typed, 0 for no limit; a date is 10 long and a time 5. A
    // decimal value holds NbDecimal decimals, the separator and at least one digit before it,
    // so a length that leaves no room for them is refused with a message (as is a number of
    // decimals that would no longer fit in the length).
    int MaxLength() const { return m_maxLength; }
    bool setMaxLength(int longueur);
    int NbDecimal() const { return m_nbDecimal; }
    bool setNbDecimal(int nombre);
    // The digits allowed before the decimal separator; -1 for no limit.
    int chiffresAvantVirgule() const;

    // Range of the number formats, checked when the value is entered; none while ValeurMin is
    // not below ValeurMax (both 0 at first).
    double ValeurMin() const { return m_valeurMin; }
    void setValeurMin(double valeur);
    double ValeurMax() const { return m_valeurMax; }
    void setValeurMax(double valeur);
    bool avecPlage() const { return m_valeurMin < m_valeurMax; }

    // A read-only cell may be selected but opens no editor.
    bool ReadOnly() const { return m_readOnly; }
    void setReadOnly(bool lectureSeule);
    // The editor's background; an invalid colour leaves the usual one.
    QColor EditColor() const { return m_editColor; }
    void setEditColor(const QColor &couleur);
    // An input mask for the editor, in QLineEdit's mask language ("99/99/9999;_").
    QString EditMask() const { return m_editMask; }
    void setEditMask(const QString &masque);

    // Drop-down cells: the rows the open list shows at most, and the choices.
    int NbLigneCombo() const { return m_nbLigneCombo; }
    void setNbLigneCombo(int lignes);
    QStringList ValeurCombo() const { return m_valeurCombo; }
    void setValeurCombo(const QStringList &valeurs);

    static QString messageMaxLength();

private:
    bool estNombre() const { return m_format == fcNombre || m_format == fcNombreDecimal; }
    void changerFiltre(const QString &filtre); // a filter known to be well formed
    void appliquerSigne();

    TFormatCellule m_format = fcChaine;
    QString m_filtreTouche;
    TouchesAutorisees m_touches;
    bool m_autoriseSigne = false;
    int m_maxLength = 0;
    int m_nbDecimal = 2;
    double m_valeurMin = 0.0;
    double m_valeurMax = 0.0;
    bool m_readOnly = false;
    QColor m_editColor;
    QString m_editMask;
    int m_nbLigneCombo = 8;
    QStringList m_valeurCombo;
};

class TColonne {
public:
    // A definition outside any grid: 64 pixels wide, black text on white.
    TColonne();
    TColonne(const TColonne &autre);
    // Copies every property, the events and the combo choices; the definition keeps its place.
    TColonne &operator=(const TColonne &autre);
    ~TColonne() = default;

    QString Name() const { return m_name; }
    void setName(const QString &nom);
    // The name, or the kind of item when it has none.
    QString DisplayName() const;

    // Setting the width sets the grid column's width at once.
    int Largeur() const { return m_largeur; }
    void setLargeur(int largeur);

    TTitreColonne &Titre() { return m_titre; }
    const TTitreColonne &Titre() const { return m_titre; }
    TAffichageCellule &Affichage() { return m_affichage; }
    const TAffichageCellule &Affichage() const { return m_affichage; }
    TSaisieCellule &Saisie() { return m_saisie; }
    const TSaisieCellule &Saisie() const { return m_saisie; }

    TStyleCellule Style() const { return m_style; }
    void setStyle(TStyleCellule style);
    // Whether the cursor may stop on (select) the column's cells.
    bool ArretCellule() const { return m_arretCellule; }
    void setArretCellule(bool arret);

    // Image cells show picture IndexImage of Images; button cells show picture
    // IndexImageBouton of the grid's ImagesBouton (or an ellipsis without one).
    TImageList *Images() const { return m_images; }
    void setImages(TImageList *images);
    int IndexImage() const { return m_indexImage; }
    void setIndexImage(int index);
    int IndexImageBouton() const { return m_indexImageBouton; }
    void setIndexImageBouton(int index);
    int HauteurBouton() const { return m_hauteurBouton; }
    void setHauteurBouton(int hauteur);
    int LargeurBouton() const { return m_largeurBouton; }
    void setLargeurBouton(int largeur);

    // The button of a button cell was pressed (before the grid's boutonClick signal).
    std::function<void(TExtendedGrid *sender, int colonne, int ligne)> OnBoutonClick;
    // Chooses the picture of an image cell; receives IndexImage.
    std::function<void(TExtendedGrid *sender, int colonne, int ligne, int &indexImage)> OnGetIndexImage;

    // Place in its collection; -1 outside one.
    int Index() const;
    TExtendedGridColonnes *Collection() const { return m_collection; }

    // The cell text as the display pattern shows it for the input format.
    QString texteAffiche(const QString &texte) const;

private:
    friend class PartieColonne;
    friend class TExtendedGrid;
    friend class TExtendedGridColonnes;
    void relier();
    void modifiee(bool largeur = false);

    TExtendedGridColonnes *m_collection = nullptr;
    QString m_name;
    int m_largeur = 64;
    TTitreColonne m_titre;
    TAffichageCellule m_affichage;
    TSaisieCellule m_saisie;
    TStyleCellule m_style = scStandard;
    bool m_arretCellule = true;
    QPointer<TImageList> m_images;
    int m_indexImage = -1;
    int m_indexImageBouton = -1;
    int m_hauteurBouton;
    int m_largeurBouton;
};

// What a collection tells the grid that owns it.
class ObservateurColonnes {
public:
    struct Defauts {
        int largeur;
        QColor couleur;
        QFont police;
        QColor couleurTexte;
    };
    virtual Defauts defautsColonne() const = 0;
    // A definition changed; its width too when largeur is set.
    virtual void colonneModifiee(int index, bool largeur) = 0;
    // Definitions were added, removed or replaced.
    virtual void colonnesModifiees() = 0;

protected:
    ~ObservateurColonnes() = default;
};

// The definitions of a grid's columns. A copy holds copies of the definitions and belongs to
// no grid; assigning a collection copies its definitions into the ones in place (references
// to them stay valid), adding or removing the difference.
class TExtendedGridColonnes {
public:
    TExtendedGridColonnes() = default;
    TExtendedGridColonnes(const TExtendedGridColonnes &autre);
    TExtendedGridColonnes &operator=(const TExtendedGridColonnes &autre);
    ~TExtendedGridColonnes() = default;

    // A new definition at the end; in a grid it takes the grid's width, colours and font.
    TColonne &Add();
    int Count() const { return int(m_items.size()); }
    // Throws std::out_of_range for an index outside the collection.
    TColonne &Items(int index) { return *m_items.at(size_t(index)); }
    const TColonne &Items(int index) const { return *m_items.at(size_t(index)); }
    TColonne &operator[](int index) { return Items(index); }
    const TColonne &operator[](int index) const { return Items(index); }
    void Delete(int index);
    void Clear();

private:
    friend class TColonne;
    friend class TExtendedGrid;
    explicit TExtendedGridColonnes(ObservateurColonnes *observateur);
    int indexDe(const TColonne *colonne) const;

    ObservateurColonnes *m_observateur = nullptr;
    std::vector<std::unique_ptr<TColonne>> m_items;
};
