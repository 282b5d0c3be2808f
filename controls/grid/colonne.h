#pragma once
// Column definitions of the extended grid: each says how wide its column is, what its title
// reads, how its cells are drawn, what may be typed into them and in which style they show
// (text, button, image or drop-down list). Definition i describes grid column i.
#include "controls/grid/imagelist.h"
#include "controls/grid/allowedkeys.h"

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
enum CellStyle { scStandard, scBouton, scImage, scCombo };
enum CellFormat { fcChaine, fcNombre, fcNombreDecimal, fcDate, fcHeure };

// A part of a definition that tells its definition when it changes. Copying a part copies its
// values only: the copy belongs to no definition until one takes it.
class ColumnPart {
public:
    ColumnPart() = default;
    ColumnPart(const ColumnPart &) {}
    ColumnPart &operator=(const ColumnPart &) { return *this; }

protected:
    ~ColumnPart() = default;
    void changed();

private:
    friend class TColonne;
    TColonne *m_column = nullptr;
};

// The title shown in the fixed rows; an empty caption leaves the cell's own text there.
class TTitreColonne : public ColumnPart {
public:
    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption);
    TAlignment Alignment() const { return m_alignment; }
    void setAlignment(TAlignment alignment);
    QFont Font() const { return m_font; }
    void setFont(const QFont &font);
    // The colour of the title's text.
    QColor FontColor() const { return m_fontColor; }
    void setFontColor(const QColor &colour);

private:
    friend class TExtendedGridColonnes;
    QString m_caption;
    TAlignment m_alignment = taLeftJustify;
    QFont m_font;
    QColor m_fontColor = Qt::black;
};

// How the cells of a column are drawn. A definition added to a grid takes the grid's colours
// and font.
class TAffichageCellule : public ColumnPart {
public:
    TAlignment Alignment() const { return m_alignment; }
    void setAlignment(TAlignment alignment);
    // The background of the cells that are not selected.
    QColor Color() const { return m_color; }
    void setColor(const QColor &colour);
    QFont Font() const { return m_font; }
    void setFont(const QFont &font);
    QColor FontColor() const { return m_fontColor; }
    void setFontColor(const QColor &colour);
    // The pattern the text is shown through, after the input format (see displaymask.h);
    // empty shows the text as it stands.
    QString MaskAffichage() const { return m_maskAffichage; }
    void setMaskAffichage(const QString &mask);

private:
    friend class TExtendedGridColonnes;
    TAlignment m_alignment = taLeftJustify;
    QColor m_color = Qt::white;
    QFont m_font;
    QColor m_fontColor = Qt::black;
    QString m_maskAffichage;
};

// What may be typed into the cells of a column and how the typed value is checked.
class TSaisieCellule : public ColumnPart {
public:
    // A new format with no key filter of its own (none, or the one the previous format set)
    // sets the format's filter: digits for numbers, digits and both decimal marks for decimals,
    // digits and the locale's separator for dates and times, which are also 10 and 5 long.
    CellFormat Format() const { return m_format; }
    void setFormat(CellFormat format);
    static QString defaultFilter(CellFormat format);
    // The locale's separators of dates and times.
    static QChar dateSeparator();
    static QChar timeSeparator();

    // The characters that may be typed ("A..L;0..9"); empty lets all through. A text that
    // breaks the syntax is refused with a message and the filter stays as it was.
    QString FiltreTouche() const { return m_filtreTouche; }
    bool setFiltreTouche(const QString &filter);
    const AllowedKeys &modifiers() const { return m_touches; }

    // For the two number formats: allows the minus sign, at the start of the value.
    bool AutoriseSigne() const { return m_autoriseSigne; }
    void setAutoriseSigne(bool allowed);

    // The longest value that may be typed, 0 for no limit; a date is 10 long and a time 5. A
    // decimal value holds NbDecimal decimals, the separator and at least one digit before it,
    // so a length that leaves no room for them is refused with a message (as is a number of
    // decimals that would no longer fit in the length).
    int MaxLength() const { return m_maxLength; }
    bool setMaxLength(int length);
    int NbDecimal() const { return m_nbDecimal; }
    bool setNbDecimal(int number);
    // The digits allowed before the decimal separator; -1 for no limit.
    int digitsBeforePoint() const;

    // Range of the number formats, checked when the value is entered; none while ValeurMin is
    // not below ValeurMax (both 0 at first).
    double ValeurMin() const { return m_valeurMin; }
    void setValeurMin(double value);
    double ValeurMax() const { return m_valeurMax; }
    void setValeurMax(double value);
    bool hasRange() const { return m_valeurMin < m_valeurMax; }

