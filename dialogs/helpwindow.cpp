#include "dialogs/helpwindow.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <map>

HelpWindow::HelpWindow(QWidget *parent) : QDialog(parent), m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Aide de Lumaro"));
    m_browser->setObjectName(QStringLiteral("helpBrowser"));
    m_browser->setOpenExternalLinks(true);
    m_browser->setSearchPaths({QStringLiteral(":/help")});

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *home = buttons->addButton(QStringLiteral("&Sommaire"), QDialogButtonBox::ActionRole);
    home->setObjectName(QStringLiteral("butSommaire"));
    QPushButton *back = buttons->addButton(QStringLiteral("&Précédent"), QDialogButtonBox::ActionRole);
    back->setObjectName(QStringLiteral("butPrecedent"));
    QPushButton *close = buttons->addButton(QStringLiteral("&Fermer"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("butFermer"));
    connect(home, &QPushButton::clicked, this, [this] { showTopic(1); });
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    back->setEnabled(false);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_browser, 1);
    layout->addWidget(buttons);
    resize(640, 560);
}

QString HelpWindow::pageForContext(int context)
{
    static const std::map<int, QString> pages = {
        {1, QStringLiteral("index.html")},  {2, QStringLiteral("principal.html")},  {3, QStringLiteral("batch.html")},
        {4, QStringLiteral("photophoto.html")}, {5, QStringLiteral("diaporama.html")}, {6, QStringLiteral("parametrage.html")}, {7, QStringLiteral("filtre.html")},
    };
    const auto found = pages.find(context);
    return found != pages.end() ? found->second : pages.at(1);
}

void HelpWindow::showTopic(int context)
{
    m_browser->setSource(QUrl(QStringLiteral("qrc:/help/") + pageForContext(context)));
}

void AfficherAide(int context, QWidget *parent)
{
    HelpWindow window(parent);
    window.showTopic(context);
    window.exec();
}

int contexteAide(const QWidget *window)
{
    for (const QWidget *w = window; w; w = w->parentWidget()) {
        const QVariant context = w->property("helpContext");
        if (context.isValid())
            return context.toInt();
    }
    return 1;
}
