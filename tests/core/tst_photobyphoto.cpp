// The photo-by-photo steps without their window: position, counter, turns, dates, and what each
// action does to the list of photos and to the list of written files.
#include "core/exif/exifdate.h"
#include "core/settings/paramappli.h"
#include "core/workflows/photobyphoto.h"
#include "tests/cardworkspace.h"
#include "tests/testsupport.h"
#include "tools/democard.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestPhotoByPhoto : public QObject {
    Q_OBJECT

    CardWorkspace m_work;

private slots:
    void initTestCase() { TestSupport::isolateEnvironment(); }

    void init() { m_work.open(); }
    void cleanup() { m_work.close(); }

    void countersFollowWhatWasWritten()
    {
        m_work.makeCard(5);
        m_work.settings->MasqueNomPhoto = QStringLiteral("#THEME #CPT");
        QStringList photos = m_work.card.photos;
        PhotoByPhotoSession session(*m_work.settings, photos, m_work.destination(), QStringLiteral("Noel"));
        session.showCurrent();
        QCOMPARE(session.NumeroPhoto(), 1);
        QVERIFY(!session.hasPrevious() && session.hasNext());
        for (int i = 0; i < 3; ++i)
            QCOMPARE(session.transfer(session.NomFinal(), m_work.ui), PhotoByPhotoSession::After::NextPhoto);
        QCOMPARE(session.NomFinal(), m_work.destination() + QStringLiteral("Noel 4.JPG"));
        // A low-quality copy in between counts too.
        QCOMPARE(session.lowQualityOnly(m_work.ui), PhotoByPhotoSession::After::NextPhoto);
        QVERIFY(session.PhotosTransferees().last().endsWith(QStringLiteral("Basse Resolution/Noel 4 Low.JPG")));
        QCOMPARE(session.NomFinal(), m_work.destination() + QStringLiteral("Noel 5.JPG"));
        QCOMPARE(session.NumeroPhoto(), 5);
        QVERIFY(!session.stopNeedsConfirmation());
        QCOMPARE(session.transfer(session.NomFinal(), m_work.ui), PhotoByPhotoSession::After::Finished);
        QCOMPARE(session.PhotosTransferees().size(), 5);
        QCOMPARE(photos, m_work.card.photos); // nothing deleted
    }

    void deletionMovesTheNextPhotoIntoPlace()
    {
        m_work.makeCard(3);
        m_work.settings->SupprimerPhoto = true;
        QStringList photos = m_work.card.photos;
        PhotoByPhotoSession session(*m_work.settings, photos, m_work.destination(), QString());
        session.showCurrent();
        QCOMPARE(session.transfer(session.NomFinal(), m_work.ui), PhotoByPhotoSession::After::NextPhoto);
        QCOMPARE(session.NumeroPhoto(), 1);
        QCOMPARE(session.total(), 2);
        QCOMPARE(session.source(), m_work.card.photos[1]);
        session.next();
        QCOMPARE(session.transfer(session.NomFinal(), m_work.ui), PhotoByPhotoSession::After::Finished);
        QCOMPARE(photos, QStringList{m_work.card.photos[1]});
        QVERIFY(!QFile::exists(m_work.card.photos[0]) && !QFile::exists(m_work.card.photos[2]));
    }

    void turnsAndDates()
    {
        m_work.makeCard(3); // photo 3 is recorded "right-top (6)"
        QStringList photos = m_work.card.photos;
        m_work.settings->RotationAuto = true;
        PhotoByPhotoSession session(*m_work.settings, photos, m_work.destination(), QString());
        session.showCurrent();
        QCOMPARE(session.AnglePhoto(), 0);
        for (int i = 0; i < 4; ++i)
            session.rotateRight();
        QCOMPARE(session.AnglePhoto(), 0);
        session.rotateLeft();
        QCOMPARE(session.AnglePhoto(), 270);
        session.next(); // moving drops the turn
        QCOMPARE(session.AnglePhoto(), 0);
        session.next();
        QCOMPARE(session.AnglePhoto(), 90);
        session.rotateLeft();
        QCOMPARE(session.AnglePhoto(), 0);

        // An edited date is in force until the editor closes; an empty one is never used.
        const double read = session.DateLue();
        session.setDatePriseDeVue(38031.5);
        QCOMPARE(session.DatePriseDeVue(), 38031.5);
        session.setDatePriseDeVue(-1.0);
        QCOMPARE(session.DatePriseDeVue(), 38031.5);
        QVERIFY(session.NomFinal().contains(QStringLiteral("2004-02-14")));
        session.restoreDate();
        QCOMPARE(session.DatePriseDeVue(), read);

        // Without EXIF management: only the file date, no automatic turn, no export.
        m_work.settings->GestionEXIF = false;
        m_work.settings->ExportInfoExif = true;
        PhotoByPhotoSession plain(*m_work.settings, photos, m_work.destination(), QString());
        plain.next();
        plain.next();
        QCOMPARE(plain.AnglePhoto(), 0);
        QCOMPARE(plain.InfosExif().Count(), 1);
        QCOMPARE(plain.InfosExif().Items(0).Nom, QStringLiteral("Date taken"));
        QVERIFY(!plain.exportExif() && !plain.automaticRotation());
        plain.setExportExif(true);
        QVERIFY(!plain.exportExif());
    }

    void aFailedLowQualityCopyIsNotListed()
    {
        m_work.makeCard(2);
        QFile::resize(m_work.card.photos[0], 150);
        QStringList photos = m_work.card.photos;
        PhotoByPhotoSession session(*m_work.settings, photos, m_work.destination(), QString());
        session.showCurrent();
        QCOMPARE(session.lowQualityOnly(m_work.ui), PhotoByPhotoSession::After::SamePhoto);
        QVERIFY(session.PhotosTransferees().isEmpty());
        QCOMPARE(session.NumeroPhoto(), 1);
        QCOMPARE(m_work.ui.errors.size(), 1);
        // Nothing was written: no folder was left for it, up to the destination made for it.
        QVERIFY(!QFileInfo::exists(m_work.destination()));
        QVERIFY(session.NomBasseQualite().startsWith(m_work.destination() + QStringLiteral("Basse Resolution/")));

        // In a destination that was there, only the folders the copy made go.
        QVERIFY(QDir().mkpath(m_work.destination()));
        QCOMPARE(session.lowQualityOnly(m_work.ui), PhotoByPhotoSession::After::SamePhoto);
        QVERIFY(QFileInfo(m_work.destination()).isDir());
        QCOMPARE(QDir(m_work.destination()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList());
    }

    void aThemeLeavingTheDestinationWritesNothing()
    {
        m_work.makeCard(2);
        m_work.settings->MasqueNomPhoto = QStringLiteral("#THEME #N");
        QStringList photos = m_work.card.photos;
        PhotoByPhotoSession session(*m_work.settings, photos, m_work.destination(), QStringLiteral("../../x"));
        session.showCurrent();
        QCOMPARE(session.transfer(session.NomFinal(), m_work.ui), PhotoByPhotoSession::After::NextPhoto);
        QCOMPARE(session.lowQualityOnly(m_work.ui), PhotoByPhotoSession::After::SamePhoto);
        QVERIFY(session.PhotosTransferees().isEmpty());
        QCOMPARE((m_work.ui.information + m_work.ui.errors).size(), 2);
        for (const QString &message : m_work.ui.information + m_work.ui.errors)
            QVERIFY(message.endsWith(QStringLiteral(" sort du répertoire de destination.")));
        QVERIFY(QDir(m_work.path(QStringLiteral("x 1.JPG"))).exists() == false && !QFile::exists(m_work.path(QStringLiteral("x 1.JPG"))));
        QCOMPARE(photos, m_work.card.photos);
    }

    void themesAreRemembered()
    {
        m_work.makeCard(1);
        QStringList photos = m_work.card.photos;
        PhotoByPhotoSession session(*m_work.settings, photos, m_work.destination(), QStringLiteral("Mer"));
        session.rememberTheme(QStringLiteral("Montagne"));
        session.rememberTheme(QStringLiteral("mer"));
        QCOMPARE(session.themes(), QStringList({QStringLiteral("Mer"), QStringLiteral("Montagne")}));
    }
};

QTEST_GUILESS_MAIN(TestPhotoByPhoto)
#include "tst_photobyphoto.moc"
