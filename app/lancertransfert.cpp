#include "app/lancertransfert.h"

#include "dialogs/messages.h"
#include "core/settings/paramappli.h"
#include "core/files/paths.h"
#include "transfer/fortransfertphase1.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>

#include <QFileInfo>

QString transferSource(const TParamAppli &params, const QString &path)
{
    if (path.isEmpty())
        return params.LecteurCarte;
    if (QFileInfo(path).isDir())
        return Paths::withSeparator(path);
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
