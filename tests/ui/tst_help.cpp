// The help: every context a window can carry opens a page at an anchor that exists, the links
// between pages lead somewhere, each window's help page names every caption the window shows,
// and F1 opens the page of the window it is pressed in.
#include "app/forparametrage.h"
#include "app/forprincipal.h"
#include "controls/forselectionphoto.h"
#include "core/discovery/filtrephoto.h"
#include "core/settings/paramappli.h"
#include "dialogs/helpwindow.h"
#include "slideshow/fordiaporama.h"
#include "slideshow/forparamdiaporama.h"
#include "tests/testsupport.h"
#include "tools/democard.h"
#include "transfer/fortransfertbatch.h"
#include "transfer/fortransfertphase1.h"
#include "transfer/fortransfertphoto.h"
#include "update/forapropos.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMetaEnum>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QAbstractTextDocumentLayout>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextTable>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

namespace {

QList<Help::Context> allContexts()
{
    const QMetaEnum contexts = QMetaEnum::fromType<Help::Context>();
    QList<Help::Context> all;
    for (int i = 0; i < contexts.keyCount(); ++i)
        all << Help::Context(contexts.value(i));
    return all;
}

QString nameOf(Help::Context context)
{
    return QString::fromLatin1(QMetaEnum::fromType<Help::Context>().valueToKey(int(context)));
}

// Anchors and links of a page as the help window's own engine reads them.
struct PageParts {
    QStringList anchors;
    QList<QUrl> links;
    QString text;
};

PageParts partsOf(const QTextDocument *document)
{
    PageParts parts;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            parts.anchors << format.anchorNames();
            if (!format.anchorHref().isEmpty())
                parts.links << QUrl(format.anchorHref());
        }
    }
    parts.text = document->toPlainText().simplified();
    return parts;
}

PageParts pageParts(const QString &page)
{
    HelpWindow help;
    help.browser()->setSource(QUrl(QStringLiteral("qrc:/help/") + page));
    return partsOf(help.browser()->document());
}

// A caption as the help quotes it: without its accelerator mark, its colon or its extra blanks.
QString quoted(QString caption)
{
    caption.remove(u'&');
    caption = caption.simplified();
    if (caption.endsWith(u':'))
        caption.chop(1);
    return caption.trimmed();
}

// What a window shows the user by name: its buttons, check boxes, tabs, commands and the
// captions of its fields.
QStringList captionsShown(QWidget *window)
{
    QStringList captions;
    for (QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
        if (button->isVisibleTo(window) && !qobject_cast<QToolButton *>(button))
            captions << button->text();
    }
    for (QLabel *label : window->findChildren<QLabel *>()) {
        if (label->isVisibleTo(window) && label->text().trimmed().endsWith(u':'))
            captions << label->text();
    }
    for (QAction *action : window->findChildren<QAction *>()) {
        if (!action->isSeparator())
            captions << action->text();
    }
    return captions;
}

// What a window shows the user by name, on every one of its tabs.
QStringList captionsOf(QWidget *window)
{
    QStringList captions = captionsShown(window);
    for (QTabWidget *tabs : window->findChildren<QTabWidget *>()) {
        for (int i = 0; i < tabs->count(); ++i) {
            captions << tabs->tabText(i);
            tabs->setCurrentIndex(i);
            captions << captionsShown(window);
        }
    }
    QStringList result;
    for (const QString &caption : std::as_const(captions)) {
        const QString text = quoted(caption);
        if (text.size() > 3 && !result.contains(text))
            result << text;
    }
    return result;
}

} // namespace

class TestHelp : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<TParamAppli> m_settings;
    QStringList m_photos;

    // Every caption of the window is named on the page its F1 opens (or on the page given).
    void checkCaptions(QWidget *window, Help::Context context)
    {
        const QString page = Help::topicOf(context).page;
        const QString text = pageParts(page).text;
        const QStringList captions = captionsOf(window);
        QVERIFY2(captions.size() >= 2, qPrintable(window->objectName()));
        QStringList missing;
        for (const QString &caption : captions) {
            if (!text.contains(caption))
                missing << caption;
        }
        QVERIFY2(missing.isEmpty(), qPrintable(page + QStringLiteral(" ne cite pas : ") + missing.join(u'|')));
    }

