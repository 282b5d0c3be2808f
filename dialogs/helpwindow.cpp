#include "dialogs/helpwindow.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QKeyEvent>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace Help {

Topic topicOf(Context context)
{
    // Every context is named here: a new one that is not fails the build (-Wswitch), and the
    // help test checks that each page and anchor exists.
    switch (context) {
    case Context::None:
        return {};
    case Context::Contents:
        return {QStringLiteral("index.html"), QStringLiteral("sommaire")};
    case Context::MainWindow:
        return {QStringLiteral("principal.html"), QStringLiteral("principal")};
    case Context::BatchSetUp:
        return {QStringLiteral("batch.html"), QStringLiteral("parametrage")};
    case Context::PhotoByPhoto:
        return {QStringLiteral("photophoto.html"), QStringLiteral("photophoto")};
    case Context::SlideshowSetUp:
        return {QStringLiteral("diaporama.html"), QStringLiteral("parametrage")};
    case Context::Settings:
        return {QStringLiteral("parametrage.html"), QStringLiteral("parametrage")};
    case Context::PhotoFilter:
        return {QStringLiteral("filtre.html"), QStringLiteral("filtre")};
    case Context::BatchTransfer:
        return {QStringLiteral("batch.html"), QStringLiteral("transfert")};
    case Context::About:
        return {QStringLiteral("principal.html"), QStringLiteral("apropos")};
    }
    return topicOf(Context::Contents);
}

QUrl addressOf(Context context)
{
    const Topic topic = topicOf(context);
    if (topic.page.isEmpty())
        return {};
    QUrl address(QStringLiteral("qrc:/help/") + topic.page);
    address.setFragment(topic.anchor);
    return address;
}

void setContext(QWidget *window, Context context)
{
    window->setProperty("helpContext", int(context));
}

Context contextOf(const QWidget *window)
{
    for (const QWidget *w = window; w; w = w->parentWidget()) {
        const QVariant context = w->property("helpContext");
        if (context.isValid())
            return Context(context.toInt());
    }
    return Context::Contents;
}

bool KeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent *>(event)->key() != Qt::Key_F1)
        return QObject::eventFilter(watched, event);
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget)
        return QObject::eventFilter(watched, event);
    widget = widget->window();
    if (qobject_cast<HelpWindow *>(widget))
        return QObject::eventFilter(watched, event);
    // A window without help swallows the key: it means nothing there either.
    showHelp(contextOf(widget), widget);
    return true;
}

} // namespace Help

HelpWindow::HelpWindow(QWidget *parent) : QDialog(parent), m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Aide de Lumaro"));
    m_browser->setObjectName(QStringLiteral("helpBrowser"));
    m_browser->setOpenExternalLinks(true);
    m_browser->setSearchPaths({QStringLiteral(":/help")});
    // Lines break between words only, as a browser does: a command or a name is never cut in
    // two, and a table too wide for the window scrolls instead.
    m_browser->setWordWrapMode(QTextOption::WordWrap);
    // The pages share one style sheet; the viewer does not follow their <link> to it.
    QFile style(QStringLiteral(":/help/style.css"));
    if (style.open(QIODevice::ReadOnly))
        m_browser->document()->setDefaultStyleSheet(QString::fromUtf8(style.readAll()));

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *home = buttons->addButton(QStringLiteral("&Sommaire"), QDialogButtonBox::ActionRole);
    home->setObjectName(QStringLiteral("butSommaire"));
    QPushButton *back = buttons->addButton(QStringLiteral("&Précédent"), QDialogButtonBox::ActionRole);
    back->setObjectName(QStringLiteral("butPrecedent"));
    QPushButton *close = buttons->addButton(QStringLiteral("&Fermer"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("butFermer"));
    connect(home, &QPushButton::clicked, this, [this] { showTopic(Help::Context::Contents); });
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    back->setEnabled(false);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_browser, 1);
    layout->addWidget(buttons);
    resize(680, 600);
}

void HelpWindow::showTopic(Help::Context context)
{
    const QUrl address = Help::addressOf(context);
    m_browser->setSource(address.isEmpty() ? Help::addressOf(Help::Context::Contents) : address);
}

void showHelp(Help::Context context, QWidget *parent)
{
    if (context == Help::Context::None)
        return;
    HelpWindow window(parent);
    window.showTopic(context);
    window.exec();
}