    // A read-only cell may be selected but opens no editor.
    bool ReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly);
    // The editor's background; an invalid colour leaves the usual one.
    QColor EditColor() const { return m_editColor; }
    void setEditColor(const QColor &colour);
    // An input mask for the editor, in QLineEdit's mask language ("99/99/9999;_").
    QString EditMask() const { return m_editMask; }
    void setEditMask(const QString &mask);

    // Drop-down cells: the rows the open list shows at most, and the choices.
    int NbLigneCombo() const { return m_nbLigneCombo; }
    void setNbLigneCombo(int lines);
    QStringList ValeurCombo() const { return m_valeurCombo; }
    void setValeurCombo(const QStringList &values);

    static QString messageMaxLength();

private:
    bool isNumber() const { return m_format == fcNombre || m_format == fcNombreDecimal; }
    void changeFilter(const QString &filter); // a filter known to be well formed
    void applySign();

    CellFormat m_format = fcChaine;
    QString m_filtreTouche;
    AllowedKeys m_touches;
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
    TColonne(const TColonne &other);
    // Copies every property, the events and the combo choices; the definition keeps its place.
    TColonne &operator=(const TColonne &other);
    ~TColonne() = default;

    QString Name() const { return m_name; }
    void setName(const QString &nom);
    // The name, or the kind of item when it has none.
    QString DisplayName() const;

    // Setting the width sets the grid column's width at once.
    int Largeur() const { return m_largeur; }
    void setLargeur(int width);

    TTitreColonne &Titre() { return m_titre; }
    const TTitreColonne &Titre() const { return m_titre; }
    TAffichageCellule &Affichage() { return m_affichage; }
    const TAffichageCellule &Affichage() const { return m_affichage; }
    TSaisieCellule &Saisie() { return m_saisie; }
    const TSaisieCellule &Saisie() const { return m_saisie; }

    CellStyle Style() const { return m_style; }
    void setStyle(CellStyle style);
    // Whether the cursor may stop on (select) the column's cells.
    bool ArretCellule() const { return m_arretCellule; }
    void setArretCellule(bool stop);

    // Image cells show picture IndexImage of Images; button cells show picture
    // IndexImageBouton of the grid's ImagesBouton (or an ellipsis without one).
    TImageList *Images() const { return m_images; }
    void setImages(TImageList *images);
    int IndexImage() const { return m_indexImage; }
    void setIndexImage(int index);
    int IndexImageBouton() const { return m_indexImageBouton; }
    void setIndexImageBouton(int index);
    int HauteurBouton() const { return m_hauteurBouton; }
    void setHauteurBouton(int height);
    int LargeurBouton() const { return m_largeurBouton; }
    void setLargeurBouton(int width);

    // The button of a button cell was pressed (before the grid's boutonClick signal).
    std::function<void(TExtendedGrid *sender, int column, int line)> OnBoutonClick;
    // Chooses the picture of an image cell; receives IndexImage.
    std::function<void(TExtendedGrid *sender, int column, int line, int &indexImage)> OnGetIndexImage;

    // Place in its collection; -1 outside one.
    int Index() const;
    TExtendedGridColonnes *Collection() const { return m_collection; }

    // The cell text as the display pattern shows it for the input format.
    QString shownText(const QString &content) const;

private:
    friend class ColumnPart;
    friend class TExtendedGrid;
    friend class TExtendedGridColonnes;
    void attach();
    void changed(bool width = false);

    TExtendedGridColonnes *m_collection = nullptr;
    QString m_name;
    int m_largeur = 64;
    TTitreColonne m_titre;
    TAffichageCellule m_affichage;
    TSaisieCellule m_saisie;
    CellStyle m_style = scStandard;
    bool m_arretCellule = true;
    QPointer<TImageList> m_images;
    int m_indexImage = -1;
    int m_indexImageBouton = -1;
    int m_hauteurBouton;
    int m_largeurBouton;
};

// What a collection tells the grid that owns it.
class ColumnObserver {
public:
    struct Defaults {
        int width;
        QColor colour;
        QFont font;
        QColor textColour;
    };
    virtual Defaults columnDefaults() const = 0;
    // A definition changed; its width too when largeur is set.
    virtual void columnChanged(int index, bool width) = 0;
    // Definitions were added, removed or replaced.
    virtual void columnsChanged() = 0;

protected:
    ~ColumnObserver() = default;
};

// The definitions of a grid's columns. A copy holds copies of the definitions and belongs to
// no grid; assigning a collection copies its definitions into the ones in place (references
// to them stay valid), adding or removing the difference.
class TExtendedGridColonnes {
public:
    TExtendedGridColonnes() = default;
    TExtendedGridColonnes(const TExtendedGridColonnes &other);
    TExtendedGridColonnes &operator=(const TExtendedGridColonnes &other);
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
    explicit TExtendedGridColonnes(ColumnObserver *observer);
    int indexOf(const TColonne *column) const;

    ColumnObserver *m_observer = nullptr;
    std::vector<std::unique_ptr<TColonne>> m_items;
};
