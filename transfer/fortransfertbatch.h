#pragma once
// The batch window: shows the progress of BatchTransfer photo after photo (thumbnail, date, names)
// and offers the stop button; at the end it may play the slideshow of what was written.
#include "core/workflows/batchtransfer.h"
#include "dialogs/qtuserinterface.h"

#include <QDialog>
#include <QElapsedTimer>

#include <functional>
#include <optional>

class CardEjectButton;
class CardEject;
class ElidedLabel;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class ShotMembers;
class TParamAppli;

class TforTransfertBatch : public QDialog, private BatchObserver {
    Q_OBJECT

public:
    // shots: every member of the search's shots of several files (kept by the caller).
    TforTransfertBatch(TParamAppli &settings, QStringList &photos, BatchOptions options, QWidget *parent = nullptr,
                       const ShotMembers *shots = nullptr);

    const BatchTransfer &transfer() const { return m_batch; }
    bool TraitementLance() const { return m_started; }
    // The pause between the window's first showing and the start of the processing (500 ms),
    // which lets the window paint first; benchmarks timing the processing set it to 0.
    void setStartDelay(int milliseconds);
    // Test seam: the UDisks2 the eject button asks.
    void setCardEject(const CardEject &eject);
    // Escape does nothing: the stop button is the only way in while the batch runs.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private slots:
    void LanceTraitementClick();
    void butArreterClick();

private:
    // The window's messages first show the photo they speak of.
    class WindowUserInterface : public QtUserInterface {
    public:
        std::function<void()> beforeMessage;
        void showError(const QString &text) override;
        void showInformation(const QString &text) override;
        bool askConfirmation(const QString &text) override;
    };

    void build();
    void photoStarted(const BatchPhoto &photo) override;
    void show(const BatchPhoto &photo);
    void showPending();

    TParamAppli &m_settings;
    WindowUserInterface m_ui;
    // A fast disk writes more photos a second than anyone can read: the window shows at most
    // one every DisplayIntervalMs, and always the last one and the one a message speaks of.
    QElapsedTimer m_lastShown;
    std::optional<BatchPhoto> m_pending;
    BatchTransfer m_batch;
    bool m_thumbnails;
    bool m_started = false;
    bool m_finished = false;
    std::shared_ptr<PhotoSource> m_source;

    QTimer *Timer = nullptr;
    QGroupBox *GroupBox1 = nullptr;
    QLabel *imaPhoto = nullptr;
    QLabel *imaCopie = nullptr;
    QLabel *labInfoTransfert = nullptr;
    QProgressBar *pbGauge = nullptr;
    QLabel *labDatePhoto = nullptr;
    ElidedLabel *labNomPhoto = nullptr;
    ElidedLabel *labNomPhotoDestination = nullptr;
    QPushButton *butArreter = nullptr;
    CardEjectButton *butEjecter = nullptr;
};

// Runs the batch window modally on the photos (at least one) and returns when it has closed.
// Entries of photos whose source the transfer deleted are removed from the list.
void LancerTransfertBatch(TParamAppli &settings, QStringList &photos, const QString &destination,
                          const QString &theme, bool lowQuality, bool lowQualityOnly, bool thumbnails,
                          QWidget *parent = nullptr, std::shared_ptr<PhotoSource> source = {},
                          const ShotMembers *shots = nullptr);
