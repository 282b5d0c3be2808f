#pragma once
// The application object: French standard buttons, F1 help for every window, and an error box
// instead of a crash for any error that no window caught.
#include <QApplication>

class QTranslator;

class LumaroApplication : public QApplication {
    Q_OBJECT
public:
    LumaroApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

    // Loads Qt's own French texts; false when they are not installed.
    static bool installFrenchTranslation(QApplication &app);
};
