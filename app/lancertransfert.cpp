#include "app/lancertransfert.h"

#include "dialogs/messages.h"
#include "core/paramappli.h"
#include "core/paths.h"

#include <QFileInfo>

QString sourceDeTransfert(const TParamAppli &params, const QString &path)
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
    Q_UNUSED(mode)
    // The set-up dialog takes this source once it exists in the program.
    sourceDeTransfert(params, path);
}
