#include "dialogs/messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

int showBox(QMessageBox::Icon icon, const QString &title, const QString &text, bool question, bool sound = true)
{
    if (sound)
        QApplication::beep();
    QMessageBox box(icon, title, normaliserLignes(text), QMessageBox::NoButton, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    if (!question) {
        QPushButton *ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.setDefaultButton(ok);
        box.setEscapeButton(ok);
        box.exec();
        return 0;
    }
    QPushButton *yes = box.addButton(QStringLiteral("&Oui"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("&Non"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes ? 1 : 0;
}

} // namespace

QString normaliserLignes(const QString &text)
{
    QString result = text;
    result.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    result.replace(u'\r', u'\n');
    return result;
}

void MessageErreur(const QString &text)
{
    showBox(QMessageBox::Critical, QStringLiteral("Erreur"), text, false);
}

void MessageInformation(const QString &text, bool sonore)
{
    showBox(QMessageBox::Information, QStringLiteral("Information"), text, false, sonore);
}

void MessageAvertissement(const QString &text, bool sonore)
{
    showBox(QMessageBox::Warning, QStringLiteral("Avertissement"), text, false, sonore);
}

bool MessageConfirmation(const QString &text, bool sonore)
{
    return showBox(QMessageBox::Question, QStringLiteral("Confirmation"), text, true, sonore) == 1;
}
