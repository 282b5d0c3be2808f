// How the photo-by-photo window is laid out: the photo in the centre with its turn buttons and
// the transfer parameters under it, the photo's data and EXIF table on the right, the action
// bar at the bottom.
#include "transfer/fortransfertphoto.h"

#include "controls/togglebutton.h"
#include "controls/grid/extendedgrid.h"
#include "controls/photoimage.h"
#include "controls/saisiedate.h"
#include "controls/saisieheure.h"
#include "controls/wrappednamelabel.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedLayout>
#include <QToolBar>

#include "transfer/cardejectbutton.h"
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QColor Navy(0, 0, 128);

void setNavy(QWidget *widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, Navy);
    widget->setPalette(palette);
}

QLabel *navyLabel(const char *name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    setNavy(label);
    return label;
}

QIcon glyph(const QString &name)
{
    return QIcon(QStringLiteral(":/transfer/") + name);
}

} // namespace

QAction *TforTransfertPhoto::makeAction(const char *name, const QString &caption, const QString &icon,
                                        const QString &hint)
{
    auto *action = new QAction(glyph(icon), caption, this);
    action->setObjectName(QLatin1String(name));
    action->setToolTip(hint);
    action->setStatusTip(hint);
    // The letter after "&" is the accelerator (Alt+T for "&Transférer").
    const QKeySequence mnemonic = QKeySequence::mnemonic(caption);
    if (!mnemonic.isEmpty())
        action->setShortcut(mnemonic);
    addAction(action);
    return action;
}

void TforTransfertPhoto::build()
{
    auto *centre = new QHBoxLayout;
    centre->setContentsMargins(0, 0, 0, 0);
    centre->setSpacing(0);
    centre->addWidget(buildImagePanel(), 1);
    centre->addWidget(buildInfoPanel());

    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(0);
    main->addLayout(centre, 1);
    main->addWidget(buildButtonStrip());
}

QWidget *TforTransfertPhoto::buildInfoPanel()
{
    panInfoExif = new QWidget(this);
    panInfoExif->setObjectName(QStringLiteral("panInfoExif"));
    panInfoExif->setFixedWidth(335);

    gbInfoPhoto = new QGroupBox(panInfoExif);
    gbInfoPhoto->setObjectName(QStringLiteral("gbInfoPhoto"));
    pbGauge = new QProgressBar(gbInfoPhoto);
    pbGauge->setObjectName(QStringLiteral("pbGauge"));
    pbGauge->setTextVisible(false);
    pbGauge->setFixedHeight(14);
    labNomPhoto = navyLabel("labNomPhoto", gbInfoPhoto);
    labNomPhoto->setAlignment(Qt::AlignCenter);
    labNomPhoto->setWordWrap(true);

    butChangeDatePhoto = new QPushButton(QStringLiteral("Photo prise le :"), gbInfoPhoto);
    butChangeDatePhoto->setObjectName(QStringLiteral("butChangeDatePhoto"));
    butChangeDatePhoto->setToolTip(QStringLiteral("Changer la date de la photo"));
    butChangeDatePhoto->setAutoDefault(false);

    // The date shown and the date editor take turns in one place.
    panAfficheDatePhoto = new QWidget(gbInfoPhoto);
    panAfficheDatePhoto->setObjectName(QStringLiteral("panAfficheDatePhoto"));
    labDatePhoto = navyLabel("labDatePhoto", panAfficheDatePhoto);
    auto *shown = new QHBoxLayout(panAfficheDatePhoto);
    shown->setContentsMargins(0, 0, 0, 0);
    shown->addWidget(labDatePhoto);
    panSaisieDatePhoto = new QWidget(gbInfoPhoto);
    panSaisieDatePhoto->setObjectName(QStringLiteral("panSaisieDatePhoto"));
    sdDatePhoto = new TSaisieDate(panSaisieDatePhoto);
    sdDatePhoto->setObjectName(QStringLiteral("sdDatePhoto"));
    shHeurePhoto = new TSaisieHeure(panSaisieDatePhoto);
    shHeurePhoto->setObjectName(QStringLiteral("shHeurePhoto"));
    auto *edited = new QHBoxLayout(panSaisieDatePhoto);
    edited->setContentsMargins(0, 0, 0, 0);
    edited->addWidget(sdDatePhoto);
    edited->addWidget(new QLabel(QStringLiteral("à"), panSaisieDatePhoto));
    edited->addWidget(shHeurePhoto);
    edited->addStretch(1);
    m_dates = new QStackedLayout;
    m_dates->addWidget(panAfficheDatePhoto);
    m_dates->addWidget(panSaisieDatePhoto);

    auto *dateLine = new QHBoxLayout;
    dateLine->addWidget(butChangeDatePhoto);
    dateLine->addLayout(m_dates, 1);
    auto *info = new QVBoxLayout(gbInfoPhoto);
    info->addWidget(pbGauge);
    info->addWidget(labNomPhoto);
    info->addLayout(dateLine);

    egInfoExif = new TExtendedGrid(panInfoExif);
    egInfoExif->setObjectName(QStringLiteral("egInfoExif"));
    egInfoExif->setColCount(2);
    egInfoExif->setFixedCols(0);
    egInfoExif->setRowCount(1);
    egInfoExif->setFixedRows(1);
    egInfoExif->setDefaultRowHeight(18);
    egInfoExif->setFixedColor(QColor(0, 128, 255));
    QFont bold = egInfoExif->font();
    bold.setBold(true);
    const QList<QPair<QString, int>> columns = {{QStringLiteral("Information"), 130}, {QStringLiteral("Valeur"), 160}};
    for (const auto &[title, width] : columns) {
        TColonne &column = egInfoExif->Colonnes().Add();
        column.setLargeur(width);
        column.Titre().setCaption(title);
        column.Titre().setFont(bold);
        column.Titre().setFontColor(Qt::white);
        column.setArretCellule(false); // a table to read: no cell takes the cursor
    }
    egInfoExif->OnGetCellule = [](TExtendedGrid *, int, int, TColonne &) {};

    auto *panel = new QVBoxLayout(panInfoExif);
    panel->setContentsMargins(4, 6, 6, 6);
    panel->addWidget(gbInfoPhoto);
    panel->addWidget(egInfoExif, 1);
    return panInfoExif;
}

