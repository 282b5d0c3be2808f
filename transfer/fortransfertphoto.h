#pragma once
// The photo-by-photo window: each photo large, beside its EXIF table, with its theme, its date,
// its turn and the name it will get; the user transfers it, makes only its low-quality copy or
// passes it by. The steps themselves are PhotoByPhotoSession's; the window shows them.
#include "core/workflows/photobyphoto.h"
#include "core/workflows/photopreloader.h"
#include "dialogs/qtuserinterface.h"

#include <QDialog>

class QAction;
class ShotMembers;
class QComboBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QStackedLayout;
class QPushButton;
class CardEject;
class CardEjectButton;
class QToolButton;
class QWidget;
class ToggleButton;
class TExtendedGrid;
class PhotoImage;
class TParamAppli;
class TSaisieDate;
class TSaisieHeure;
class WrappedNameLabel;

class TforTransfertPhoto : public QDialog {
    Q_OBJECT

public:
    TforTransfertPhoto(TParamAppli &settings, QStringList &photos, const QString &destination, const QString &theme,
                       bool lowQuality, QWidget *parent = nullptr, const ShotMembers *shots = nullptr);
    ~TforTransfertPhoto() override;

    // The display from the settings, the first photo shown.
    void InitialiserAffichage();

    const PhotoByPhotoSession &session() const { return m_session; }
    // A camera or phone the photos are read from (null: files on the disk); a card folder
    // given here is offered to be ejected at the end.
    void setSource(std::shared_ptr<PhotoSource> source);
    // Test seam: the UDisks2 the eject button asks.
    void setCardEject(const CardEject &eject);
    // The picture as shown (turned), for tests.
    QImage picture() const;
    // A copy is running: the window takes no input.
    bool busy() const { return m_busy; }
    // Whether the neighbours of the photo shown are decoded ahead (on by default; benchmarks
    // compare both).
    void setLookAhead(bool on) { m_lookAhead = on; }

    // Escape does what "Arrêter" does; nothing closes the window under a copy.
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void butPrecedentClick();
    void butSuivantClick();
    void butTransfertClick();
    void actBasseQualiteExecute();
    void butAnnulerClick();
    void sbRotationDroiteClick();
    void sbRotationGaucheClick();
    void sbAgrandirEcranClick();
    void saiNomPhoto2Change();
    void saiNomPhotoExit();
    void butChangeDatePhotoClick();
    void sdDatePhotoChange();

private:
    // Built in fortransfertphotolayout.cpp.
    void build();
    QWidget *buildInfoPanel();
    QWidget *buildImagePanel();
    QWidget *buildButtonStrip();
    QAction *makeAction(const char *name, const QString &caption, const QString &icon, const QString &hint);

    void AfficherPhotoCourante();
    void RemplirGrilleExif();
    void fitExifColumns();
    void AfficherCopieEnCours(bool on);
    void ProposerDiaporama();
    // The decoded picture turned by the photo's angle, into imaPhoto.
    void showPicture();
    // The turn buttons of a shot: enabled for a JPEG only, and saying so.
    void updateTurnButtons();
    void updateNavigation();
    // Runs a copy with the window closed to input; input queued meanwhile is dropped.
    void runCopy(const std::function<PhotoByPhotoSession::After()> &copy);
    void afterCopy(PhotoByPhotoSession::After after);
    void finish();

    TParamAppli &m_settings;
    QtUserInterface m_ui;
    PhotoByPhotoSession m_session;
    // After the session, whose reader of RAW and HEIF files its decodes use: it is gone first.
    PhotoPreloader m_preloader;
    QImage m_decoded; // the photo shown, unturned
    QString m_nomFinal;
    bool m_busy = false;
    bool m_finished = false;
    bool m_lookAhead = true;
    int m_widestExifName = 0;

    QStackedLayout *m_dates = nullptr;  // the date shown, or its editor
    QStackedLayout *m_saisie = nullptr; // the transfer parameters, or the copy under way
    QWidget *panInfoExif = nullptr;
    QGroupBox *gbInfoPhoto = nullptr;
    QProgressBar *pbGauge = nullptr;
    QLabel *labNomPhoto = nullptr;
    QWidget *panAfficheDatePhoto = nullptr;
    QLabel *labDatePhoto = nullptr;
    QWidget *panSaisieDatePhoto = nullptr;
    TSaisieDate *sdDatePhoto = nullptr;
    TSaisieHeure *shHeurePhoto = nullptr;
    QPushButton *butChangeDatePhoto = nullptr;
    TExtendedGrid *egInfoExif = nullptr;
    PhotoImage *imaPhoto = nullptr;
    ToggleButton *sbRotationAutomatique = nullptr;
    QToolButton *sbRotationDroite = nullptr;
    QToolButton *sbRotationGauche = nullptr;
    QWidget *panSaisie = nullptr;
    QGroupBox *gbParametreTransfert = nullptr;
    QComboBox *saiNomPhoto = nullptr;
    WrappedNameLabel *labNomFinalPhoto = nullptr;
    ToggleButton *sbLowQuality = nullptr;
    ToggleButton *sbExportExif = nullptr;
    QGroupBox *gbCopy = nullptr;
    QLabel *labInfoCopy = nullptr;
    QToolButton *sbAgrandirEcran = nullptr;
    QAction *actPrecedent = nullptr;
    QAction *actBasseQualite = nullptr;
    QAction *actTransfert = nullptr;
    QAction *actSuivant = nullptr;
    QAction *actArreter = nullptr;
    CardEjectButton *butEjecter = nullptr;
    std::shared_ptr<PhotoSource> m_source;
    bool m_ejectOffered = false;
};

// Runs the window modally on the photos (at least one) and returns its modal result.
int LancerTransfertPhoto(TParamAppli &settings, QStringList &photos, const QString &destination,
                         const QString &theme, bool lowQuality, QWidget *parent = nullptr,
                         std::shared_ptr<PhotoSource> source = {}, const ShotMembers *shots = nullptr);
