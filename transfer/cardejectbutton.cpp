#include "transfer/cardejectbutton.h"

#include "core/sources/photosource.h"
#include "dialogs/messages.h"

#include <QApplication>
#include <QEventLoop>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

CardEjectButton::CardEjectButton(QWidget *parent)
    : QPushButton(QStringLiteral("Éjecter la carte"), parent), m_eject(std::make_unique<CardEject>())
{
    setObjectName(QStringLiteral("butEjecter"));
    setAutoDefault(false);
    setEnabled(false);
    setVisible(false);
    connect(this, &QPushButton::clicked, this, [this] { eject(); });
}

bool CardEjectButton::offer(const PhotoSource *source, bool ejectAtOnce)
{
    if (!source || source->isDevice() || !m_eject->canEject(source->root()))
        return false;
    m_folder = source->root();
    if (ejectAtOnce && eject())
        return false;
    setVisible(true);
    setEnabled(true);
    setDefault(true);
    setFocus();
    return true;
}

bool CardEjectButton::eject()
{
    if (m_folder.isEmpty())
        return false;
    setEnabled(false);
    // The unmount waits while the system writes what is left to the card: the window keeps
    // painting meanwhile.
    QFutureWatcher<CardEject::Outcome> watcher;
    QEventLoop loop;
    connect(&watcher, &QFutureWatcher<CardEject::Outcome>::finished, &loop, &QEventLoop::quit);
    const CardEject eject = *m_eject;
    watcher.setFuture(QtConcurrent::run([eject, folder = m_folder] { return eject.eject(folder); }));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (!watcher.isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    QApplication::restoreOverrideCursor();
    const CardEject::Outcome outcome = watcher.result();
    switch (outcome.result) {
    case CardEject::Result::Ejected:
        setText(QStringLiteral("Carte éjectée"));
        emit ejected();
        return true;
    case CardEject::Result::Unmounted:
        MessageInformation(outcome.message);
        setText(QStringLiteral("Carte éjectée"));
        emit ejected();
        return true;
    case CardEject::Result::Refused:
    case CardEject::Result::NotManaged:
        MessageErreur(outcome.message.isEmpty() ? QStringLiteral("La carte n'a pas pu être éjectée.") : outcome.message);
        setEnabled(true);
        return false;
    }
    return false;
}