QWidget *TforTransfertPhoto::buildImagePanel()
{
    auto *panImage = new QWidget(this);
    panImage->setObjectName(QStringLiteral("panImage"));
    imaPhoto = new PhotoImage(panImage);
    imaPhoto->setObjectName(QStringLiteral("imaPhoto"));

    sbRotationAutomatique = new ToggleButton(glyph(QStringLiteral("ROTATEAUTO")),
                                               QStringLiteral("Désactiver la rotation automatique"),
                                               glyph(QStringLiteral("NOROTATEAUTO")),
                                               QStringLiteral("Activer la rotation automatique"), panImage);
    sbRotationAutomatique->setObjectName(QStringLiteral("sbRotationAutomatique"));
    sbRotationDroite = new QToolButton(panImage);
    sbRotationDroite->setObjectName(QStringLiteral("sbRotationDroite"));
    sbRotationDroite->setIcon(glyph(QStringLiteral("rotationdroite")));
    sbRotationDroite->setIconSize(QSize(24, 24));
    sbRotationDroite->setToolTip(QStringLiteral("Rotation de 90° dans le sens des aiguilles d'une montre"));
    sbRotationGauche = new QToolButton(panImage);
    sbRotationGauche->setObjectName(QStringLiteral("sbRotationGauche"));
    sbRotationGauche->setIcon(glyph(QStringLiteral("rotationgauche")));
    sbRotationGauche->setIconSize(QSize(24, 24));
    sbRotationGauche->setToolTip(QStringLiteral("Rotation de 90° dans le sens inverse des aiguilles d'une montre"));
    auto *panBoutonsImage = new QHBoxLayout;
    panBoutonsImage->addWidget(sbRotationAutomatique);
    panBoutonsImage->addStretch(1);
    panBoutonsImage->addWidget(sbRotationGauche);
    panBoutonsImage->addWidget(sbRotationDroite);

    panSaisie = new QWidget(panImage);
    panSaisie->setObjectName(QStringLiteral("panSaisie"));
    gbParametreTransfert = new QGroupBox(QStringLiteral("Paramètres du transfert"), panSaisie);
    gbParametreTransfert->setObjectName(QStringLiteral("gbParametreTransfert"));
    saiNomPhoto = new QComboBox(gbParametreTransfert);
    saiNomPhoto->setObjectName(QStringLiteral("saiNomPhoto"));
    saiNomPhoto->setEditable(true);
    saiNomPhoto->setInsertPolicy(QComboBox::NoInsert); // the program keeps the themes itself
    saiNomPhoto->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    saiNomPhoto->installEventFilter(this); // the box, not its line, takes the focus
    // The one thing the user checks before "Transférer": shown whole, on two lines if need be.
    labNomFinalPhoto = new WrappedNameLabel(gbParametreTransfert);
    labNomFinalPhoto->setObjectName(QStringLiteral("labNomFinalPhoto"));
    setNavy(labNomFinalPhoto);
    sbLowQuality = new ToggleButton(glyph(QStringLiteral("LOWQUALITY")),
                                      QStringLiteral("Désactiver l'enregistrement d'une copie basse résolution"),
                                      glyph(QStringLiteral("NOLOWQUALITY")),
                                      QStringLiteral("Activer l'enregistrement d'une copie basse résolution"),
                                      gbParametreTransfert);
    sbLowQuality->setObjectName(QStringLiteral("sbLowQuality"));
    sbExportExif = new ToggleButton(glyph(QStringLiteral("EXPORTEXIF")),
                                      QStringLiteral("Désactiver la sauvegarde des informations EXIF"),
                                      glyph(QStringLiteral("NOEXPORTEXIF")),
                                      QStringLiteral("Activer la sauvegarde des informations EXIF"), gbParametreTransfert);
    sbExportExif->setObjectName(QStringLiteral("sbExportExif"));
    auto *parameters = new QGridLayout(gbParametreTransfert);
    parameters->addWidget(new QLabel(QStringLiteral("Thème de la photo :"), gbParametreTransfert), 0, 0);
    parameters->addWidget(saiNomPhoto, 0, 1);
    parameters->addWidget(new QLabel(QStringLiteral("Nom final de la photo :"), gbParametreTransfert), 1, 0);
    // The name takes the whole width under the theme and the toggles: room for two full lines.
    parameters->addWidget(labNomFinalPhoto, 1, 1, 1, 3);
    parameters->addWidget(sbLowQuality, 0, 2);
    parameters->addWidget(sbExportExif, 0, 3);
    parameters->setColumnStretch(1, 1);

    gbCopy = new QGroupBox(QStringLiteral(" Veuillez patienter... "), panSaisie);
    gbCopy->setObjectName(QStringLiteral("gbCopy"));
    auto *copyImage = new QLabel(gbCopy);
    copyImage->setPixmap(QIcon(QStringLiteral(":/icons/attente.svg")).pixmap(32, 32));
    auto *copyCaption = new QLabel(QStringLiteral("Traitement du fichier : "), gbCopy);
    QFont captionFont = copyCaption->font();
    captionFont.setBold(true);
    copyCaption->setFont(captionFont);
    labInfoCopy = navyLabel("labInfoCopy", gbCopy);
    labInfoCopy->setAlignment(Qt::AlignCenter);
    labInfoCopy->setWordWrap(true);
    auto *copy = new QHBoxLayout(gbCopy);
    copy->addWidget(copyImage);
    copy->addWidget(copyCaption);
    copy->addWidget(labInfoCopy, 1);

    m_saisie = new QStackedLayout(panSaisie);
    m_saisie->addWidget(gbParametreTransfert);
    m_saisie->addWidget(gbCopy);

    auto *panel = new QVBoxLayout(panImage);
    panel->setContentsMargins(10, 10, 10, 10);
    panel->addWidget(imaPhoto, 1);
    panel->addLayout(panBoutonsImage);
    panel->addWidget(panSaisie);
    return panImage;
}