private slots:
    void initTestCase()
    {
        TestSupport::isolateEnvironment();
        m_settings = std::make_unique<TParamAppli>(m_dir.filePath(QStringLiteral("settings/Lumaro.ini")));
        DemoCard::Options options;
        options.count = 2;
        options.size = QSize(160, 120);
        m_photos = DemoCard::write(m_dir.filePath(QStringLiteral("card")), options).photos;
    }

    void everyContextOpensAnExistingPageAtAnExistingAnchor()
    {
        const QList<Help::Context> contexts = allContexts();
        QVERIFY(contexts.contains(Help::Context::None));
        QVERIFY(contexts.size() >= 9);
        for (const Help::Context context : contexts) {
            const QString name = nameOf(context);
            const Help::Topic topic = Help::topicOf(context);
            if (context == Help::Context::None) {
                QVERIFY(topic.page.isEmpty());
                QVERIFY(Help::addressOf(context).isEmpty());
                continue;
            }
            QVERIFY2(!topic.page.isEmpty() && !topic.anchor.isEmpty(), qPrintable(name));
            QVERIFY2(QFile::exists(QStringLiteral(":/help/") + topic.page), qPrintable(name + u' ' + topic.page));
            HelpWindow help;
            help.showTopic(context);
            QCOMPARE(help.browser()->source(), Help::addressOf(context));
            const PageParts parts = partsOf(help.browser()->document());
            QVERIFY2(!parts.text.isEmpty(), qPrintable(name));
            QVERIFY2(parts.anchors.contains(topic.anchor), qPrintable(name + u' ' + topic.page + u'#' + topic.anchor));
        }
    }

    void theHelpWindowOpensAtTheAnchor()
    {
        // The batch window's topic lies far down its page: the page is scrolled to it.
        HelpWindow help;
        help.resize(500, 300);
        help.showTopic(Help::Context::BatchTransfer);
        help.show();
        QVERIFY(QTest::qWaitForWindowExposed(&help));
        QTRY_VERIFY(help.browser()->verticalScrollBar()->value() > 0);
        // "Sommaire" goes back to the contents, at their top.
        help.findChild<QPushButton *>(QStringLiteral("butSommaire"))->click();
        QCOMPARE(help.browser()->source().fileName(), QStringLiteral("index.html"));
    }

    void linksBetweenPagesLeadSomewhere()
    {
        const QStringList pages = QDir(QStringLiteral(":/help")).entryList({QStringLiteral("*.html")});
        QVERIFY(pages.size() >= 8);
        int followed = 0;
        for (const QString &page : pages) {
            for (const QUrl &link : pageParts(page).links) {
                if (!link.scheme().isEmpty())
                    continue; // an outside address
                const QString target = link.path().isEmpty() ? page : link.path();
                QVERIFY2(pages.contains(target), qPrintable(page + QStringLiteral(" -> ") + link.toString()));
                if (link.hasFragment())
                    QVERIFY2(pageParts(target).anchors.contains(link.fragment()),
                             qPrintable(page + QStringLiteral(" -> ") + link.toString()));
                ++followed;
            }
        }
        QVERIFY(followed >= 10);
    }

    void tablesKeepTheirCellsApart()
    {
        int tables = 0;
        for (const QString &page : QDir(QStringLiteral(":/help")).entryList({QStringLiteral("*.html")})) {
            HelpWindow help;
            help.browser()->setSource(QUrl(QStringLiteral("qrc:/help/") + page));
            QList<QTextFrame *> frames = help.browser()->document()->rootFrame()->childFrames();
            while (!frames.isEmpty()) {
                QTextFrame *frame = frames.takeFirst();
                frames << frame->childFrames();
                if (auto *table = qobject_cast<QTextTable *>(frame)) {
                    ++tables;
                    // Without room around their text, "Mode Photo/Photo" and "Traite…" read as one.
                    QVERIFY2(table->format().cellPadding() >= 3, qPrintable(page));
                    QVERIFY2(table->format().border() >= 1, qPrintable(page));
                }
            }
        }
        QVERIFY(tables >= 8);
    }

    void commandsAreNeverBrokenAcrossLines()
    {
        const QRegularExpression command(QStringLiteral("lumaro\\W+(AUTO|MANU)\\W+chemin"));
        for (const int width : {260, 320, 400, 520, 700}) {
            for (const QString &page : {QStringLiteral("index.html"), QStringLiteral("batch.html"),
                                        QStringLiteral("photophoto.html")}) {
                HelpWindow help;
                help.resize(width, 400);
                help.browser()->setSource(QUrl(QStringLiteral("qrc:/help/") + page));
                help.show();
                QVERIFY(QTest::qWaitForWindowExposed(&help));
                QTextDocument *document = help.browser()->document();
                document->documentLayout()->documentSize(); // the whole page laid out
                int found = 0;
                for (QTextCursor at = document->find(command); !at.isNull(); at = document->find(command, at)) {
                    ++found;
                    const QTextBlock block = at.block();
                    const QTextLine first = block.layout()->lineForTextPosition(at.selectionStart() - block.position());
                    const QTextLine last = block.layout()->lineForTextPosition(at.selectionEnd() - 1 - block.position());
                    QVERIFY2(first.isValid() && first.lineNumber() == last.lineNumber(),
                             qPrintable(QStringLiteral("%1 at %2: %3").arg(page).arg(width).arg(at.selectedText())));
                }
                QVERIFY2(found >= 1, qPrintable(page));
            }
        }
    }

    void eachWindowsPageNamesItsCaptions()
    {
        TforPrincipal main(m_dir.filePath(QStringLiteral("main/")));
        checkCaptions(&main, Help::contextOf(&main));
        TforAPropos about(m_dir.filePath(QStringLiteral("VersionLMR.txt")));
        checkCaptions(&about, Help::contextOf(&about));
        TforParametrage settings(*m_settings);
        checkCaptions(&settings, Help::contextOf(&settings));
        TFiltrePhoto filter(m_dir.filePath(QStringLiteral("settings/")));
        TforSelectionPhoto filterDialog(filter);
        checkCaptions(&filterDialog, Help::contextOf(&filterDialog));
        for (const int mode : {1, 2}) {
            TforTransfertPhase1 setUp(*m_settings, mode);
            checkCaptions(&setUp, Help::contextOf(&setUp));
        }
        QStringList photos = m_photos;
        TforTransfertPhoto photo(*m_settings, photos, m_dir.filePath(QStringLiteral("dest/")), QString(), false);
        checkCaptions(&photo, Help::contextOf(&photo));
        TforTransfertBatch batch(*m_settings, photos, BatchOptions{});
        checkCaptions(&batch, Help::contextOf(&batch));
        TforParamDiaporama slideshowSetUp(*m_settings);
        checkCaptions(&slideshowSetUp, Help::contextOf(&slideshowSetUp));
        // The player has no help of its own: its menu is described with the set-up.
        TforDiaporama player(*m_settings, photos);
        QCOMPARE(Help::contextOf(&player), Help::Context::None);
        checkCaptions(&player, Help::Context::SlideshowSetUp);
    }

    void pagesTellWhatTheWindowsSay()
    {
        // Messages and choices the user meets, quoted as the program shows them.
        const QList<QPair<Help::Context, QStringList>> quotes = {
            {Help::Context::SlideshowSetUp,
             {QStringLiteral("Le repertoire est vide !"), QStringLiteral("Veuillez saisir un répertoire."),
              QStringLiteral("Quitter le diaporama ?"), QStringLiteral("Supprimer la photo définitivement ?"),
              QStringLiteral("Exécuter en boucle")}},
            {Help::Context::About,
             {QStringLiteral("La vérification est terminée. Votre version est à jour."),
              QStringLiteral("Impossible de vérifier la mise à jour de version !")}},
            {Help::Context::Settings,
             {QStringLiteral("Standard Maximisé"), QStringLiteral("Simplifié Maximisé"),
              QStringLiteral("Au moins un des 3 paramètres #N, #ORIG ou #CPT est obligatoire")}},
            {Help::Context::PhotoByPhoto, {QStringLiteral("Confirmez vous l'arrêt du transfert ?")}},
        };
        for (const auto &[context, sayings] : quotes) {
            const QString text = pageParts(Help::topicOf(context).page).text;
            for (const QString &saying : sayings)
                QVERIFY2(text.contains(saying), qPrintable(nameOf(context) + QStringLiteral(": ") + saying));
        }
    }

    void f1OpensTheHelpOfTheWindowItIsPressedIn()
    {
        Help::KeyFilter filter;
        qApp->installEventFilter(&filter);
        QStringList opened;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&opened] {
            if (auto *help = qobject_cast<HelpWindow *>(QApplication::activeModalWidget())) {
                opened << help->browser()->source().toString();
                help->reject();
            }
        });
        poll.start(5);

        TforParamDiaporama setUp(*m_settings);
        setUp.show();
        QVERIFY(QTest::qWaitForWindowExposed(&setUp));
        QTest::keyClick(child(&setUp, "cbSousRepertoire"), Qt::Key_F1);
        QCOMPARE(opened, QStringList{QStringLiteral("qrc:/help/diaporama.html#parametrage")});
        setUp.close();

        // F1 within the help itself does not open a second help.
        opened.clear();
        HelpWindow help;
        help.show();
        QVERIFY(QTest::qWaitForWindowExposed(&help));
        QTest::keyClick(help.browser(), Qt::Key_F1);
        QVERIFY(opened.isEmpty());
        qApp->removeEventFilter(&filter);
    }

private:
    static QWidget *child(QWidget *parent, const char *name)
    {
        return parent->findChild<QWidget *>(QLatin1String(name));
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
