#pragma once
// The wait window shown, without being modal, while the program searches or copies.
#include <QPointer>
#include <QWidget>

class QLabel;

class TforFicheMessageAttente : public QWidget {
    Q_OBJECT
public:
    explicit TforFicheMessageAttente(QWidget *parent = nullptr);
    QLabel *panMessage() const { return m_message; }

private:
    QLabel *m_message;
};

using WaitWindowRef = QPointer<TforFicheMessageAttente>;

TforFicheMessageAttente *CreerFicheAttente(const QString &title, const QString &text);
void DefinirMessageAttente(TforFicheMessageAttente *window, const QString &title, const QString &text);
TforFicheMessageAttente *AfficherAttente(const QString &text);
// Closes the window if the reference is set, lets pending events run and clears the reference.
// Never fails.
void FermerAttente(WaitWindowRef &window) noexcept;
