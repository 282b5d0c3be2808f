#pragma once
// Shared by the benchmark programs.
#include <QDir>
#include <QDirIterator>
#include <QString>
#include <QStringList>

namespace BenchSupport {

// The photos of a card as the search finds them: every .JPG below it, previews left out.
inline QStringList photosOf(const QString &card)
{
    QStringList photos;
    QDirIterator it(card, {QStringLiteral("*.JPG"), QStringLiteral("*.jpg")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!path.contains(QStringLiteral("/MINIATURES/")))
            photos << path;
    }
    photos.sort();
    return photos;
}

} // namespace BenchSupport
