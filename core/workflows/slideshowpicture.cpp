#include "core/workflows/slideshowpicture.h"

#include "core/formats/filekind.h"
#include "core/formats/formatreader.h"
#include "core/imaging/imaging.h"

#include <new>

QSize fillingSize(QSize picture, QSize area)
{
    if (picture.isEmpty() || area.isEmpty())
        return {};
    const qint64 w = picture.width(), h = picture.height();
    const qint64 aw = area.width(), ah = area.height();
    // Compared without rounding: the relatively wider of the two decides which side is full.
    if (w * ah >= h * aw) {
        const qint64 height = (h * aw * 2 + w) / (w * 2);
        return QSize(int(aw), int(qBound<qint64>(1, height, ah)));
    }
    const qint64 width = (w * ah * 2 + h) / (h * 2);
    return QSize(int(qBound<qint64>(1, width, aw)), int(ah));
}

QImage fittedPicture(const QImage &picture, QSize area)
{
    const QSize size = fillingSize(picture.size(), area);
    if (size.isEmpty())
        return {};
    // 32-bit pixels are what the screen paints straight from; converted before scaling, which
    // the smooth scaler would do anyway.
    const QImage source = picture.format() == QImage::Format_RGB32 ? picture
                                                                   : picture.convertToFormat(QImage::Format_RGB32);
    if (source.isNull())
        return {};
    if (source.size() == size)
        return source;
    return source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

bool isSlideshowPicture(const QString &path)
{
    const FileKind kind = fileKindOf(path);
    return kind != FileKind::Video && kind != FileKind::Sidecar;
}

SlideshowPicture prepareSlideshowPicture(const QString &path, QSize area, FormatReader *formats)
{
    SlideshowPicture result;
    result.path = path;
    result.area = area;
    if (formats && isProbedKind(fileKindOf(path))) {
        const FormatPicture picture = formats->picture(path, area, FormatReader::Scale::Fit);
        result.error = picture.failure;
        if (picture.ok() && !area.isEmpty()) {
            result.decoded = picture.picture;
            result.shown = fittedPicture(result.decoded, area);
        }
        if (!result.error.isEmpty() || result.shown.isNull()) {
            result.decoded = QImage();
            result.shown = QImage();
            if (result.error.isEmpty())
                result.error = Imaging::errorText(Imaging::ErrorCode::OutOfMemory);
        }
        return result;
    }
    try {
        // The header alone gives the stored size, hence the fit and the coarsest DCT scale that
        // still covers it. Without it, covering the whole area is always enough.
        const QSize stored = Imaging::storedSize(path);
        QSize target = stored.isValid() ? fillingSize(stored, area) : area;
        if (target.isValid() && stored.isValid() && (target.width() > stored.width() || target.height() > stored.height()))
            target = QSize(); // an enlarged photo is decoded whole
        result.decoded = Imaging::loadPhotoCovering(path, target).picture;
        if (!area.isEmpty()) {
            result.shown = fittedPicture(result.decoded, area);
            if (result.shown.isNull())
                throw std::bad_alloc();
        }
    } catch (const LumaroError &error) {
        result.error = error.message();
    } catch (const std::bad_alloc &) {
        result.error = Imaging::errorText(Imaging::ErrorCode::OutOfMemory);
    } catch (const std::exception &error) {
        result.error = QString::fromLocal8Bit(error.what());
    }
    if (!result.error.isEmpty()) {
        result.decoded = QImage();
        result.shown = QImage();
    }
    return result;
}
