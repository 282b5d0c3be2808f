#pragma once
// Finding the photos of a source folder, and copying the extra files once a transfer is over.
#include "core/files/volumeidentity.h"

#include <QString>
#include <QStringList>

class PhotoSource;
class ShotMembers;
class TFiltrePhoto;
class TParamAppli;
class UserInterface;

// Fills photos (full paths, oldest file time first; ties by path ignoring letter case) and
// extraFiles (files whose extension is listed in ExtensionSupp), both expected empty.
// Rewrites the history of the folder's volume and folder with every photo found, then applies
// the filter: new photos only (against the previous history), the name text, the day.
// Throws LumaroError when the history cannot be read or written.
// With AutresFormats on, RAW, HEIF and video files are photos too and the files of one name
// form a shot (PhotoScanner): photos holds each shot's key member, ordered by its date key,
// and shots (when given) every member of the shots of several files. The history lists every
// member; a shot is new when any of its members is; the name and day filters read the key.
void RechercherPhotos(const QString &folder, bool withSubfolders, const TFiltrePhoto &filter, QStringList &extraFiles,
                      QStringList &photos, const TParamAppli &settings, UserInterface &ui,
                      const VolumeLocator &volumes = VolumeLocator(), ShotMembers *shots = nullptr);
// The same on a camera or phone (a folder text that is a device's address goes there too,
// through a source opened for the search and released after it): the folders listed through
// the source, the date keys from the times it gives for its files, the history named after
// the device's identity (its serial, else its model and port) and its folder on the device.
// Shots are made of a device's files as of a folder's.
// Throws LumaroError also when the device cannot be opened or goes away during the search.
void RechercherPhotos(PhotoSource &source, const QString &folder, bool withSubfolders, const TFiltrePhoto &filter,
                      QStringList &extraFiles, QStringList &photos, const TParamAppli &settings, UserInterface &ui,
                      ShotMembers *shots = nullptr);

// Copies each extra file to destination + its extension + "/" + its name, numbering the name
// (" - 1", " - 2" ... after the whole name) when the place is taken, through the verified copy
// of the photos (whole or not at all, read back from the disk; the copy keeps the file's time).
// Failures are passed over (logged in "lumaro.core"): the source files stay where they are.
// Returns the copies made, in order.
QStringList EnregistrerExtensionsSupp(const QString &destination, const QStringList &extraFiles, UserInterface &ui);
// The same for extra files of a camera or phone: each read through the source, then written
// by the verified write with the time the device gives.
QStringList EnregistrerExtensionsSupp(const QString &destination, const QStringList &extraFiles, UserInterface &ui,
                                      PhotoSource &source);
