#include "controls/messagescontrole.h"

#include <QApplication>
#include <QMessageBox>

namespace MessagesControle {

void avertir(const QString &texte)
{
    QApplication::beep();
    QMessageBox boite(QMessageBox::Warning, QStringLiteral("Erreur"), texte, QMessageBox::Ok,
                      QApplication::activeWindow());
    boite.setObjectName(QStringLiteral("boiteAvertissement"));
    boite.exec();
}

} // namespace MessagesControle
