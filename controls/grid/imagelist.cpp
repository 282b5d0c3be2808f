#include "controls/grid/imagelist.h"

TImageList::TImageList(int largeur, int hauteur, QObject *parent)
    : QObject(parent)
    , m_largeur(qMax(1, largeur))
    , m_hauteur(qMax(1, hauteur))
{
}

int TImageList::Add(const QPixmap &image)
{
    const QSize taille(m_largeur, m_hauteur);
    // A picture drawn for a denser screen keeps its detail: only its logical size must match.
    const QSize logique = image.deviceIndependentSize().toSize();
    m_images << (image.isNull() || logique == taille
                     ? image
                     : image.scaled(taille * image.devicePixelRatio(), Qt::IgnoreAspectRatio,
                                    Qt::SmoothTransformation));
    emit changed();
    return Count() - 1;
}

void TImageList::Clear()
{
    m_images.clear();
    emit changed();
}

QPixmap TImageList::image(int index) const
{
    return index >= 0 && index < Count() ? m_images.at(index) : QPixmap();
}
