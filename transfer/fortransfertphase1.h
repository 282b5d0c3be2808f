#pragma once
// Where every transfer starts: the source, the destination and the theme of the photos (in batch
// mode also the low-quality copies and the thumbnails), the photo filter, then "Suivant" searches
// the photos, runs the batch or photo-by-photo window on them and copies the extra files.
#include "core/discovery/filtrephoto.h"

#include <QDialog>

class QCheckBox;
class ShotMembers;
class QGroupBox;
class QPushButton;
class TParamAppli;
class TSaisie;
class TSaisieListe;

class TforTransfertPhase1 : public QDialog {
    Q_OBJECT

public:
    // The window is made for one mode: 1 batch, any other photo-by-photo.
    TforTransfertPhase1(TParamAppli &settings, int mode, QWidget *parent = nullptr);

    int ModeTransfert() const { return m_mode; }
    TFiltrePhoto &Filtre() { return m_filtre; }

    // The source field; a folder that is not empty gets its trailing "/".
    void setSource(const QString &folder);

    // Nothing closes the dialog under its own search or transfer.
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void slLecteurCarteListeClick();
    void slRepertoireListeClick();
    void cbSeulementLowQClick();
    void butFiltreClick();
    void butSuivantClick();
    void butAnnulerClick();

private:
    void build();
    void layOutForMode();
    // Runs the batch or photo-by-photo window on the photos found.
    void transferPhotos(QStringList &photos, const ShotMembers &shots, const QString &destination, const QString &theme);

    TParamAppli &m_settings;
    int m_mode;
    TFiltrePhoto m_filtre;
    bool m_busy = false;

    QGroupBox *gbParametres = nullptr;
    TSaisieListe *slLecteurCarte = nullptr;
    TSaisieListe *slRepertoire = nullptr;
    TSaisie *saiNomPhoto = nullptr;
    QCheckBox *cbSeulementLowQ = nullptr;
    QCheckBox *cbLowQuality = nullptr;
    QCheckBox *cbMiniature = nullptr;
    QPushButton *butFiltre = nullptr;
    QPushButton *butSuivant = nullptr;
    QPushButton *butAnnuler = nullptr;
};
