#include "transfer/fortransfertbatch.h"

#include "controls/elidedlabel.h"
#include "controls/videoplaceholder.h"
#include "transfer/cardejectbutton.h"
#include "core/settings/paramappli.h"
#include "dialogs/helpwindow.h"
#include "slideshow/fordiaporama.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QColor Navy(0, 0, 128);
constexpr int StartDelayMs = 500;
constexpr int Thumbnail = 105;
constexpr int DisplayIntervalMs = 40;

QFont pixelFont(QFont font, int pixels, bool bold = false)
{
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

template<class Label = QLabel>
Label *valueLabel(const char *name, QWidget *parent)
{
    auto *label = new Label(parent);
    label->setObjectName(QLatin1String(name));
    label->setFont(pixelFont(label->font(), 13));
    label->setMinimumHeight(18);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel *captionLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setFont(pixelFont(label->font(), 11, true));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

} // namespace

TforTransfertBatch::TforTransfertBatch(TParamAppli &settings, QStringList &photos, BatchOptions options,
                                       QWidget *parent, const ShotMembers *shots)
    // No title-bar button at all: the window closes only by itself.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_settings(settings)
    , m_batch(settings, m_ui, photos, options, shots)
    , m_thumbnails(options.thumbnails)
    , m_source(options.source)
{
    setObjectName(QStringLiteral("TforTransfertBatch"));
    setWindowTitle(QStringLiteral("Transfert des photos en mode Batch"));
    Help::setContext(this, Help::Context::BatchTransfer);
    m_ui.beforeMessage = [this] { showPending(); };
    build();
    const QSize needed = minimumSizeHint();
    setFixedSize(qMax(644, needed.width()), qMax(199, needed.height()));

    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setSingleShot(true);
    Timer->setInterval(StartDelayMs);
    connect(Timer, &QTimer::timeout, this, &TforTransfertBatch::LanceTraitementClick);
}

void TforTransfertBatch::build()
{
    GroupBox1 = new QGroupBox(QStringLiteral(" Transfert des photos en cours "), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));

    imaPhoto = new QLabel(GroupBox1);
    imaPhoto->setObjectName(QStringLiteral("imaPhoto"));
    imaPhoto->setFixedSize(Thumbnail, Thumbnail);
    imaPhoto->setAlignment(Qt::AlignCenter);
    imaCopie = new QLabel(GroupBox1);
    imaCopie->setObjectName(QStringLiteral("imaCopie"));
    imaCopie->setFixedSize(Thumbnail, Thumbnail);
    imaCopie->setAlignment(Qt::AlignCenter);
    imaCopie->setPixmap(QIcon(QStringLiteral(":/icons/batch.svg")).pixmap(QSize(80, 80)));
    imaPhoto->setVisible(m_thumbnails);
    imaCopie->setVisible(!m_thumbnails);

    butArreter = new QPushButton(QStringLiteral("Arrêter le transfert"), GroupBox1);
    butArreter->setObjectName(QStringLiteral("butArreter"));
    butArreter->setMinimumSize(121, 25);
    butArreter->setAutoDefault(false);
    connect(butArreter, &QPushButton::clicked, this, &TforTransfertBatch::butArreterClick);

    auto *left = new QVBoxLayout;
    left->addWidget(imaPhoto, 0, Qt::AlignHCenter);
    left->addWidget(imaCopie, 0, Qt::AlignHCenter);
    left->addStretch(1);
    left->addWidget(butArreter);
    butEjecter = new CardEjectButton(GroupBox1);
    butEjecter->setMinimumSize(121, 25);
    left->addWidget(butEjecter);

    labInfoTransfert = valueLabel("labInfoTransfert", GroupBox1);
    labInfoTransfert->setAlignment(Qt::AlignCenter);
    QPalette navy = labInfoTransfert->palette();
    navy.setColor(QPalette::WindowText, Navy);
    labInfoTransfert->setPalette(navy);
    pbGauge = new QProgressBar(GroupBox1);
    pbGauge->setObjectName(QStringLiteral("pbGauge"));
    pbGauge->setMinimum(0);
    pbGauge->setValue(0);
    pbGauge->setTextVisible(false);
    pbGauge->setFixedHeight(17);

    labDatePhoto = valueLabel("labDatePhoto", GroupBox1);
    // Long names lose their middle, never their end; the tooltip gives the whole path.
    labNomPhoto = valueLabel<ElidedLabel>("labNomPhoto", GroupBox1);
    labNomPhotoDestination = valueLabel<ElidedLabel>("labNomPhotoDestination", GroupBox1);
    auto *values = new QFormLayout;
    values->setLabelAlignment(Qt::AlignRight);
    values->setHorizontalSpacing(10);
    values->addRow(captionLabel(QStringLiteral("Date de la photo :"), GroupBox1), labDatePhoto);
    values->addRow(captionLabel(QStringLiteral("Photo source :"), GroupBox1), labNomPhoto);
    values->addRow(captionLabel(QStringLiteral("Photo destination :"), GroupBox1), labNomPhotoDestination);

    auto *right = new QVBoxLayout;
    right->addWidget(labInfoTransfert);
    right->addWidget(pbGauge);
    right->addSpacing(8);
    right->addLayout(values);
    right->addStretch(1);

    auto *inside = new QHBoxLayout(GroupBox1);
    inside->setContentsMargins(12, 10, 16, 10);
    inside->setSpacing(18);
    inside->addLayout(left);
    inside->addLayout(right, 1);
    // The value labels keep the designed room (names of about 50 characters) without growing
    // the window for every long name.
    for (QLabel *label : std::initializer_list<QLabel *>{labDatePhoto, labNomPhoto, labNomPhotoDestination})
        label->setMinimumWidth(337);

    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(16, 12, 11, 12);
    main->addWidget(GroupBox1);
}

