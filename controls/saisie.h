#pragma once
// The program's single-line edit: typed characters are filtered by a parameter text, the text
// can be completed to a fixed length, and the field shows its own colours, alignment and
// status-panel message.
#include "controls/editparameters.h"

#include <QColor>
#include <QLineEdit>
#include <QPointer>

class QLabel;
class QStatusBar;

class TCustomSaisie : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString Parametres READ Parametres WRITE setParametres)
    Q_PROPERTY(bool Beep READ Beep WRITE setBeep)
    Q_PROPERTY(QString MsgBas READ MsgBas WRITE setMsgBas)

public:
    explicit TCustomSaisie(QWidget *parent = nullptr);

    // The parameter text: allowed characters ("dfTout", "[dfNombre, dfSigne]", "{...}") and
    // completion ("CompleteGauche" or "CompleteDroite" with "CompCar" and one character).
    QString Parametres() const { return m_parametres; }
    virtual void setParametres(const QString &settings);
    const EditParameters &filter() const { return m_filtre; }

    // Sound a beep for a refused character when nothing is connected to invalideChar().
    bool Beep() const { return m_beep; }
    void setBeep(bool beep) { m_beep = beep; }

    // Colours; an invalid colour means "none": the grey-text colour for the disabled text, the
    // parent's colour for the disabled background, no change of background with the focus.
    QColor NotEnabledColor() const { return m_notEnabledColor; }
    void setNotEnabledColor(const QColor &colour);
    QColor NotEnabledBackground() const { return m_notEnabledBackground; }
    void setNotEnabledBackground(const QColor &colour);
    QColor FocusColor() const { return m_focusColor; }
    void setFocusColor(const QColor &colour);

    // How the text stands while the field does not have the focus; with the focus it is on the left.
    Qt::Alignment Alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment);

    // The status panel that shows MsgBas while the field has the focus.
    void setPanMsgBas(QLabel *panel);
    void setPanMsgBas(QStatusBar *bar);
    QString MsgBas() const { return m_msgBas; }
    void setMsgBas(const QString &message) { m_msgBas = message; }

    // The text completed as the parameter text asks; the windows read every value this way.
    QString LireTexte();
    // Sets the text (not filtered), takes it as the text at entry, then completes it.
    void AffecterTexte(const QString &content);
    void AffecterEntier(int value);
    // The text the field held when it was last entered or assigned.
    QString textOnEntry() const { return m_textOnEntry; }

    // The maximum length that completion fills up to; 0 when the field has none.
    int lengthLimit() const;

signals:
    // A typed character was refused; when connected it replaces the beep.
    void invalideChar();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

    // One typed character (backspace as QChar(8)); false stops it from reaching the edit.
    virtual bool acceptCharacter(QChar character);
    // A refused character: the invalideChar() signal, else the beep when Beep is on.
    void refuseCharacter();
    // The exclamation beep.
    virtual void beep();
    // Entering and leaving the field by the user (not a window switch or a popup).
    virtual void enter();
    virtual void quitter();
    void applyCompletion();

private:
    void applyColours();
    void showMsgBas(const QString &message);

    QString m_parametres;
    EditParameters m_filtre;
    bool m_beep = true;
    QColor m_notEnabledColor, m_notEnabledBackground, m_focusColor;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    QPointer<QLabel> m_panLabel;
    QPointer<QStatusBar> m_statusBar;
    QString m_msgBas;
    QString m_textOnEntry;
    bool m_userFocus = false;
};

// The edit as the windows place it: letters only unless told otherwise.
class TSaisie : public TCustomSaisie {
    Q_OBJECT
public:
    explicit TSaisie(QWidget *parent = nullptr);
};
