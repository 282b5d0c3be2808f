#include "app/forprincipal.h"
#include "app/lumaroapplication.h"
#include "core/paths.h"

int main(int argc, char *argv[])
{
    LumaroApplication app(argc, argv);
    TforPrincipal principal(Paths::settingsFolder(QCoreApplication::applicationDirPath()));
    principal.lireLigneCommande(app.arguments().mid(1));
    principal.show();
    return app.exec();
}
