#include "dialogs/qtuserinterface.h"

#include "dialogs/messages.h"

#include <QApplication>

QtUserInterface::~QtUserInterface()
{
    for (auto &[handle, window] : m_waits)
        FermerAttente(window);
}

void QtUserInterface::showError(const QString &text)
{
    MessageErreur(text);
}

void QtUserInterface::showInformation(const QString &text)
{
    MessageInformation(text);
}

bool QtUserInterface::askConfirmation(const QString &text)
{
    return MessageConfirmation(text);
}

int QtUserInterface::openWait(const QString &title, const QString &text)
{
    const int handle = m_next++;
    m_waits[handle] = CreerFicheAttente(title, text);
    return handle;
}

void QtUserInterface::setWaitText(int handle, const QString &title, const QString &text)
{
    const auto found = m_waits.find(handle);
    if (found != m_waits.end() && found->second)
        DefinirMessageAttente(found->second, title, text);
}

void QtUserInterface::closeWait(int handle) noexcept
{
    const auto found = m_waits.find(handle);
    if (found == m_waits.end())
        return;
    FermerAttente(found->second);
    m_waits.erase(found);
}

void QtUserInterface::processEvents()
{
    QApplication::processEvents();
}
