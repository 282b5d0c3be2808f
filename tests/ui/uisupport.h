#pragma once
// Shared by the widget tests (testsupport.* links the core only): finding a window's widgets by
// their object names, answering the message boxes an action shows, and typing text.
#include <QApplication>
#include <QKeyEvent>
#include <QList>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace UiSupport {

// The widget of that object name and class below parent; null (with a warning) when missing.
template <class T = QWidget>
T *child(const QWidget *parent, const char *name)
{
    T *found = parent ? parent->findChild<T *>(QLatin1String(name)) : nullptr;
    if (!found)
        qWarning("missing widget %s", name);
    return found;
}

// Runs the action and answers every message box it shows with its default button; returns their
// titles and texts ("title|text") and, when asked, their icons.
inline QStringList messagesOf(const std::function<void()> &action, QList<QMessageBox::Icon> *icons = nullptr)
{
    QStringList texts;
    auto watch = std::make_shared<std::function<void()>>();
    *watch = [&texts, icons, watch] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            texts << box->windowTitle() + QLatin1Char('|') + box->text();
            if (icons)
                *icons << box->icon();
            box->defaultButton()->click();
        }
        QTimer::singleShot(10, [watch] { (*watch)(); });
    };
    QTimer::singleShot(0, [watch] { (*watch)(); });
    QWidget *window = QApplication::activeWindow();
    action();
    QCoreApplication::processEvents();
    // The offscreen platform does not give the activation back when a box closes.
    if (window && !QApplication::activeWindow()) {
        QApplication::setActiveWindow(window);
        QCoreApplication::processEvents();
    }
    *watch = [] {};
    return texts;
}

// Types the text key by key, characters beyond ASCII included, into target or into the widget
// inside it that has the focus (a grid's first key opens an editor, which takes the following).
inline void typeText(QWidget *target, const QString &text)
{
    for (const QChar c : text) {
        QWidget *focus = QApplication::focusWidget();
        QWidget *receiver = focus && target->isAncestorOf(focus) ? focus : target;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(receiver, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(receiver, &release);
    }
}

} // namespace UiSupport
