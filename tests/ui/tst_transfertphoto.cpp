// The photo-by-photo window, driven as a user would.
#include "controls/togglebutton.h"
#include "controls/grid/extendedgrid.h"
#include "controls/photoimage.h"
#include "controls/saisiedate.h"
#include "controls/wrappednamelabel.h"
#include "core/settings/paramappli.h"
#include "tests/testsupport.h"
#include "tests/ui/uisupport.h"
#include "tools/democard.h"
#include "transfer/fortransfertphoto.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using UiSupport::child;

namespace {

// Closes the message boxes that open, answering "yes" unless told otherwise, and records them.
class BoxAnswerer : public QObject {
public:
    QStringList seen;
    bool answer = true;
    BoxAnswerer()
    {
        connect(&m_poll, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || box == m_last)
                return;
            m_last = box;
            seen << box->windowTitle() + u'|' + box->text();
            const int result = answer ? QMessageBox::Yes : QMessageBox::No;
            QTimer::singleShot(0, box, [box, result] { box->done(result); });
        });
        m_poll.start(5);
    }

private:
    QTimer m_poll;
    QPointer<QMessageBox> m_last;
};

} // namespace

class TestTransfertPhoto : public QObject {
    Q_OBJECT

    QTemporaryDir *m_dir = nullptr;
    DemoCard::Contents m_card;
    QStringList m_photos;
    std::unique_ptr<TParamAppli> m_settings;

    QString path(const QString &relative) const { return m_dir->filePath(relative); }
    QString destination() const { return path(QStringLiteral("dest/")); }

    std::unique_ptr<TforTransfertPhoto> open(bool lowQuality = false)
    {
        auto window = std::make_unique<TforTransfertPhoto>(*m_settings, m_photos, destination(), QStringLiteral("Mer"),
                                                           lowQuality);
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            return nullptr;
        window->InitialiserAffichage();
        return window;
    }

private slots:
    void initTestCase() { TestSupport::isolateEnvironment(); }

    void init()
    {
        m_dir = new QTemporaryDir;
        DemoCard::Options options;
        options.count = 4;
        options.size = QSize(400, 304);
        m_card = DemoCard::write(path(QStringLiteral("card")), options);
        m_photos = m_card.photos;
        m_settings = std::make_unique<TParamAppli>(path(QStringLiteral("settings/Lumaro.ini")));
        m_settings->Executer = false;
    }

    void cleanup()
    {
        m_settings.reset();
        delete m_dir;
        m_dir = nullptr;
    }

    void layoutActionsAndToggles()
    {
        m_settings->RotationAuto = true;
        auto window = open(true);
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QStringLiteral("Lumaro"));
        QCOMPARE(window->property("helpContext").toInt(), 4);
        QCOMPARE(window->minimumSize(), QSize(799, 595));
        const QList<QPair<const char *, QString>> actions = {
            {"actPrecedent", QStringLiteral("&Précédente")}, {"actBasseQualite", QStringLiteral("Basse résolution")},
            {"actTransfert", QStringLiteral("&Transférer")}, {"actSuivant", QStringLiteral("&Suivante")},
            {"actArreter", QStringLiteral("&Arrêter")}};
        for (const auto &[name, caption] : actions)
            QCOMPARE(child<QAction>(window.get(), name)->text(), caption);
        QCOMPARE(child<QAction>(window.get(), "actTransfert")->shortcut(), QKeySequence(QStringLiteral("Alt+T")));
        QVERIFY(!child<QAction>(window.get(), "actPrecedent")->isEnabled());
        QVERIFY(child<QAction>(window.get(), "actSuivant")->isEnabled());
        QCOMPARE(child<QGroupBox>(window.get(), "gbInfoPhoto")->title(), QStringLiteral("Photo 1 / 4"));

        auto *rotation = child<ToggleButton>(window.get(), "sbRotationAutomatique");
        auto *low = child<ToggleButton>(window.get(), "sbLowQuality");
        auto *exif = child<ToggleButton>(window.get(), "sbExportExif");
        QVERIFY(rotation->isChecked() && low->isChecked() && !exif->isChecked());
        QCOMPARE(rotation->toolTip(), QStringLiteral("Désactiver la rotation automatique"));
        QCOMPARE(exif->toolTip(), QStringLiteral("Activer la sauvegarde des informations EXIF"));
        low->click();
        QCOMPARE(low->toolTip(), QStringLiteral("Activer l'enregistrement d'une copie basse résolution"));
        QVERIFY(!window->session().lowQuality());

