#include "dialogs/messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

int showBox(QMessageBox::Icon icon, const QString &title, const QString &text, bool question, bool sound = true)
{
    if (sound)
        QApplication::beep();
    QMessageBox box(icon, title, normalisedLines(text), QMessageBox::NoButton, QApplication::activeWindow());
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

QString normalisedLines(const QString &text)
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

void MessageInformation(const QString &text, bool audible)
{
    showBox(QMessageBox::Information, QStringLiteral("Information"), text, false, audible);
}

void warningMessage(const QString &text, bool audible)
{
    showBox(QMessageBox::Warning, QStringLiteral("Avertissement"), text, false, audible);
}

bool MessageConfirmation(const QString &text, bool audible)
{
    return showBox(QMessageBox::Question, QStringLiteral("Confirmation"), text, true, audible) == 1;
}
