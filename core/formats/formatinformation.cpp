#include "core/formats/formatinformation.h"

#include "core/exif/exifdate.h"
#include "core/exif/informationexif.h"
#include "core/formats/filekind.h"

FormatMetadata readFormatInformation(FormatReader &reader, TListeInformationExif &list, const QString &path,
                                     bool readExif)
{
    FormatMetadata metadata;
    if (readExif)
        metadata = reader.metadata(path);
    else
        metadata.failure = QStringLiteral("non lu");
    list.Vider();
    for (const ExifReader::Entry &entry : std::as_const(metadata.entries))
        list.Ajouter(entry.tag, entry.flag, entry.name, entry.value);
    // Nothing read: the file date stands in, so that a date is always found in the same place
    // (a video's creation time, when known, is already there in local time).
    if (list.isEmpty())
        list.Ajouter(0, 0, QLatin1String(ExifReader::DateTakenName), ExifDate::format(ExifDate::fileDate(path)));
    return metadata;
}

bool isFormatFile(const QString &path)
{
    return isProbedKind(fileKindOf(path));
}
