#include "core/formats/formatinformation.h"

#include "core/exif/exifdate.h"
#include "core/exif/informationexif.h"
#include "core/exif/datetimevalue.h"
#include "core/formats/filekind.h"

namespace {

// Nothing read: the file date stands in, so that a date is always found in the same place
// (a video's creation time, when known, is already there in local time).
void fill(TListeInformationExif &list, const FormatMetadata &metadata, double fileDate)
{
    list.Vider();
    for (const ExifReader::Entry &entry : std::as_const(metadata.entries))
        list.Ajouter(entry.tag, entry.flag, entry.name, entry.value);
    if (list.isEmpty())
        list.Ajouter(0, 0, QLatin1String(ExifReader::DateTakenName), ExifDate::format(fileDate));
}

} // namespace

FormatMetadata readFormatInformation(FormatReader &reader, TListeInformationExif &list, const QString &path,
                                     bool readExif)
{
    FormatMetadata metadata;
    if (readExif)
        metadata = reader.metadata(path);
    else
        metadata.failure = QStringLiteral("non lu");
    fill(list, metadata, ExifDate::fileDate(path));
    return metadata;
}

FormatMetadata readFormatInformation(FormatReader &reader, TListeInformationExif &list, const QString &name,
                                     const QByteArray &content, const QDateTime &fileTime)
{
    const FormatMetadata metadata = reader.metadata(name, content);
    fill(list, metadata, fileTime.isValid() ? DateValue::fromDateTime(DateValue::evenSecond(fileTime)) : DateValue::None);
    return metadata;
}

bool isFormatFile(const QString &path)
{
    return isProbedKind(fileKindOf(path));
}