QWidget *TforTransfertPhoto::buildButtonStrip()
{
    auto *panBoutons = new QWidget(this);
    panBoutons->setObjectName(QStringLiteral("panBoutons"));
    panBoutons->setMinimumHeight(44);
    sbAgrandirEcran = new QToolButton(panBoutons);
    sbAgrandirEcran->setObjectName(QStringLiteral("sbAgrandirEcran"));
    sbAgrandirEcran->setCheckable(true);
    sbAgrandirEcran->setAutoRaise(true);
    sbAgrandirEcran->setFixedSize(36, 36);
    sbAgrandirEcran->setIcon(glyph(QStringLiteral("agrandir")));
    sbAgrandirEcran->setIconSize(QSize(28, 28));

    actPrecedent = makeAction("actPrecedent", QStringLiteral("&Précédente"), QStringLiteral("precedente"),
                              QStringLiteral("Photo précédente"));
    actBasseQualite = makeAction("actBasseQualite", QStringLiteral("Basse résolution"), QStringLiteral("bassequalite"),
                                 QStringLiteral("Créer uniquement la photo basse résolution"));
    actTransfert = makeAction("actTransfert", QStringLiteral("&Transférer"), QStringLiteral("transferer"),
                              QStringLiteral("Transfert de la photo avec les options définies"));
    actSuivant = makeAction("actSuivant", QStringLiteral("&Suivante"), QStringLiteral("suivante"),
                            QStringLiteral("Photo suivante"));
    actArreter = makeAction("actArreter", QStringLiteral("&Arrêter"), QStringLiteral("arreter"),
                            QStringLiteral("Annuler le transfert des photos"));
    actPrecedent->setEnabled(false);

    auto *actBoutons = new QToolBar(panBoutons);
    actBoutons->setObjectName(QStringLiteral("actBoutons"));
    actBoutons->setIconSize(QSize(32, 32));
    actBoutons->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    actBoutons->addActions({actPrecedent, actBasseQualite, actTransfert, actSuivant, actArreter});

    auto *strip = new QHBoxLayout(panBoutons);
    strip->setContentsMargins(4, 2, 4, 2);
    strip->addWidget(sbAgrandirEcran);
    strip->addStretch(1);
    strip->addWidget(actBoutons);
    butEjecter = new CardEjectButton(panBoutons);
    strip->addWidget(butEjecter);
    strip->addStretch(1);
    return panBoutons;
}
