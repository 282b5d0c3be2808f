#include "core/formats/filekind.h"

#include <QHash>
#include <QStringList>

namespace {

struct KindTable {
    QHash<QString, FileKind> byExtension;
    QHash<int, QStringList> byKind;

    KindTable()
    {
        add(FileKind::Jpeg, {"JPG", "JPEG"});
        add(FileKind::Raw, {"CR2", "CR3", "CRW", "NEF", "NRW", "ARW", "SR2", "SRF", "DNG", "ORF", "RW2", "RAF",
                            "PEF", "SRW", "3FR", "IIQ", "ERF", "MRW", "X3F"});
        add(FileKind::Heif, {"HEIC", "HEIF", "HIF", "AVIF"});
        add(FileKind::Video, {"MP4", "MOV", "M4V", "MTS", "M2TS", "AVI", "3GP"});
        add(FileKind::Sidecar, {"XMP", "THM", "WAV"});
    }

    void add(FileKind kind, std::initializer_list<const char *> extensions)
    {
        QStringList &list = byKind[int(kind)];
        for (const char *extension : extensions) {
            byExtension.insert(QString::fromLatin1(extension), kind);
            list << QString::fromLatin1(extension);
        }
    }
};

const KindTable &table()
{
    static const KindTable instance; // built once, read only afterwards
    return instance;
}

} // namespace

FileKind fileKindOf(const QString &fileName)
{
    const qsizetype slash = fileName.lastIndexOf(u'/');
    const qsizetype dot = fileName.lastIndexOf(u'.');
    // The extension is the text after the last dot of the name, as the photo search takes it.
    if (dot <= slash)
        return FileKind::Other;
    return table().byExtension.value(fileName.mid(dot + 1).toUpper(), FileKind::Other);
}

bool isProbedKind(FileKind kind)
{
    return kind == FileKind::Raw || kind == FileKind::Heif || kind == FileKind::Video;
}

QStringList extensionsOf(FileKind kind)
{
    return table().byKind.value(int(kind));
}
