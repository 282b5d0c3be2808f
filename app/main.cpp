#include "app/forprincipal.h"
#include "app/lumaroapplication.h"
#include "core/imaging/imaging.h"
#include "core/imaging/memorytuning.h"
#include "core/files/paths.h"

int main(int argc, char *argv[])
{
    // Large photo buffers are reused rather than handed back to the system after every photo.
    MemoryTuning::reuseLargeBlocks();
    LumaroApplication app(argc, argv);
    const Imaging::LibraryScope imaging;
    TforPrincipal mainWindow(Paths::settingsFolder(QCoreApplication::applicationDirPath()));
    mainWindow.readCommandLine(app.arguments().mid(1));
    mainWindow.show();
    return app.exec();
}
