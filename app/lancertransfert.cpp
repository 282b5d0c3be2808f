#include "app/lancertransfert.h"

#include "dialogs/messages.h"
#include "core/settings/paramappli.h"
#include "core/files/filesystem.h"
#include "core/files/paths.h"
#include "core/sources/photosource.h"
#include "transfer/fortransfertphase1.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>


QString transferSource(const TParamAppli &params, const QString &path)
{
    if (path.isEmpty())
        return params.LecteurCarte;
    // A camera or phone is looked for when the search starts, where a missing one is told.
    if (PhotoSources::isDeviceText(path))
        return path;
    // The desktop hands a card over as file:///media/...: its path's bytes.
    const QString folder = PhotoSources::localPath(path);
    if (FileSystem::isFolder(folder))
        return Paths::withSeparator(folder);
    MessageErreur(QStringLiteral("Le chemin passé en paramètre ") + path + QStringLiteral(" n'existe pas."));
    return params.LecteurCarte;
}

void LancerTransfert(TParamAppli &params, int mode, const QString &path)
{
    TforTransfertPhase1 dialog(params, mode, QApplication::activeWindow());
    if (!path.isEmpty())
        dialog.setSource(transferSource(params, path));
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        dialog.move(screen->availableGeometry().center() - dialog.rect().center());
    dialog.exec();
}
