#pragma once
// A numbered list of small pictures of one size, shared by the cells that show them.
#include <QObject>
#include <QPixmap>
#include <QVector>

class TImageList : public QObject {
    Q_OBJECT
public:
    explicit TImageList(int width = 16, int height = 16, QObject *parent = nullptr);

    int Width() const { return m_largeur; }
    int Height() const { return m_hauteur; }

    // Adds the picture, brought to the list's size; returns its number.
    int Add(const QPixmap &image);
    int Count() const { return int(m_images.size()); }
    void Clear();
    // The picture of that number; a null pixmap when there is none.
    QPixmap image(int index) const;

signals:
    void changed();

private:
    int m_largeur, m_hauteur;
    QVector<QPixmap> m_images;
};
