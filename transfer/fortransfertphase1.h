#pragma once
// Where every transfer starts: the source, the destination and the theme of the photos (in batch
// mode also the low-quality copies and the thumbnails), the photo filter, then "Suivant" searches
// the photos, runs the batch or photo-by-photo window on them and copies the extra files.
#include "core/devices/devicedetector.h"
#include "core/discovery/filtrephoto.h"
#include "core/sources/photosource.h"

#include <QDialog>

#include <functional>
#include <memory>

class QCheckBox;
class ShotMembers;
class QGroupBox;
class QMenu;
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

    // The source field; a folder that is not empty gets its trailing "/". A device's address
    // (gphoto2://, mtp://) is shown as "Appareil : ..." and kept as it is.
    void setSource(const QString &folder);
    // The source as the search will take it: the folder, or the device's address.
    QString sourceText() const;

    // How the source menu finds the connected cameras and phones; libgphoto2's detection by
    // default (run away from the window's thread). Tests give their own.
    void setDeviceDetection(std::function<QList<DetectedDevice>()> detect) { m_detect = std::move(detect); }
    // The menu the source button opens: the devices found, then "Autre dossier…".
    QMenu *sourceMenu() const { return m_sourceMenu; }

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
    void transferPhotos(QStringList &photos, const ShotMembers &shots, const QString &destination, const QString &theme,
                        const std::shared_ptr<PhotoSource> &source);
    void chooseFolder();
    void fillSourceMenu(const QList<DetectedDevice> &devices, bool searching);
    // The device the source text names, opened for the search and the transfer; null with the
    // message shown when it cannot be.
    std::shared_ptr<PhotoSource> openDevice(const QString &text);

    TParamAppli &m_settings;
    int m_mode;
    TFiltrePhoto m_filtre;
    bool m_busy = false;
    QString m_deviceText; // the device chosen, while the field shows it
    std::function<QList<DetectedDevice>()> m_detect;
    QMenu *m_sourceMenu = nullptr;
    int m_detection = 0; // the number of the detection whose answer the menu waits for

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
