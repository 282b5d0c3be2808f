#pragma once
// A photo's low-quality copy for e-mail, made in memory: read, turned, reduced and compressed
// without writing anything, then written in one go. The making needs no disk access but the
// source's reading, so a transfer can make it on another thread while the photo itself is
// copied and turned.
#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QSize>
#include <QString>

class FormatReader;
struct FormatMetadata;
struct FormatPicture;
namespace Imaging {
class Metadata;
}
class TParamAppli;

// Size of the low-quality copy for the size index IndiceNewDim and the picture as it will be
// saved (after any turn): the landscape size of the table for a picture wider than high, the
// same exchanged (portrait) otherwise. An invalid QSize for an index outside 0..5.
QSize lowQualitySize(int sizeIndex, QSize picture);
// The landscape size of the table (320 x 240 ... 1280 x 1024); invalid outside 0..5.
QSize lowQualityLandscapeSize(int sizeIndex);
// JPEG quality brought into 1..100.
int boundedQuality(int quality);

class LowQualityCopy {
public:
    // What the copy needs of the settings, taken by value so that another thread may work
    // with it while the settings store is in use.
    struct Options {
        bool keepExif = false;  // GestionEXIF and GarderInfoEXIF
        bool keepDate = false;  // GarderInfoDateEXIF
        QSize landscape;        // the reduced size in landscape; invalid keeps the size
        int quality = 40;       // already within 1..100

        static Options fromSettings(const TParamAppli &settings);
    };

    // Reads the photo at source and makes its copy, turned by angle; sourceDate is the date
    // the copy takes when keepDate is on. Never throws: a failure is kept for write().
    static LowQualityCopy make(const Options &options, const QString &source, int angle,
                               const QDateTime &sourceDate);
    // The same from a HEIF's image or a RAW's largest preview, read upright through the reader
    // (a file's orientation is never applied twice); a picture that cannot be had is reported
    // as a photo that could not be decoded.
    static LowQualityCopy makeFromFormat(const Options &options, FormatReader &reader, const QString &source,
                                         const QDateTime &sourceDate);
    // The same from the file's bytes already in memory (a camera's RAW or HEIF file, its kind
    // told by its name).
    static LowQualityCopy makeFromFormat(const Options &options, FormatReader &reader, const QString &name,
                                         const QByteArray &content, const QDateTime &sourceDate);

    // The same from the photo's bytes already in memory (a camera's file read once).
    static LowQualityCopy makeFromContent(const Options &options, const QByteArray &content, int angle,
                                          const QDateTime &sourceDate);

    // Writes the copy as the whole content of path (its folder must exist). Throws LumaroError
    // "Erreur pendant la sauvegarde basse résolution (1). " + reason when the photo could not
    // be decoded, "(2)" when the copy could not be written; the file at path is then as it
    // was. A copy made beside its photo gives copyError instead when the source could not be
    // read or the new file not written: the user sees it as the copy that failed.
    void write(const QString &path, const QString &copyError = QString()) const;

private:
    struct Decoded;
    static LowQualityCopy reduce(const Options &options, const Decoded &decoded, int angle, const QDateTime &sourceDate);
    // Reduces, compresses and keeps the picture; turned: the picture stands otherwise than the
    // metadata's orientation says, which the copy then resets.
    // The copy of a picture the reader made upright, with the metadata it read.
    static LowQualityCopy fromFormatPicture(const Options &options, FormatPicture picture,
                                            const FormatMetadata &metadata, const QDateTime &sourceDate);
    static LowQualityCopy fromPicture(const Options &options, QImage picture, const Imaging::Metadata &metadata,
                                      bool turned, const QDateTime &sourceDate);

    QByteArray m_jpeg;
    QString m_readError;
    bool m_sourceUnreadable = false;
    QString m_writeError;
    QDateTime m_date;
};
