// The settings dialog, driven as the user does: what it shows, which boxes enable which
// controls, what "&Valider" checks and writes, and what "&Annuler" or a failed write leave.
#include "app/forparametrage.h"
#include "app/forprincipal.h"
#include "controls/saisie.h"
#include "controls/saisiebouton.h"
#include "controls/saisieentier.h"
#include "core/settings/paramappli.h"
#include "dialogs/choisirrepertoire.h"
#include "tests/testsupport.h"
#include "tests/ui/uisupport.h"
#include "tests/ui/modaldriver.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QTreeView>

#include <memory>

using TestSupport::readFile;
using TestSupport::writeFile;

using UiSupport::child;

namespace {

QCheckBox *box(const QWidget *dialog, const char *name)
{
    return child<QCheckBox>(dialog, name);
}

// The names of the widgets among `names` that are enabled.
QStringList enabledOf(const QWidget *dialog, const QStringList &names)
{
    QStringList result;
    for (const QString &name : names)
        if (child(dialog, qPrintable(name))->isEnabled())
            result << name;
    return result;
}

const QStringList SlideshowControls = {"cbDiaporamaAuto", "seTempsDiaporama", "cbBouclerDiaporama", "cbNomPhotoDiaporama",
                                       "cbCacherCurseurDiapo", "labTempsDiapo1", "labTempsDiapo2"};
const QStringList DelayControls = {"seTempsDiaporama", "cbBouclerDiaporama", "labTempsDiapo1", "labTempsDiapo2"};

// "title|text" of the message box, after pressing its OK button.
ModalDriver::Step answerOk(QString *seen)
{
    return [seen](QWidget *modal) {
        if (auto *messageBox = qobject_cast<QMessageBox *>(modal)) {
            *seen = messageBox->windowTitle() + u'|' + messageBox->text();
            ModalDriver::press(QStringLiteral("OK"))(modal);
        }
    };
}

void key(QWidget *target, QEvent::Type type, int code)
{
    QKeyEvent event(type, code, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

} // namespace

class TestParametrage : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    QString ini() const { return m_dir->filePath(QStringLiteral("Lumaro.ini")); }

    // The dialog over a store read from `content` (no file when null).
    struct Opened {
        std::unique_ptr<TParamAppli> settings;
        std::unique_ptr<TforParametrage> dialog;
    };
    Opened open(const char *content = nullptr)
    {
        if (content && !writeFile(ini(), content))
            qWarning("cannot write the settings file");
        Opened opened;
        opened.settings = std::make_unique<TParamAppli>(ini());
        opened.dialog = std::make_unique<TforParametrage>(*opened.settings);
        opened.dialog->show();
        if (!QTest::qWaitForWindowExposed(opened.dialog.get()))
            qWarning("the dialog is not shown");
        return opened;
    }

private slots:
    void initTestCase() { TestSupport::isolateEnvironment(); }
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void pagesCaptionsAndNothingCut()
    {
        Opened o = open();
        TforParametrage &d = *o.dialog;
        QCOMPARE(d.windowTitle(), QStringLiteral("Paramétrage de Lumaro"));
        QCOMPARE(d.property("helpContext").toInt(), 6);
        auto *pages = child<QTabWidget>(&d, "pcParametrage");
        QStringList captions, names;
        for (int i = 0; i < pages->count(); ++i) {
            captions << pages->tabText(i);
            names << pages->widget(i)->objectName();
        }
        QCOMPARE(captions, (QStringList{"Général", "Masque répertoire", "Masque fichier", "Basse résolution", "Diaporama"}));
        QCOMPARE(names, (QStringList{"tsDivers", "tsMasque", "tsMasqueFichier", "tsLowQuality", "tsDiaporama"}));
        QCOMPARE(pages->currentIndex(), 0);
        QCOMPARE(child<QPushButton>(&d, "butValider")->text(), QStringLiteral("&Valider"));
        QCOMPARE(child<QPushButton>(&d, "butAnnuler")->text(), QStringLiteral("&Annuler"));
        QVERIFY(child(&d, "cbGestionExif")->isHidden());
        QVERIFY(child<QLabel>(&d, "panTagsPhotoTexte")->text().endsWith(
            QStringLiteral("#CPTx: (ou x = 1 à 9) Compteur indépendant du nom de la photo")));
        QCOMPARE(child<QLabel>(&d, "panTagsPhotoTexte")->text().count(u'\n'), 15);
        QVERIFY(child<QLabel>(&d, "panTagsRepertoireTexte")->text().contains(QStringLiteral("\nExemples :\n")));
        QCOMPARE(child(&d, "panTagsPhoto")->focusPolicy(), Qt::NoFocus);

        // Every caption of every page is shown whole with this system's fonts.
        for (int i = 0; i < pages->count(); ++i) {
            pages->setCurrentIndex(i);
            QApplication::processEvents();
            const QWidget *page = pages->widget(i);
            for (QWidget *w : page->findChildren<QWidget *>()) {
                if (!w->isVisible() || !(qobject_cast<QLabel *>(w) || qobject_cast<QCheckBox *>(w)
                                         || qobject_cast<QRadioButton *>(w) || qobject_cast<QGroupBox *>(w)))
                    continue;
                QVERIFY2(w->width() >= w->sizeHint().width() && w->height() >= w->minimumSizeHint().height(),
                         qPrintable(w->objectName()));
                QVERIFY2(page->rect().contains(QRect(w->mapTo(page, QPoint(0, 0)), w->size())), qPrintable(w->objectName()));
            }
        }
    }

    // "/" is what an empty choice is saved as: shown empty, as in the transfer's set-up dialog.
    void aDestinationSavedEmptyShowsEmpty()
    {
        Opened o = open("[General]\r\nRepertoirePhoto=/\r\n");
        QCOMPARE(child<TSaisieListe>(o.dialog.get(), "slRepertoire")->text(), QString());
    }

    // Every control shows its setting, and every control's change reaches the file.
    void everyControlIsTiedToItsSetting()
    {
        Opened o = open("[General]\r\nLecteurCarte=/media/carte\r\nRepertoirePhoto=/photos/\r\nMasqueNomPhoto=#ORIG\r\n"
                        "RotationAuto=1\r\nExportInfoExif=1\r\nRepertoireSpecif=1\r\nMasqueRepertoire=#AAAA/#MMM\r\n"
                        "SupprimerPhoto=1\r\nMiniatureBatch=0\r\nRepertoireAIgnorer=/media/carte/THUMB\r\nModeAffichagePP=2\r\n"
                        "ExtensionSupp=GIF;AVI\r\n[ImagesLowQ]\r\nQualite=75\r\nSuffixe=Petit\r\nRepertoire=Mail\r\n"
                        "Activer=1\r\nRedimensionner=1\r\nIndiceNewDim=3\r\nGarderInfoEXIF=0\r\nGarderInfoDateEXIF=1\r\n"
                        "[Diaporama]\r\nExecuter=0\r\nActiver=0\r\nTempo=12\r\nAfficherNom=1\r\nBoucler=1\r\nCacherCurseur=0\r\n");
        TforParametrage &d = *o.dialog;
        QCOMPARE(child<TSaisieListe>(&d, "slLecteurCarte")->text(), QStringLiteral("/media/carte/"));
        QCOMPARE(child<TSaisieListe>(&d, "slRepertoire")->text(), QStringLiteral("/photos/"));
        QCOMPARE(child<TSaisieListe>(&d, "slRepertoireAIgnorer")->text(), QStringLiteral("/media/carte/THUMB"));
        QCOMPARE(child<TSaisie>(&d, "saiMasqueNomPhoto")->text(), QStringLiteral("#ORIG"));
        QCOMPARE(child<TSaisie>(&d, "saiMasqueRepertoire")->text(), QStringLiteral("#AAAA/#MMM"));
        QCOMPARE(child<TSaisie>(&d, "saiExtensionSupp")->text(), QStringLiteral("GIF;AVI"));
        QCOMPARE(child<TSaisie>(&d, "saiSuffixeLowQ")->text(), QStringLiteral("Petit"));
        QCOMPARE(child<TSaisie>(&d, "saiRepertoireLow")->text(), QStringLiteral("Mail"));
        QCOMPARE(child<QSlider>(&d, "tbGaugeQualiteJPG")->value(), 75);
        QCOMPARE(child<QComboBox>(&d, "cbModeAffichagePP")->currentText(), QStringLiteral("Simplifié"));
        QCOMPARE(child<QRadioButton>(&d, "rgDimensionLowQ3")->text(), QStringLiteral("800 * 600"));
        QVERIFY(child<QRadioButton>(&d, "rgDimensionLowQ3")->isChecked());
        QCOMPARE(child<TSaisieEntier>(&d, "seTempsDiaporama")->Valeur(), 12);
        const QStringList ticked = {"cbRotationAuto", "cbExportExif", "cbRepertoireSpecifique", "cbSupprimerPhoto",
                                    "cbActiverLowQuality", "cbRedimensionLowQ", "cbGarderInfoDateLow",
                                    "cbNomPhotoDiaporama", "cbBouclerDiaporama", "cbGestionExif"};
        const QStringList unticked = {"cbGarderInfoExifLQ", "cbExecuterDiaporama", "cbDiaporamaAuto", "cbCacherCurseurDiapo"};
        for (const QString &name : ticked)
            QVERIFY2(box(&d, qPrintable(name))->isChecked(), qPrintable(name));
        for (const QString &name : unticked)
            QVERIFY2(!box(&d, qPrintable(name))->isChecked(), qPrintable(name));

        // Now change every control.
        child<TSaisie>(&d, "saiMasqueNomPhoto")->setText(QStringLiteral("#THEME #CPT3"));
        child<TSaisie>(&d, "saiMasqueRepertoire")->setText(QStringLiteral("#AA"));
        child<TSaisie>(&d, "saiExtensionSupp")->setText(QStringLiteral("TIFF"));
        child<TSaisie>(&d, "saiSuffixeLowQ")->setText(QStringLiteral("Low 2"));
        child<TSaisie>(&d, "saiRepertoireLow")->setText(QStringLiteral("Basse"));
        child<QSlider>(&d, "tbGaugeQualiteJPG")->setValue(20);
        child<QComboBox>(&d, "cbModeAffichagePP")->setCurrentIndex(1);
        child<QRadioButton>(&d, "rgDimensionLowQ5")->click();
        child<TSaisieEntier>(&d, "seTempsDiaporama")->setValeur(30);
        child<TSaisieListe>(&d, "slRepertoireAIgnorer")->setText(QStringLiteral("/media/carte/MISC"));
        // The slideshow box first: the boxes that follow it are disabled until it is ticked.
        box(&d, "cbExecuterDiaporama")->click();
        for (const QString &name : ticked + unticked)
            if (name != QLatin1String("cbGestionExif") && name != QLatin1String("cbExecuterDiaporama"))
                box(&d, qPrintable(name))->click();
        child<QPushButton>(&d, "butValider")->click();
        QCOMPARE(d.result(), int(QDialog::Accepted));

        const TParamAppli saved(ini());
        QCOMPARE(o.settings->describe(), saved.describe());
        QCOMPARE(saved.LecteurCarte, QStringLiteral("/media/carte/"));
        QCOMPARE(saved.RepertoirePhoto, QStringLiteral("/photos/"));
        QCOMPARE(saved.MasqueNomPhoto, QStringLiteral("#THEME #CPT3"));
        QCOMPARE(saved.MasqueRepertoire, QStringLiteral("#AA"));
        QCOMPARE(saved.ExtensionSupp, QStringLiteral("TIFF"));
        QCOMPARE(saved.Suffixe, QStringLiteral("Low 2"));
        QCOMPARE(saved.Repertoire, QStringLiteral("Basse"));
        QCOMPARE(saved.RepertoireAIgnorer, QStringLiteral("/media/carte/MISC"));
        QCOMPARE(saved.Qualite, 20);
        QCOMPARE(saved.ModeAffichagePP, 1);
        QCOMPARE(saved.IndiceNewDim, 5);
        QCOMPARE(saved.Tempo, 30);
        QVERIFY(!saved.RotationAuto && !saved.ExportInfoExif && !saved.RepertoireSpecif && !saved.SupprimerPhoto);
        QVERIFY(!saved.ActiverLowQ && !saved.Redimensionner && !saved.GarderInfoDateEXIF && saved.GarderInfoEXIF);
        QVERIFY(!saved.AfficherNom && !saved.Boucler && saved.Executer && saved.ActiverDiaporama && saved.CacherCurseur);
        QVERIFY(!saved.MiniatureBatch()); // not the dialog's
    }

    void slideshowRulesLastOneThatRanDecides()
    {
        // Opening runs the slideshow rule after the automatic-advance rule: the delay is enabled.
        Opened o = open("[Diaporama]\r\nExecuter=1\r\nActiver=0\r\n");
        TforParametrage &d = *o.dialog;
        QCOMPARE(enabledOf(&d, SlideshowControls), SlideshowControls);
        box(&d, "cbExecuterDiaporama")->click();
        QVERIFY(enabledOf(&d, SlideshowControls).isEmpty());
        box(&d, "cbExecuterDiaporama")->click();
        QCOMPARE(enabledOf(&d, SlideshowControls), SlideshowControls); // whatever the automatic box shows
        box(&d, "cbDiaporamaAuto")->click(); // ticked now
        QCOMPARE(enabledOf(&d, SlideshowControls), SlideshowControls);
        box(&d, "cbDiaporamaAuto")->click(); // unticked
        QCOMPARE(enabledOf(&d, SlideshowControls),
                 (QStringList{"cbDiaporamaAuto", "cbNomPhotoDiaporama", "cbCacherCurseurDiapo"}));

        // With no slideshow at the end of a transfer, every slideshow control opens disabled.
        Opened off = open("[Diaporama]\r\nExecuter=0\r\nActiver=1\r\n");
        QVERIFY(enabledOf(off.dialog.get(), SlideshowControls).isEmpty());
        box(off.dialog.get(), "cbDiaporamaAuto")->setChecked(false);
        box(off.dialog.get(), "cbDiaporamaAuto")->setChecked(true); // the rule of the box that ran last
        QCOMPARE(enabledOf(off.dialog.get(), SlideshowControls), DelayControls);
    }

    void folderMaskAndResizeRules()
    {
        Opened o = open("[General]\r\nRepertoireSpecif=0\r\n[ImagesLowQ]\r\nRedimensionner=1\r\n");
        TforParametrage &d = *o.dialog;
        QWidget *mask = child(&d, "saiMasqueRepertoire");
        QWidget *sizes = child(&d, "rgDimensionLowQ");
        QVERIFY(!mask->isEnabled() && sizes->isEnabled());
        box(&d, "cbRepertoireSpecifique")->click();
        box(&d, "cbRedimensionLowQ")->click();
        QVERIFY(mask->isEnabled() && !sizes->isEnabled());
        QVERIFY(!child(&d, "rgDimensionLowQ0")->isEnabled()); // the items follow their group
    }

    void photoNameMaskIsChecked_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("date and theme only") << QStringLiteral("#AAAA #THEME") << false;
        QTest::newRow("#orig in lower case") << QStringLiteral("#orig") << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("#N3") << QStringLiteral("#AAAA-#N3") << true;
        QTest::newRow("#CPT2") << QStringLiteral("x #CPT2") << true;
        QTest::newRow("#ORIG") << QStringLiteral("#ORIG") << true;
    }
    void photoNameMaskIsChecked()
    {
        QFETCH(QString, mask);
        QFETCH(bool, accepted);
        const QByteArray before = "[General]\r\nMasqueNomPhoto=#N\r\n";
        Opened o = open(before.constData());
        TforParametrage &d = *o.dialog;
        auto *pages = child<QTabWidget>(&d, "pcParametrage");
        auto *edit = child<TSaisie>(&d, "saiMasqueNomPhoto");
        pages->setCurrentIndex(4);
        edit->setText(mask);
        child<QPushButton>(&d, "butAnnuler")->setFocus();

        QString seen;
        ModalDriver driver;
        if (!accepted)
            driver.then(answerOk(&seen));
        child<QPushButton>(&d, "butValider")->click();
        if (accepted) {
            QCOMPARE(d.result(), int(QDialog::Accepted));
            QCOMPARE(TParamAppli(ini()).MasqueNomPhoto, mask);
            return;
        }
        QCOMPARE(seen, QStringLiteral("Information|Au moins un des 3 paramètres #N, #ORIG ou #CPT est obligatoire dans le "
                                      "masque du nom de la photo."));
        QVERIFY(d.isVisible());
        QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("tsMasqueFichier"));
        QTRY_COMPARE(d.focusWidget(), edit);
        QCOMPARE(readFile(ini()), before);
        QCOMPARE(o.settings->MasqueNomPhoto, QStringLiteral("#N"));
    }

    void exifSettingsAreForcedOffWithoutExifManagement()
    {
        Opened o = open("[General]\r\nGestionEXIF=0\r\nRotationAuto=1\r\nExportInfoExif=1\r\n"
                        "[ImagesLowQ]\r\nGarderInfoEXIF=1\r\n");
        TforParametrage &d = *o.dialog;
        for (const char *name : {"cbRotationAuto", "cbExportExif", "cbGarderInfoExifLQ"})
            QVERIFY2(!box(&d, name)->isEnabled() && box(&d, name)->isChecked(), name);
        child<QPushButton>(&d, "butValider")->click();
        const QByteArray saved = readFile(ini());
        QVERIFY(saved.contains("RotationAuto=0\r\n") && saved.contains("ExportInfoExif=0\r\n"));
        QVERIFY(saved.contains("GarderInfoEXIF=0\r\n"));
        QVERIFY(saved.contains("GestionEXIF=0\r\n")); // never written, so never lost
        QVERIFY(!o.settings->RotationAuto && !o.settings->ExportInfoExif && !o.settings->GarderInfoEXIF);
    }

    void deleteEmptiesTheFolderToIgnore()
    {
        Opened o = open("[General]\r\nRepertoireAIgnorer=/media/carte/THUMB\r\n");
        TforParametrage &d = *o.dialog;
        auto *edit = child<TSaisieListe>(&d, "slRepertoireAIgnorer");
        QVERIFY(edit->isReadOnly());
        key(edit, QEvent::KeyPress, Qt::Key_Backspace);
        key(edit, QEvent::KeyRelease, Qt::Key_Backspace);
        key(edit, QEvent::KeyPress, Qt::Key_Delete);
        QCOMPARE(edit->text(), QStringLiteral("/media/carte/THUMB"));
        key(edit, QEvent::KeyRelease, Qt::Key_Delete);
        QCOMPARE(edit->text(), QString());
        child<QPushButton>(&d, "butValider")->click();
        QVERIFY(readFile(ini()).contains("\r\nRepertoireAIgnorer=\r\n"));
    }

    void qualityLabelFollowsTheTrackBar()
    {
        Opened low = open("[ImagesLowQ]\r\nQualite=1\r\n");
        QCOMPARE(child<QLabel>(low.dialog.get(), "labQualiteJpg")->text(), QStringLiteral("1 %"));
        auto *bar = child<QSlider>(low.dialog.get(), "tbGaugeQualiteJPG");
        QCOMPARE(bar->tickInterval(), 5);
        bar->setValue(40);
        QCOMPARE(child<QLabel>(low.dialog.get(), "labQualiteJpg")->text(), QStringLiteral("40 %"));

        Opened high = open("[ImagesLowQ]\r\nQualite=250\r\n");
        QCOMPARE(child<QSlider>(high.dialog.get(), "tbGaugeQualiteJPG")->value(), 100);
        QCOMPARE(child<QLabel>(high.dialog.get(), "labQualiteJpg")->text(), QStringLiteral("100 %"));
        child<QPushButton>(high.dialog.get(), "butValider")->click();
        QCOMPARE(TParamAppli(ini()).Qualite, 100);
    }

    void numericAndTextFieldsKeepTheirBounds()
    {
        Opened o = open();
        TforParametrage &d = *o.dialog;
        auto *delay = child<TSaisieEntier>(&d, "seTempsDiaporama");
        QCOMPARE(delay->ValeurMin(), 0);
        QCOMPARE(delay->ValeurMax(), 60);
        QVERIFY(!delay->AutoriseSigne());
        auto *bar = child<QSlider>(&d, "tbGaugeQualiteJPG");
        QCOMPARE(bar->minimum(), 1);
        QCOMPARE(bar->maximum(), 100);

        // Typing 7 then 0 refuses the 0 with the edit's own message.
        child<QTabWidget>(&d, "pcParametrage")->setCurrentIndex(4);
        QApplication::setActiveWindow(&d);
        delay->setFocus();
        delay->selectAll();
        QString seen;
        ModalDriver driver;
        driver.then(answerOk(&seen));
        QTest::keyClick(delay, Qt::Key_7);
        QTest::keyClick(delay, Qt::Key_0);
        QTRY_COMPARE(seen, QStringLiteral("Avertissement|La valeur doit être inférieure ou égale à 60."));
        QCOMPARE(delay->text(), QStringLiteral("7"));

        // The suffix takes ten characters at most, and no path separator.
        auto *suffix = child<TSaisie>(&d, "saiSuffixeLowQ");
        QCOMPARE(suffix->maxLength(), 10);
        QVERIFY(!suffix->filter().accepts(u'/'));
        QVERIFY(suffix->filter().accepts(u'a') && suffix->filter().accepts(u' ') && suffix->filter().accepts(u'-'));
        QVERIFY(child<TSaisie>(&d, "saiMasqueNomPhoto")->filter().accepts(u'#'));
    }

    void cancelLeavesStoreAndFileAsTheyWere()
    {
        const QByteArray before = "[General]\r\nMasqueNomPhoto=#N\r\nSupprimerPhoto=0\r\n";
        Opened o = open(before.constData());
        const QStringList settingsBefore = o.settings->describe();
        TforParametrage &d = *o.dialog;
        child<TSaisie>(&d, "saiMasqueNomPhoto")->setText(QStringLiteral("#ORIG"));
        box(&d, "cbSupprimerPhoto")->click();
        child<QSlider>(&d, "tbGaugeQualiteJPG")->setValue(90);
        child<QPushButton>(&d, "butAnnuler")->click();
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QVERIFY(!d.isVisible());
        QCOMPARE(o.settings->describe(), settingsBefore);
        QCOMPARE(readFile(ini()), before);

        // Escape, like the title bar's close box, cancels as well.
        Opened again = open(before.constData());
        box(again.dialog.get(), "cbSupprimerPhoto")->click();
        QTest::keyClick(again.dialog.get(), Qt::Key_Escape);
        QCOMPARE(again.dialog->result(), int(QDialog::Rejected));
        QCOMPARE(again.settings->describe(), settingsBefore);
        QCOMPARE(readFile(ini()), before);
    }

    void failedWriteShowsTheErrorAndPutsTheSettingsBack()
    {
        // The settings file's place is taken by a folder: the file cannot be written.
        QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("Lumaro.ini/sous-dossier")));
        TParamAppli settings(ini());
        settings.Tempo = 9; // a value in memory that the file does not hold yet
        const QStringList before = settings.describe();
        TforParametrage dialog(settings);
        dialog.show();
        child<TSaisie>(&dialog, "saiMasqueNomPhoto")->setText(QStringLiteral("#ORIG - #THEME"));
        box(&dialog, "cbSupprimerPhoto")->click();
        child<TSaisieEntier>(&dialog, "seTempsDiaporama")->setValeur(40);

        QString seen;
        ModalDriver driver;
        driver.then(answerOk(&seen));
        child<QPushButton>(&dialog, "butValider")->click();
        QCOMPARE(seen, QStringLiteral("Erreur|Impossible d'écrire dans %1").arg(ini()));
        QCOMPARE(settings.describe(), before);
        // The user's changes stay in the dialog, to try again or cancel.
        QVERIFY(dialog.isVisible());
        QCOMPARE(child<TSaisie>(&dialog, "saiMasqueNomPhoto")->text(), QStringLiteral("#ORIG - #THEME"));
        QVERIFY(QFileInfo(ini()).isDir());

        // Once the folder is gone, the same changes are written and kept.
        QVERIFY(QDir(ini()).removeRecursively());
        child<QPushButton>(&dialog, "butValider")->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(TParamAppli(ini()).MasqueNomPhoto, QStringLiteral("#ORIG - #THEME"));
        QVERIFY(settings.SupprimerPhoto);
        QCOMPARE(settings.Tempo, 40);
    }

    // Values the dialog would not let the user enter, written in the file by hand or by another version.
    void outOfRangeValuesAreKeptUnlessChanged()
    {
        const char *content = "[General]\r\nModeAffichagePP=7\r\n[ImagesLowQ]\r\nIndiceNewDim=-1\r\n"
                              "Suffixe=Basse qualité\r\n";
        Opened o = open(content);
        TforParametrage &d = *o.dialog;
        auto *modes = child<QComboBox>(&d, "cbModeAffichagePP");
        QCOMPARE(modes->currentIndex(), -1);
        for (QRadioButton *item : child(&d, "rgDimensionLowQ")->findChildren<QRadioButton *>())
            QVERIFY(!item->isChecked());
        child<QPushButton>(&d, "butValider")->click();
        QCOMPARE(TParamAppli(ini()).ModeAffichagePP, 7);
        QCOMPARE(TParamAppli(ini()).IndiceNewDim, -1);
        QCOMPARE(child<TSaisie>(&d, "saiSuffixeLowQ")->text(), QStringLiteral("Basse qualité"));
        QCOMPARE(TParamAppli(ini()).Suffixe, QStringLiteral("Basse qualité"));

        Opened changed = open(content);
        child<QComboBox>(changed.dialog.get(), "cbModeAffichagePP")->setCurrentIndex(3);
        box(changed.dialog.get(), "cbRedimensionLowQ")->click();
        child<QRadioButton>(changed.dialog.get(), "rgDimensionLowQ0")->click();
        child<QPushButton>(changed.dialog.get(), "butValider")->click();
        QCOMPARE(TParamAppli(ini()).ModeAffichagePP, 3);
        QCOMPARE(TParamAppli(ini()).IndiceNewDim, 0);
    }

    void foldersAreChosenInTheBrowser()
    {
        const QString card = m_dir->filePath(QStringLiteral("carte"));
        QVERIFY(QDir().mkpath(card + QStringLiteral("/DCIM/THUMB")));
        QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("photos"))));
        Opened o = open("[General]\r\nRepertoirePhoto=/avant/\r\n");
        TforParametrage &d = *o.dialog;
        auto *source = child<TSaisieListe>(&d, "slLecteurCarte");
        auto *destination = child<TSaisieListe>(&d, "slRepertoire");
        auto *ignored = child<TSaisieListe>(&d, "slRepertoireAIgnorer");
        auto choose = [](const QString &folder, QString *title, QString *root) {
            return [folder, title, root](QWidget *modal) {
                auto *browser = qobject_cast<FolderBrowserDialog *>(modal);
                if (!browser)
                    return;
                *title = browser->windowTitle();
                *root = browser->rootFolder();
                if (folder.isEmpty()) {
                    browser->reject();
                    return;
                }
                auto *model = qobject_cast<QFileSystemModel *>(browser->tree()->model());
                browser->tree()->setCurrentIndex(model->index(folder));
                browser->accept();
            };
        };
        QString title, root;
        ModalDriver driver;

        // Cancelling leaves the text as it was.
        driver.then(choose(QString(), &title, &root));
        QTest::mouseClick(destination->button(), Qt::LeftButton);
        QTRY_COMPARE(title, QStringLiteral("Choisissez le répertoire de destination des photos"));
        QCOMPARE(destination->text(), QStringLiteral("/avant/"));

        driver.then(choose(card, &title, &root));
        QTest::mouseClick(source->button(), Qt::LeftButton);
        QTRY_COMPARE(source->text(), card + u'/'); // the source always ends with "/"
        QCOMPARE(title, QStringLiteral("Choisissez le répertoire contenant les photos à transférer"));
        QCOMPARE(root, QStringLiteral("/"));

        driver.then(choose(m_dir->filePath(QStringLiteral("photos")), &title, &root));
        destination->setFocus();
        QTest::keyClick(destination, Qt::Key_F4);
        QTRY_COMPARE(destination->text(), m_dir->filePath(QStringLiteral("photos")));

        // The folder to ignore is chosen below the source only.
        driver.then(choose(card + QStringLiteral("/DCIM/THUMB"), &title, &root));
        QTest::mouseClick(ignored->button(), Qt::LeftButton);
        QTRY_COMPARE(ignored->text(), card + QStringLiteral("/DCIM/THUMB"));
        QCOMPARE(title, QStringLiteral("Choisissez le répertoire a ignorer lors du transfert des photos"));
        QCOMPARE(root, card);

        child<QPushButton>(&d, "butValider")->click();
        const TParamAppli saved(ini());
        QCOMPARE(saved.LecteurCarte, card + u'/');
        QCOMPARE(saved.RepertoireAIgnorer, card + QStringLiteral("/DCIM/THUMB"));
        QCOMPARE(saved.RepertoirePhoto, m_dir->filePath(QStringLiteral("photos/")));
    }

    // From the main window, as after a restart of the program: a mask saved once is shown again.
    void savedMaskIsShownAfterARestart()
    {
        const QString folder = m_dir->path() + u'/';
        QString shown;
        {
            TforPrincipal mainWindow(folder);
            auto *action = mainWindow.findChild<QAction *>(QStringLiteral("actParametrage"));
            QVERIFY(action->isEnabled());
            ModalDriver driver;
            driver.then([](QWidget *modal) {
                QVERIFY(qobject_cast<TforParametrage *>(modal));
                child<TSaisie>(modal, "saiMasqueNomPhoto")->setText(QStringLiteral("#AAAA #THEME #CPT4"));
                child<QPushButton>(modal, "butValider")->click();
            });
            action->trigger();
            QVERIFY(driver.steps.empty());
            QCOMPARE(mainWindow.params().MasqueNomPhoto, QStringLiteral("#AAAA #THEME #CPT4"));
        }
        TforPrincipal restarted(folder);
        ModalDriver driver;
        driver.then([&shown](QWidget *modal) {
            shown = child<TSaisie>(modal, "saiMasqueNomPhoto")->text();
            qobject_cast<QDialog *>(modal)->reject();
        });
        restarted.findChild<QAction *>(QStringLiteral("actParametrage"))->trigger();
        QCOMPARE(shown, QStringLiteral("#AAAA #THEME #CPT4"));
    }
};

QTEST_MAIN(TestParametrage)
#include "tst_parametrage.moc"
