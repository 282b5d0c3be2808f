#pragma once
// The edit with a small button at its right end (the windows use it to browse for a folder).
#include "controls/saisie.h"

#include <QToolButton>

// A picture button that never takes the keyboard focus away from its edit.
class TNewSpeedButton : public QToolButton {
    Q_OBJECT
public:
    explicit TNewSpeedButton(QWidget *parent = nullptr);
};

class TCustomSaisieBouton : public TCustomSaisie {
    Q_OBJECT
    Q_PROPERTY(bool AfficheBouton READ AfficheBouton WRITE setAfficheBouton)
    Q_PROPERTY(bool AutoriseF4 READ AutoriseF4 WRITE setAutoriseF4)

public:
    explicit TCustomSaisieBouton(QWidget *parent = nullptr);

    TNewSpeedButton *button() const { return m_button; }

    // Shown, the button is LargeurBouton pixels wide; hidden, it takes no room.
    bool AfficheBouton() const { return m_afficheBouton; }
    void setAfficheBouton(bool shown);
    int LargeurBouton() const { return m_largeurBouton; }
    void setLargeurBouton(int width);

    // Kept for the windows that set it; F4 depends on AfficheBouton alone.
    bool AutoriseF4() const { return m_autoriseF4; }
    void setAutoriseF4(bool allowed) { m_autoriseF4 = allowed; }

    // The button's picture; a picture holding NbGlyph states side by side shows the first one.
    void setGlyph(const QPixmap &image, int nbGlyph = 1);
    int NbGlyph() const { return m_nbGlyph; }

    // The least height for the control's font.
    int minimumHeight() const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

    // What the button (and F4) does.
    virtual void buttonAction() = 0;
    // Places the children at the right end and keeps the text clear of them.
    virtual void arrange();

private:
    TNewSpeedButton *m_button;
    bool m_afficheBouton = true;
    bool m_autoriseF4 = true;
    int m_largeurBouton = 25;
    int m_nbGlyph = 1;
};

// The edit with a list button; the windows open their folder browser from listeClick().
class TSaisieListe : public TCustomSaisieBouton {
    Q_OBJECT
public:
    explicit TSaisieListe(QWidget *parent = nullptr);

signals:
    // The button was clicked or F4 pressed; the edit has the focus by then.
    void listeClick();

protected:
    void buttonAction() override;
};
