#include "controls/flechehautbas.h"

#include <QToolButton>

namespace {
QToolButton *creerFleche(QWidget *parent, Qt::ArrowType sens, const QString &nom)
{
    auto *bouton = new QToolButton(parent);
    bouton->setObjectName(nom);
    bouton->setArrowType(sens);
    bouton->setFocusPolicy(Qt::NoFocus);
    bouton->setAutoRepeat(true);
    bouton->setCursor(Qt::ArrowCursor);
    return bouton;
}
} // namespace

TFlecheHautBas::TFlecheHautBas(QWidget *parent)
    : QWidget(parent)
    , m_haut(creerFleche(this, Qt::UpArrow, QStringLiteral("sbHaut")))
    , m_bas(creerFleche(this, Qt::DownArrow, QStringLiteral("sbBas")))
{
    setFocusPolicy(Qt::NoFocus);
    connect(m_haut, &QToolButton::clicked, this, &TFlecheHautBas::haut);
    connect(m_bas, &QToolButton::clicked, this, &TFlecheHautBas::bas);
    resize(15, 25);
}

void TFlecheHautBas::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int moitie = height() / 2;
    m_haut->setGeometry(0, 0, width(), moitie);
    m_bas->setGeometry(0, moitie, width(), height() - moitie);
}
