// The photo-by-photo steps without their window: position, counter, turns, dates, and what each
// action does to the list of photos and to the list of written files.
#include "core/exifdate.h"
#include "core/paramappli.h"
#include "core/photobyphoto.h"
#include "tests/testsupport.h"
#include "tools/democard.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestPhotoByPhoto : public QObject {
    Q_OBJECT

    QTemporaryDir *m_dir = nullptr;
    DemoCard::Contents m_card;
    std::unique_ptr<TParamAppli> m_settings;
    RecordingUserInterface m_ui;

    QString path(const QString &relative) const { return m_dir->filePath(relative); }
    QString destination() const { return path(QStringLiteral("dest/")); }

    void makeCard(int count)
    {
        DemoCard::Options options;
        options.count = count;
        options.size = QSize(320, 240);
        m_card = DemoCard::write(path(QStringLiteral("card")), options);
    }

private slots:
    void initTestCase() { TestSupport::isolateEnvironment(); }

    void init()
    {
        m_dir = new QTemporaryDir;
        m_settings = std::make_unique<TParamAppli>(path(QStringLiteral("settings/Lumaro.ini")));
        m_ui = RecordingUserInterface();
    }

    void cleanup()
    {
        m_settings.reset();
        delete m_dir;
        m_dir = nullptr;
    }

    void countersFollowWhatWasWritten()
    {
        makeCard(5);
        m_settings->MasqueNomPhoto = QStringLiteral("#THEME #CPT");
        QStringList photos = m_card.photos;
        PhotoByPhotoSession session(*m_settings, photos, destination(), QStringLiteral("Noel"));
        session.showCurrent();
        QCOMPARE(session.NumeroPhoto(), 1);
        QVERIFY(!session.hasPrevious() && session.hasNext());
        for (int i = 0; i < 3; ++i)
            QCOMPARE(session.transfer(session.NomFinal(), m_ui), PhotoByPhotoSession::After::NextPhoto);
        QCOMPARE(session.NomFinal(), destination() + QStringLiteral("Noel 4.JPG"));
        // A low-quality copy in between counts too.
        QCOMPARE(session.lowQualityOnly(m_ui), PhotoByPhotoSession::After::NextPhoto);
        QVERIFY(session.PhotosTransferees().last().endsWith(QStringLiteral("Basse Resolution/Noel 4 Low.JPG")));
        QCOMPARE(session.NomFinal(), destination() + QStringLiteral("Noel 5.JPG"));
        QCOMPARE(session.NumeroPhoto(), 5);
        QVERIFY(!session.stopNeedsConfirmation());
        QCOMPARE(session.transfer(session.NomFinal(), m_ui), PhotoByPhotoSession::After::Finished);
        QCOMPARE(session.PhotosTransferees().size(), 5);
        QCOMPARE(photos, m_card.photos); // nothing deleted
    }

    void deletionMovesTheNextPhotoIntoPlace()
    {
        makeCard(3);
        m_settings->SupprimerPhoto = true;
        QStringList photos = m_card.photos;
        PhotoByPhotoSession session(*m_settings, photos, destination(), QString());
        session.showCurrent();
        QCOMPARE(session.transfer(session.NomFinal(), m_ui), PhotoByPhotoSession::After::NextPhoto);
        QCOMPARE(session.NumeroPhoto(), 1);
        QCOMPARE(session.total(), 2);
        QCOMPARE(session.source(), m_card.photos[1]);
        session.next();
        QCOMPARE(session.transfer(session.NomFinal(), m_ui), PhotoByPhotoSession::After::Finished);
        QCOMPARE(photos, QStringList{m_card.photos[1]});
        QVERIFY(!QFile::exists(m_card.photos[0]) && !QFile::exists(m_card.photos[2]));
    }

    void turnsAndDates()
    {
        makeCard(3); // photo 3 is recorded "right-top (6)"
        QStringList photos = m_card.photos;
        m_settings->RotationAuto = true;
        PhotoByPhotoSession session(*m_settings, photos, destination(), QString());
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
        m_settings->GestionEXIF = false;
        m_settings->ExportInfoExif = true;
        PhotoByPhotoSession plain(*m_settings, photos, destination(), QString());
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
        makeCard(2);
        QFile::resize(m_card.photos[0], 150);
        QStringList photos = m_card.photos;
        PhotoByPhotoSession session(*m_settings, photos, destination(), QString());
        session.showCurrent();
        QCOMPARE(session.lowQualityOnly(m_ui), PhotoByPhotoSession::After::SamePhoto);
        QVERIFY(session.PhotosTransferees().isEmpty());
        QCOMPARE(session.NumeroPhoto(), 1);
        QCOMPARE(m_ui.errors.size(), 1);
    }

    void aThemeLeavingTheDestinationWritesNothing()
    {
        makeCard(2);
        m_settings->MasqueNomPhoto = QStringLiteral("#THEME #N");
        QStringList photos = m_card.photos;
        PhotoByPhotoSession session(*m_settings, photos, destination(), QStringLiteral("../../x"));
        session.showCurrent();
        QCOMPARE(session.transfer(session.NomFinal(), m_ui), PhotoByPhotoSession::After::NextPhoto);
        QCOMPARE(session.lowQualityOnly(m_ui), PhotoByPhotoSession::After::SamePhoto);
        QVERIFY(session.PhotosTransferees().isEmpty());
        QCOMPARE((m_ui.informations + m_ui.errors).size(), 2);
        for (const QString &message : m_ui.informations + m_ui.errors)
            QVERIFY(message.endsWith(QStringLiteral(" sort du répertoire de destination.")));
        QVERIFY(QDir(path(QStringLiteral("x 1.JPG"))).exists() == false && !QFile::exists(path(QStringLiteral("x 1.JPG"))));
        QCOMPARE(photos, m_card.photos);
    }

    void themesAreRemembered()
    {
        makeCard(1);
        QStringList photos = m_card.photos;
        PhotoByPhotoSession session(*m_settings, photos, destination(), QStringLiteral("Mer"));
        session.rememberTheme(QStringLiteral("Montagne"));
        session.rememberTheme(QStringLiteral("mer"));
        QCOMPARE(session.themes(), QStringList({QStringLiteral("Mer"), QStringLiteral("Montagne")}));
    }
};

QTEST_GUILESS_MAIN(TestPhotoByPhoto)
#include "tst_photobyphoto.moc"
