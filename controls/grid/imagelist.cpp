#include "controls/grid/imagelist.h"

TImageList::TImageList(int width, int height, QObject *parent)
    : QObject(parent)
    , m_largeur(qMax(1, width))
    , m_hauteur(qMax(1, height))
{
}

int TImageList::Add(const QPixmap &image)
{
    const QSize measuredSize(m_largeur, m_hauteur);
    // A picture drawn for a denser screen keeps its detail: only its logical size must match.
    const QSize logical = image.deviceIndependentSize().toSize();
    m_images << (image.isNull() || logical == measuredSize
                     ? image
                     : image.scaled(measuredSize * image.devicePixelRatio(), Qt::IgnoreAspectRatio,
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