        // The EXIF table: a title row and one row per entry, nothing selectable.
        auto *grid = child<TExtendedGrid>(window.get(), "egInfoExif");
        QCOMPARE(grid->RowCount(), window->session().InfosExif().Count() + 1);
        QCOMPARE(grid->Cells(0, 1), window->session().InfosExif().Items(0).Nom);
        QCOMPARE(grid->Colonnes()[0].Titre().Caption(), QStringLiteral("Information"));
        QCOMPARE(grid->Colonnes()[1].Largeur(), 160);
        QVERIFY(!grid->canSelect(1, 1));
        // No name is cut ("Date and Time (digitized)" is wider than the column's first 130
        // pixels), and the two columns still fit beside each other at the smallest size.
        const QFontMetrics metrics(grid->font());
        int widest = 0;
        for (int row = 1; row < grid->RowCount(); ++row)
            widest = qMax(widest, metrics.horizontalAdvance(grid->Cells(0, row)));
        QVERIFY(widest > 130);
        QVERIFY(grid->Colonnes()[0].Largeur() > widest);
        QVERIFY(grid->Colonnes()[0].Largeur() + 160 <= grid->viewport()->width());
    }

    void withoutExifManagement()
    {
        m_settings->GestionEXIF = false;
        m_settings->RotationAuto = true;
        m_settings->ExportInfoExif = true;
        auto window = open();
        QVERIFY(window);
        auto *rotation = child<ToggleButton>(window.get(), "sbRotationAutomatique");
        auto *exif = child<ToggleButton>(window.get(), "sbExportExif");
        QVERIFY(!rotation->isEnabled() && !rotation->isChecked());
        QVERIFY(!exif->isEnabled() && !exif->isChecked());
        auto *grid = child<TExtendedGrid>(window.get(), "egInfoExif");
        QCOMPARE(grid->RowCount(), 2);
        QCOMPARE(grid->Cells(0, 1), QStringLiteral("Date taken"));
    }

    void simplifiedAndMaximisedDisplays()
    {
        m_settings->ModeAffichagePP = 3;
        bool maximised = false, simplified = false, hint = false, standardAgain = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto *window = qobject_cast<TforTransfertPhoto *>(QApplication::activeModalWidget());
            if (!window)
                return;
            poll.stop();
            maximised = window->windowState() & Qt::WindowMaximized;
            auto *switcher = child<QToolButton>(window, "sbAgrandirEcran");
            simplified = switcher->isChecked() && !child<QWidget>(window, "panInfoExif")->isVisible()
                         && !child<QWidget>(window, "panSaisie")->isVisible();
            hint = switcher->toolTip() == QStringLiteral("Revenir à un affichage standard.");
            switcher->click();
            standardAgain = child<QWidget>(window, "panInfoExif")->isVisible()
                            && switcher->toolTip() == QStringLiteral("Passer en mode affichage simplifié.");
            window->close();
        });
        poll.start(5);
        QCOMPARE(LancerTransfertPhoto(*m_settings, m_photos, destination(), QString(), false), int(QDialog::Rejected));
        QVERIFY(maximised);
        QVERIFY(simplified);
        QVERIFY(hint);
        QVERIFY(standardAgain);
    }

    void nameFollowsThemeAndDate()
    {
        m_settings->MasqueNomPhoto = QStringLiteral("#AAAA-#M-#J #HH#MI#SS #THEME #N");
        auto window = open();
        QVERIFY(window);
        auto *name = child<WrappedNameLabel>(window.get(), "labNomFinalPhoto");
        auto *theme = child<QComboBox>(window.get(), "saiNomPhoto");
        QVERIFY(name->text().endsWith(QStringLiteral(" Mer 1.JPG")));
        QCOMPARE(name->toolTip(), destination() + name->text());
        theme->lineEdit()->setFocus();
        theme->lineEdit()->selectAll();
        QTest::keyClicks(theme->lineEdit(), QStringLiteral("Port"));
        QVERIFY(name->text().endsWith(QStringLiteral(" Port 1.JPG")));
        const QString withSeconds = name->text();
        QVERIFY(!withSeconds.contains(QStringLiteral("091500 ")));

        // Opening the editor drops the seconds; a new day shows at once; closing restores it.
        auto *change = child<QPushButton>(window.get(), "butChangeDatePhoto");
        change->click();
        QVERIFY(child<QWidget>(window.get(), "panSaisieDatePhoto")->isVisible());
        QVERIFY(name->text().contains(QStringLiteral("00 Port")));
        auto *day = child<TSaisieDate>(window.get(), "sdDatePhoto");
        day->EcrireDate(38031.0); // 14 February 2004
        QVERIFY(name->text().startsWith(QStringLiteral("2004-02-14 ")));
        // An editor holding no date keeps the last valid one: never 29/12/1899.
        day->setText(QString());
        QVERIFY(name->text().startsWith(QStringLiteral("2004-02-14 ")));
        change->click();
        QVERIFY(!child<QWidget>(window.get(), "panSaisieDatePhoto")->isVisible());
        QVERIFY(name->text().startsWith(QStringLiteral("2024-07-12 ")));

        // Themes typed are kept for later photos once the box is left.
        child<QPushButton>(window.get(), "butChangeDatePhoto")->setFocus();
        QVERIFY(theme->findText(QStringLiteral("Port")) >= 0);
        child<QAction>(window.get(), "actSuivant")->trigger();
        QCOMPARE(theme->currentText(), QStringLiteral("Port"));
    }

    // The name is what the user checks before "Transférer": at the window's smallest size it is
    // read whole, however long the theme, and the tooltip gives the whole path.
    void wholeNameShownAtTheSmallestSize()
    {
        m_settings->MasqueNomPhoto = QStringLiteral("#AAAA-#M-#J #HHh#MI - #THEME #N3");
        auto window = open();
        QVERIFY(window);
        QCOMPARE(window->size(), window->minimumSize());
        auto *name = child<WrappedNameLabel>(window.get(), "labNomFinalPhoto");
        auto *theme = child<QComboBox>(window.get(), "saiNomPhoto");
        auto *group = child<QGroupBox>(window.get(), "gbParametreTransfert");
        const int height = name->height();
        for (const QString &typed : {QStringLiteral("Anniversaire de Jérémie Tog"),
                                     QStringLiteral("Anniversaire de Jérémie au bord du lac avec Tog"),
                                     QStringLiteral("Anniversaire_de_Jérémie_au_bord_du_lac")}) {
            theme->lineEdit()->selectAll();
            theme->lineEdit()->insert(typed); // as typed: key clicks carry no accents
            const QString full = window->session().NomFinal();
            const QString fileName = full.mid(full.lastIndexOf(u'/') + 1);
            QVERIFY2(fileName.contains(typed) && fileName.endsWith(QStringLiteral(" 001.JPG")), qPrintable(fileName));
            QCOMPARE(name->text(), fileName);
            QCOMPARE(name->toolTip(), full);
            // Drawn whole, inside its own room, inside the group, in readable type.
            QVERIFY2(name->showsWholeText(), qPrintable(name->shownLines().join(u'|')));
            QCOMPARE(name->shownLines().join(QString()), fileName);
            const QFontMetrics metrics(name->shownFont(), name);
            for (const QString &line : name->shownLines())
                QVERIFY(metrics.horizontalAdvance(line.trimmed()) <= name->contentsRect().width());
            QVERIFY(metrics.lineSpacing() * name->shownLines().size() <= name->contentsRect().height());
            QVERIFY(name->shownFont().pointSizeF() >= WrappedNameLabel::MinimumPointSize);
            QVERIFY(name->isVisible());
            QVERIFY(group->contentsRect().contains(QRect(name->mapTo(group, QPoint(0, 0)), name->size())));
            // The window does not move from one name to the next.
            QCOMPARE(name->height(), height);
            QCOMPARE(window->size(), window->minimumSize());
        }
    }

    void transferOneByOne()
    {
        m_settings->SupprimerPhoto = true;
        m_photos = m_photos.mid(0, 3);
        auto window = open();
        QVERIFY(window);
        QTest::keyClick(window.get(), Qt::Key_T, Qt::AltModifier);
        QCOMPARE(window->session().PhotosTransferees().size(), 1);
        QVERIFY(!QFile::exists(m_card.photos[0]));
        // The photo that followed has moved into place.
        QCOMPARE(child<QGroupBox>(window.get(), "gbInfoPhoto")->title(), QStringLiteral("Photo 1 / 2"));
        QCOMPARE(child<QLabel>(window.get(), "labNomPhoto")->text(), m_card.photos[1]);
        QVERIFY(!window->picture().isNull());

        // Low resolution only: the photo stays, the window moves on.
        child<QAction>(window.get(), "actBasseQualite")->trigger();
        QCOMPARE(window->session().PhotosTransferees().size(), 2);
        QVERIFY(QFile::exists(m_card.photos[1]));
        QCOMPARE(child<QGroupBox>(window.get(), "gbInfoPhoto")->title(), QStringLiteral("Photo 2 / 2"));

        // The last one ends the window.
        child<QAction>(window.get(), "actTransfert")->trigger();
        QVERIFY(!window->isVisible());
        QCOMPARE(window->result(), int(QDialog::Accepted));
        QCOMPARE(window->session().PhotosTransferees().size(), 3);
    }

    void inputDuringACopyIsDropped()
    {
        auto window = open();
        QVERIFY(window);
        bool disabledDuringCopy = false;
        // Arrives while the copy is under way: a second "Transférer" and "Arrêter".
        QTimer::singleShot(0, this, [&] {
            disabledDuringCopy = window->busy()
                                 && !child<QAction>(window.get(), "actTransfert")->isEnabled()
                                 && !child<QComboBox>(window.get(), "saiNomPhoto")->isEnabled();
            child<QAction>(window.get(), "actTransfert")->trigger();
            child<QAction>(window.get(), "actArreter")->trigger();
            window->close();
        });
        child<QAction>(window.get(), "actTransfert")->trigger();
        QVERIFY(disabledDuringCopy);
        QCOMPARE(window->session().PhotosTransferees().size(), 1);
        QVERIFY(window->isVisible());
        QCOMPARE(window->session().NumeroPhoto(), 2);
        QVERIFY(child<QAction>(window.get(), "actTransfert")->isEnabled());
    }

    void aPhotoThatDoesNotOpen()
    {
        QFile::resize(m_photos[0], 120);
        BoxAnswerer boxes;
        auto window = open();
        QVERIFY(window);
        QTRY_COMPARE(boxes.seen.size(), 1);
        QVERIFY(boxes.seen[0].startsWith(QStringLiteral("Erreur|Erreur lors de l'ouverture du fichier ") + m_photos[0]
                                         + QStringLiteral(".\n")));
        QVERIFY(window->picture().isNull());
        QCOMPARE(child<TExtendedGrid>(window.get(), "egInfoExif")->Cells(0, 1), QStringLiteral("Date taken"));
        // It can still be transferred: copied as it is.
        child<QAction>(window.get(), "actTransfert")->trigger();
        QCOMPARE(window->session().PhotosTransferees().size(), 1);
    }

    void stopAsksOnlyWhenPhotosRemain()
    {
        BoxAnswerer boxes;
        boxes.answer = false;
        auto window = open();
        QVERIFY(window);
        child<QAction>(window.get(), "actArreter")->trigger();
        QTRY_COMPARE(boxes.seen, QStringList(QStringLiteral("Confirmez vous l'arrêt du transfert ?").prepend(
                                     QStringLiteral("Confirmation|"))));
        QVERIFY(window->isVisible());
        for (int i = 0; i < 3; ++i)
            child<QAction>(window.get(), "actSuivant")->trigger();
        child<QAction>(window.get(), "actArreter")->trigger();
        QVERIFY(!window->isVisible());
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(window->result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(TestTransfertPhoto)
#include "tst_transfertphoto.moc"
