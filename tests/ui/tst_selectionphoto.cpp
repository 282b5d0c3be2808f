// The dialog that edits the photo filter.
#include "controls/saisie.h"
#include "controls/saisiedate.h"
#include "core/error.h"
#include "core/discovery/filtrephoto.h"
#include "tests/testsupport.h"
#include "tests/ui/uisupport.h"
#include "controls/forselectionphoto.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using UiSupport::child;

namespace {

using TestSupport::readFile;
using TestSupport::writeFile;

constexpr double Feb25th2004 = 38042.0;

} // namespace

class TestSelectionPhoto : public QObject {
    Q_OBJECT

    QTemporaryDir *m_dir = nullptr;
    QString m_folder;
    QString file() const { return m_folder + QStringLiteral("Filtre.ini"); }

private slots:
    void initTestCase() { TestSupport::isolateEnvironment(); }
    void init()
    {
        m_dir = new QTemporaryDir;
        m_folder = m_dir->path() + u'/';
    }
    void cleanup()
    {
        delete m_dir;
        m_dir = nullptr;
    }


    void dialogShowsTheDefaults()
    {
        TFiltrePhoto filter(m_folder);
        TforSelectionPhoto dialog(filter);
        dialog.AfficherFiltre();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Filtrer les photos"));
        QCOMPARE(dialog.size(), QSize(460, 204));
        QVERIFY(!(dialog.windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(child<QGroupBox>(&dialog, "gbSelection"));
        QVERIFY(!child<QCheckBox>(&dialog, "cbNouvellePhoto")->isChecked());
        QCOMPARE(child<QCheckBox>(&dialog, "cbNouvellePhoto")->text(),
                 QStringLiteral("Ne transférer que les nouvelles photos (depuis le dernier transfert)"));
        QCOMPARE(child<TSaisie>(&dialog, "saiNom")->text(), QString());
        QComboBox *nameList = child<QComboBox>(&dialog, "cbFiltreNom");
        QComboBox *dateList = child<QComboBox>(&dialog, "cbFiltreDate");
        QVERIFY(!nameList->isEditable() && !dateList->isEditable());
        QCOMPARE(nameList->currentText(), QStringLiteral("N'accepter que les photos"));
        QCOMPARE(nameList->itemText(1), QStringLiteral("Ignorer les photos"));
        QCOMPARE(dateList->currentText(), QStringLiteral("du"));
        QCOMPARE(dateList->itemText(1), QStringLiteral("supérieures au"));
        QCOMPARE(child<TSaisieDate>(&dialog, "sdDate")->LireDate(), -1.0);
        QStringList labels;
        for (const QLabel *label : dialog.findChildren<QLabel *>())
            labels << label->text();
        QVERIFY(labels.contains(QStringLiteral("dont le nom contient ")));
        QVERIFY(labels.contains(QStringLiteral("N'accepter que les photos ")));
        QCOMPARE(child<QPushButton>(&dialog, "butDefault")->text(), QStringLiteral("&Défaut"));
        QCOMPARE(child<QPushButton>(&dialog, "butDefault")->toolTip(), QStringLiteral("Définir ce filtre comme filtre par défaut"));
        QCOMPARE(child<QPushButton>(&dialog, "butValider")->text(), QStringLiteral("&Valider"));
        QCOMPARE(child<QPushButton>(&dialog, "butAnnuler")->text(), QStringLiteral("&Annuler"));
    }

    void enterAndEscapeDoNotClose()
    {
        TFiltrePhoto filter(m_folder);
        TforSelectionPhoto dialog(filter);
        dialog.AfficherFiltre();
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        for (const char *name : {"saiNom", "sdDate", "cbNouvellePhoto", "butValider", "butAnnuler", "butDefault", "cbFiltreNom"}) {
            QWidget *widget = child<QWidget>(&dialog, name);
            widget->setFocus();
            for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
                QTest::keyClick(widget, key);
                QVERIFY2(dialog.isVisible(), name);
            }
        }
        QVERIFY(!QFile::exists(file()));
        QCOMPARE(filter.FiltreNom, QString());
    }

    void acceptKeepsTheChangeInMemoryOnly()
    {
        QVERIFY(writeFile(file(), "[Filtre]\r\nTypeFiltreNom=2\r\nFiltreDate=25022004\r\n"));
        TFiltrePhoto filter(m_folder);
        bool checked = false;
        QTimer::singleShot(0, this, [&] {
            auto *dialog = qobject_cast<TforSelectionPhoto *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QComboBox *nameList = child<QComboBox>(dialog, "cbFiltreNom");
            QCOMPARE(nameList->currentIndex(), -1); // 2 is no item of the list
            QCOMPARE(child<TSaisieDate>(dialog, "sdDate")->LireDate(), Feb25th2004);
            child<TSaisie>(dialog, "saiNom")->setText(QStringLiteral("IMG"));
            child<QCheckBox>(dialog, "cbNouvellePhoto")->setChecked(true);
            child<QComboBox>(dialog, "cbFiltreDate")->setCurrentIndex(1);
            QTest::mouseClick(child<QPushButton>(dialog, "butValider"), Qt::LeftButton);
            checked = true;
        });
        LancerSelectionPhoto(filter);
        QVERIFY(checked);
        QCOMPARE(filter.FiltreNom, QStringLiteral("IMG"));
        QVERIFY(filter.NouvellePhoto);
        QCOMPARE(filter.TypeFiltreNom, -1);
        QCOMPARE(filter.TypeFiltreDate, 1);
        QCOMPARE(filter.FiltreDate, Feb25th2004);
        QCOMPARE(readFile(file()), QByteArray("[Filtre]\r\nTypeFiltreNom=2\r\nFiltreDate=25022004\r\n"));
        QCOMPARE(TFiltrePhoto(m_folder).FiltreNom, QString());
    }

    void cancelLeavesTheFilter()
    {
        TFiltrePhoto filter(m_folder);
        filter.FiltreNom = QStringLiteral("avant");
        QTimer::singleShot(0, this, [&] {
            QWidget *dialog = QApplication::activeModalWidget();
            QVERIFY(dialog);
            child<TSaisie>(dialog, "saiNom")->setText(QStringLiteral("après"));
            QTest::mouseClick(child<QPushButton>(dialog, "butAnnuler"), Qt::LeftButton);
        });
        LancerSelectionPhoto(filter);
        QCOMPARE(filter.FiltreNom, QStringLiteral("avant"));
    }

    void defaultSavesAndStaysOpen()
    {
        TFiltrePhoto filter(m_folder);
        filter.FiltreDate = Feb25th2004;
        TforSelectionPhoto dialog(filter);
        dialog.AfficherFiltre();
        dialog.show();
        child<TSaisieDate>(&dialog, "sdDate")->EcrireDate(-1.0); // the user empties the date
        child<TSaisie>(&dialog, "saiNom")->setText(QStringLiteral("DCIM"));
        QTest::mouseClick(child<QPushButton>(&dialog, "butDefault"), Qt::LeftButton);
        QVERIFY(dialog.isVisible());
        QCOMPARE(filter.FiltreDate, -1.0);
        const QByteArray saved = readFile(file());
        QVERIFY(saved.contains("FiltreDate=29121899\r\n"));
        QVERIFY(saved.contains("FiltreNom=DCIM\r\n"));
        const TFiltrePhoto later(m_folder);
        QCOMPARE(later.FiltreNom, QStringLiteral("DCIM"));
        QCOMPARE(later.FiltreDate, -1.0);
    }

    void defaultReportsAWriteFailure()
    {
        QVERIFY(QDir().mkpath(file()));
        TFiltrePhoto filter(m_folder);
        TforSelectionPhoto dialog(filter);
        dialog.AfficherFiltre();
        dialog.show();
        child<TSaisie>(&dialog, "saiNom")->setText(QStringLiteral("IMG"));
        QString title, text;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(qobject_cast<QMessageBox *>(QApplication::activeModalWidget()));
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            title = box->windowTitle();
            text = box->text();
            box->accept();
        });
        QTest::mouseClick(child<QPushButton>(&dialog, "butDefault"), Qt::LeftButton);
        QCOMPARE(title, QStringLiteral("Erreur"));
        QCOMPARE(text, QStringLiteral("Impossible d'écrire dans %1").arg(file()));
        QCOMPARE(filter.FiltreNom, QStringLiteral("IMG"));
        QVERIFY(dialog.isVisible());
    }
};

QTEST_MAIN(TestSelectionPhoto)
#include "tst_selectionphoto.moc"
