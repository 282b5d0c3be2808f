#include "app/lumaroapplication.h"

#include "dialogs/helpwindow.h"
#include "dialogs/messages.h"
#include "core/error.h"

#include <QLibraryInfo>
#include <QTranslator>

LumaroApplication::LumaroApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Lumaro"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/lumaro.svg")));
    installFrenchTranslation(*this);
    installEventFilter(new Help::KeyFilter(this));
}

bool LumaroApplication::installFrenchTranslation(QApplication &app)
{
    auto *translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QApplication::installTranslator(translator);
}

bool LumaroApplication::notify(QObject *receiver, QEvent *event)
{
    // An error that no handler caught is shown, and the program goes on.
    try {
        return QApplication::notify(receiver, event);
    } catch (const LumaroError &error) {
        MessageErreur(error.message());
    } catch (const std::exception &error) {
        MessageErreur(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        MessageErreur(QStringLiteral("Erreur inattendue."));
    }
    return false;
}