void TforTransfertBatch::setCardEject(const CardEject &eject)
{
    butEjecter->setCardEject(eject);
}

void TforTransfertBatch::setStartDelay(int milliseconds)
{
    Timer->setInterval(milliseconds);
}

void TforTransfertBatch::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Shown again after a message box: the processing starts once only.
    if (!m_started && !Timer->isActive())
        Timer->start();
}

void TforTransfertBatch::closeEvent(QCloseEvent *event)
{
    if (m_finished)
        QDialog::closeEvent(event);
    else
        event->ignore();
}

void TforTransfertBatch::reject()
{
    if (m_finished)
        QDialog::reject();
}

void TforTransfertBatch::butArreterClick()
{
    m_batch.requestStop();
}

void TforTransfertBatch::WindowUserInterface::showError(const QString &text)
{
    if (beforeMessage)
        beforeMessage();
    QtUserInterface::showError(text);
}

void TforTransfertBatch::WindowUserInterface::showInformation(const QString &text)
{
    if (beforeMessage)
        beforeMessage();
    QtUserInterface::showInformation(text);
}

bool TforTransfertBatch::WindowUserInterface::askConfirmation(const QString &text)
{
    if (beforeMessage)
        beforeMessage();
    return QtUserInterface::askConfirmation(text);
}

void TforTransfertBatch::photoStarted(const BatchPhoto &photo)
{
    if (m_lastShown.isValid() && m_lastShown.elapsed() < DisplayIntervalMs) {
        m_pending = photo;
        return;
    }
    show(photo);
}

void TforTransfertBatch::showPending()
{
    if (m_pending)
        show(*std::exchange(m_pending, std::nullopt));
}

void TforTransfertBatch::show(const BatchPhoto &photo)
{
    m_pending.reset();
    m_lastShown.start();
    labInfoTransfert->setText(QStringLiteral("transfert de la photo %1 sur %2").arg(photo.number).arg(photo.total));
    pbGauge->setMaximum(photo.total);
    pbGauge->setValue(photo.number);
    labNomPhoto->setFullText(QFileInfo(photo.source).fileName(), photo.source);
    labDatePhoto->setText(BatchTransfer::formatDate(photo.date));
    labNomPhotoDestination->setFullText(QFileInfo(photo.destination).fileName(), photo.destination);
    if (m_thumbnails)
        imaPhoto->setPixmap(QPixmap::fromImage(photo.video ? videoPlaceholder(QSize(105, 79), photo.durationMs)
                                                           : photo.thumbnail));
}

void TforTransfertBatch::LanceTraitementClick()
{
    if (m_started)
        return;
    m_started = true;
    const BatchTransfer::Result result = m_batch.run(this);
    // The last photo is on the screen before the window closes or the slideshow starts.
    showPending();
    m_ui.processEvents();
    if (result.slideshowWanted) {
        QStringList written = m_batch.PhotosTransferees();
        LancerDiaporama(m_settings, written);
    }
    m_finished = true;
    // A removable card: ejected now, or the window stays open to offer it.
    if (butEjecter->offer(m_source.get(), m_settings.EjecterCarte)) {
        GroupBox1->setTitle(QStringLiteral(" Transfert des photos terminé "));
        butArreter->setText(QStringLiteral("Fermer"));
        disconnect(butArreter, &QPushButton::clicked, this, nullptr);
        connect(butArreter, &QPushButton::clicked, this, &QDialog::accept);
        connect(butEjecter, &CardEjectButton::ejected, this, &QDialog::accept);
        return;
    }
    accept();
}

void LancerTransfertBatch(TParamAppli &settings, QStringList &photos, const QString &destination,
                          const QString &theme, bool lowQuality, bool lowQualityOnly, bool thumbnails, QWidget *parent,
                          std::shared_ptr<PhotoSource> source, const ShotMembers *shots)
{
    BatchOptions options;
    options.destination = destination;
    options.theme = theme;
    options.lowQuality = lowQuality;
    options.lowQualityOnly = lowQualityOnly;
    options.thumbnails = thumbnails;
    // A folder's photos are copied from their files; a device's are read through the source.
    options.source = std::move(source);
    TforTransfertBatch window(settings, photos, options, parent, shots);
    if (const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        window.move(screen->availableGeometry().center() - window.rect().center());
    window.exec();
}
