// The five pages of the settings dialog and its button panel.
#include "app/forparametrage.h"

#include "controls/saisie.h"
#include "controls/saisiebouton.h"
#include "controls/saisieentier.h"
#include "core/formats/filekind.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {

const QColor Navy(0, 0, 128);

// The tags of the mask language, as the mask pages list them.
const char *const TagLines[] = {
    "#AA   : Année sur 2 caractères",
    "#AAAA : Année sur 4 caractères",
    "#M    : Numéro du mois (de 01 à 12)",
    "#MM   : Nom court du mois (de JAN. à DEC.)",
    "#MMM  : Nom long du mois (de JANVIER à DECEMBRE)",
    "#THEME: Thème de la photo",
    "#J    : Numéro du jour (de 01 à 31)",
    "#JJ   : Nom court du jour (de LUN. à VEN.)",
    "#JJJ  : Nom long du jour (de LUNDI à VENDREDI)",
    "#HH   : Indique l'heure de prise de la photo",
    "#MI   : Indique les minutes à la prise de la photo",
    "#SS   : Indique les secondes à la prise de la photo",
    "#N    : Numéro de la photo",
    "#Nx   : (ou x = 1 à 9) Numéro de la photo complété à gauche par x 0",
    "#ORIG : Reprend le nom des photos originales sur la carte",
    "#CPTx: (ou x = 1 à 9) Compteur indépendant du nom de la photo",
};

QString tagLine(int number)
{
    return QString::fromUtf8(TagLines[number - 1]);
}

template<class T>
T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QCheckBox *checkBox(const char *name, const QString &caption, QWidget *parent)
{
    return named(new QCheckBox(caption, parent), name);
}

QLabel *label(const char *name, const QString &caption, QWidget *buddy, QWidget *parent)
{
    QLabel *result = named(new QLabel(caption, parent), name);
    if (buddy)
        result->setBuddy(buddy);
    return result;
}

// A free-text edit: any character.
TSaisie *anyTextEdit(const char *name, QWidget *parent)
{
    TSaisie *edit = named(new TSaisie(parent), name);
    edit->setParametres(QStringLiteral("dfTout"));
    return edit;
}

// A folder, chosen through the browser only (button or F4).
TSaisieListe *folderEdit(const char *name, QWidget *parent)
{
    TSaisieListe *edit = named(new TSaisieListe(parent), name);
    edit->setParametres(QStringLiteral("dfTout"));
    edit->setReadOnly(true);
    edit->setAutoriseF4(true);
    edit->setMinimumWidth(300);
    return edit;
}

// A page holding one titled group, returned in `group` for the caller to fill.
QWidget *page(const char *name, const QString &groupTitle, const char *groupName, QGroupBox **group)
{
    auto *result = named(new QWidget, name);
    *group = named(new QGroupBox(groupTitle, result), groupName);
    auto *layout = new QVBoxLayout(result);
    layout->addWidget(*group, 1);
    return result;
}

// The read-only list of tags under its navy heading: it can take neither input nor the focus.
void addTagList(QVBoxLayout *layout, const char *headingName, const QString &heading, const char *listName,
                const QStringList &lines, QWidget *parent)
{
    QLabel *title = named(new QLabel(heading, parent), headingName);
    QPalette titlePalette = title->palette();
    titlePalette.setColor(QPalette::WindowText, Navy);
    title->setPalette(titlePalette);

    auto *panel = named(new QFrame(parent), listName);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFocusPolicy(Qt::NoFocus);
    panel->setAutoFillBackground(true);
    QPalette panelPalette = panel->palette();
    panelPalette.setColor(QPalette::Window, panelPalette.color(QPalette::ToolTipBase));
    panelPalette.setColor(QPalette::WindowText, Navy);
    panel->setPalette(panelPalette);

    auto *text = new QLabel(lines.join(u'\n'), panel);
    text->setObjectName(QLatin1String(listName) + QStringLiteral("Texte"));
    text->setTextFormat(Qt::PlainText);
    text->setTextInteractionFlags(Qt::NoTextInteraction);
    QFont mono(QStringLiteral("Courier New"));
    mono.setStyleHint(QFont::TypeWriter);
    mono.setPointSizeF(text->font().pointSizeF());
    text->setFont(mono);
    auto *inside = new QVBoxLayout(panel);
    inside->setContentsMargins(6, 4, 6, 4);
    inside->addWidget(text);

    layout->addSpacing(6);
    layout->addWidget(title);
    layout->addWidget(panel);
}

QPushButton *button(const char *name, const QString &caption, QWidget *parent)
{
    QPushButton *result = named(new QPushButton(caption, parent), name);
    result->setMinimumWidth(75);
    return result;
}

} // namespace

QWidget *TforParametrage::buildGeneralPage()
{
    QGroupBox *group = nullptr;
    QWidget *result = page("tsDivers", QStringLiteral(" Divers "), "gbDivers", &group);

    slLecteurCarte = folderEdit("slLecteurCarte", group);
    slRepertoire = folderEdit("slRepertoire", group);
    slRepertoireAIgnorer = folderEdit("slRepertoireAIgnorer", group);
    slRepertoireAIgnorer->setToolTip(QStringLiteral(
        "Permet d'ignorer un répertoire de la carte lors du transfert (par exemple un répertoire contenant des miniatures)"));
    // Read-only: the Delete key is the one way to remove the folder to ignore.
    slRepertoireAIgnorer->installEventFilter(this);

    cbGestionExif = checkBox("cbGestionExif", QStringLiteral("Gérer les informations EXIF des photos"), group);
    cbGestionExif->setToolTip(QStringLiteral(
        "Permet d'activer/désactiver la gestion des informations EXIF. (En cas de problème sur certaines photos)"));
    // Set only by editing the settings file.
    cbGestionExif->setVisible(false);
    cbRotationAuto = checkBox("cbRotationAuto",
        QStringLiteral("Rotation automatique des photos lors du transfert (en fonction des infos EXIF de la photo)"), group);
    cbExportExif = checkBox("cbExportExif",
        QStringLiteral("Exporter les informations EXIF de la photo dans un fichier TXT lors d'un transfert"), group);
    cbSupprimerPhoto = checkBox("cbSupprimerPhoto", QStringLiteral("Supprimer la photo une fois transférée"), group);
    cbEjecterCarte = checkBox("cbEjecterCarte", QStringLiteral("Éjecter la carte à la fin du transfert"), group);
    cbAutresFormats = checkBox("cbAutresFormats", QStringLiteral("Transférer aussi les photos RAW, HEIF et les vidéos"), group);
    // The formats are named from the lists the search itself uses.
    const QString hint =
        QStringLiteral("RAW (%1), HEIF (%2) et vidéos (%3), avec leurs fichiers %4 : les fichiers d'un même nom "
                       "(IMG_0001.JPG et IMG_0001.CR2) sont transférés ensemble, sous un seul nom.")
            .arg(extensionsOf(FileKind::Raw).join(QStringLiteral(", ")),
                 extensionsOf(FileKind::Heif).join(QStringLiteral(", ")),
                 extensionsOf(FileKind::Video).join(QStringLiteral(", ")),
                 extensionsOf(FileKind::Sidecar).join(QStringLiteral(", ")));
    cbAutresFormats->setToolTip(hint);
    labAutresFormats = named(new QLabel(hint, group), "labAutresFormats");
    labAutresFormats->setWordWrap(true);
    labAutresFormats->setIndent(22);
    labAutresFormats->setForegroundRole(QPalette::PlaceholderText);

    cbModeAffichagePP = named(new QComboBox(group), "cbModeAffichagePP");
    cbModeAffichagePP->addItems({QStringLiteral("Standard"), QStringLiteral("Standard Maximisé"),
                                 QStringLiteral("Simplifié"), QStringLiteral("Simplifié Maximisé")});
    saiExtensionSupp = anyTextEdit("saiExtensionSupp", group);
    saiExtensionSupp->setToolTip(QStringLiteral(
        "Liste des extension à prendre en compte lors du transfert des photos. Ex : GIF;TIFF;AVI"));

    auto *grid = new QGridLayout(group);
    grid->setColumnStretch(1, 1);
    int row = 0;
    grid->addWidget(label("labLecteurCarte", QStringLiteral("Chemin source :"), slLecteurCarte, group), row, 0);
    grid->addWidget(slLecteurCarte, row++, 1);
    grid->addWidget(label("labRepertoire", QStringLiteral("Répertoire par défaut des photos :"), slRepertoire, group), row, 0);
    grid->addWidget(slRepertoire, row++, 1);
    grid->addWidget(label("labRepertoireAIgnorer", QStringLiteral("Répertoire a ignorer :"), slRepertoireAIgnorer, group),
                    row, 0);
    grid->addWidget(slRepertoireAIgnorer, row++, 1);
    grid->setRowMinimumHeight(row++, 6);
    for (QCheckBox *box : {cbGestionExif, cbRotationAuto, cbExportExif, cbSupprimerPhoto, cbEjecterCarte, cbAutresFormats})
        grid->addWidget(box, row++, 0, 1, 2);
    grid->addWidget(labAutresFormats, row++, 0, 1, 2);
    grid->setRowMinimumHeight(row++, 6);
    grid->addWidget(label("labModeAffichagePP", QStringLiteral("Mode d'affichage par défaut en Photo/Photo :"),
                          cbModeAffichagePP, group), row, 0);
    grid->addWidget(cbModeAffichagePP, row++, 1, Qt::AlignLeft);
    grid->addWidget(label("labExtensionSupp", QStringLiteral("Liste des extensions de fichiers à gérer : "),
                          saiExtensionSupp, group), row, 0);
    grid->addWidget(saiExtensionSupp, row++, 1);
    grid->setRowStretch(row, 1);
    return result;
}

QWidget *TforParametrage::buildFolderMaskPage()
{
    QGroupBox *group = nullptr;
    QWidget *result = page("tsMasque", QStringLiteral(" Masque Répertoire "), "gbMasqueRepertoire", &group);

    cbRepertoireSpecifique = checkBox("cbRepertoireSpecifique",
        QStringLiteral("Transférer les photos dans des répertoires spécifiques"), group);
    saiMasqueRepertoire = anyTextEdit("saiMasqueRepertoire", group);
    auto *row = new QHBoxLayout;
    row->addWidget(label("labMasqueRepertoire", QStringLiteral("Masque pour les répertoires :"), saiMasqueRepertoire, group));
    row->addWidget(saiMasqueRepertoire, 1);

    auto *layout = new QVBoxLayout(group);
    layout->addWidget(cbRepertoireSpecifique);
    layout->addLayout(row);
    QStringList lines;
    for (int number : {1, 2, 3, 4, 5, 7, 8, 9, 6})
        lines << tagLine(number);
    lines << QString() << QStringLiteral("Exemples :") << QString()
          << QStringLiteral(" #AAAA/#MMM : Les photos seront transférées dans : ")
          << QStringLiteral("      Répertoire défaut/2004/FEVRIER/");
    addTagList(layout, "labTagsRepertoire", QStringLiteral("Liste des tags autorisés pour le masque :"),
               "panTagsRepertoire", lines, group);
    layout->addStretch(1);
    return result;
}

QWidget *TforParametrage::buildPhotoMaskPage()
{
    QGroupBox *group = nullptr;
    QWidget *result = page("tsMasqueFichier", QStringLiteral(" Masque Photo "), "gbMasquePhoto", &group);

    saiMasqueNomPhoto = anyTextEdit("saiMasqueNomPhoto", group);
    auto *row = new QHBoxLayout;
    row->addWidget(label("labMasqueNomPhoto", QStringLiteral("Masque pour le nom des photos :"), saiMasqueNomPhoto, group));
    row->addWidget(saiMasqueNomPhoto, 1);

    auto *layout = new QVBoxLayout(group);
    layout->addLayout(row);
    QStringList lines;
    for (int number = 1; number <= 16; ++number)
        lines << tagLine(number);
    addTagList(layout, "labTagsPhoto", QStringLiteral("Liste des tags autorisés pour le masque : "), "panTagsPhoto",
               lines, group);
    layout->addStretch(1);
    return result;
}

QWidget *TforParametrage::buildLowQualityPage()
{
    QGroupBox *group = nullptr;
    QWidget *result = page("tsLowQuality", QStringLiteral(" Basse résolution "), "gbBasseResolution", &group);

    cbActiverLowQuality = checkBox("cbActiverLowQuality", QStringLiteral("Activer l'option par défaut"), group);
    saiSuffixeLowQ = named(new TSaisie(group), "saiSuffixeLowQ");
    saiSuffixeLowQ->setParametres(
        QStringLiteral("[dfNombre, dfSigne, dfSeparatDec, dfLettreMin, dfLettreMaj, dfEspace]"));
    saiSuffixeLowQ->setMinimumWidth(saiSuffixeLowQ->fontMetrics().horizontalAdvance(QStringLiteral("WWWWWWWWWW")) / 2 + 24);
    saiRepertoireLow = anyTextEdit("saiRepertoireLow", group);

    tbGaugeQualiteJPG = named(new QSlider(Qt::Horizontal, group), "tbGaugeQualiteJPG");
    tbGaugeQualiteJPG->setRange(1, 100);
    tbGaugeQualiteJPG->setTickPosition(QSlider::TicksBelow);
    tbGaugeQualiteJPG->setTickInterval(5);
    tbGaugeQualiteJPG->setPageStep(5);
    labQualiteJpg = named(new QLabel(group), "labQualiteJpg");
    labQualiteJpg->setMinimumWidth(labQualiteJpg->fontMetrics().horizontalAdvance(QStringLiteral("100 %")) + 4);
    labQualiteJpg->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto *quality = new QHBoxLayout;
    quality->addWidget(tbGaugeQualiteJPG, 1);
    quality->addWidget(labQualiteJpg);

    auto *grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    grid->addWidget(label("labSuffixeLowQ", QStringLiteral("Suffixe :"), saiSuffixeLowQ, group), 0, 0);
    grid->addWidget(saiSuffixeLowQ, 0, 1, Qt::AlignLeft);
    grid->addWidget(label("labRepertoireLow", QStringLiteral("Sous répertoire :"), saiRepertoireLow, group), 1, 0);
    grid->addWidget(saiRepertoireLow, 1, 1);
    grid->addWidget(label("labQualite", QStringLiteral("Qualité des images  :"), tbGaugeQualiteJPG, group), 2, 0);
    grid->addLayout(quality, 2, 1);

    cbRedimensionLowQ = checkBox("cbRedimensionLowQ", QStringLiteral("Modifier la taille des photos"), group);
    rgDimensionLowQ = named(new QGroupBox(QStringLiteral(" Dimension "), group), "rgDimensionLowQ");
    m_dimensions = new QButtonGroup(rgDimensionLowQ);
    auto *sizes = new QGridLayout(rgDimensionLowQ);
    const QStringList items = {QStringLiteral("320 * 240"), QStringLiteral("640 * 480"), QStringLiteral("720 * 576"),
                               QStringLiteral("800 * 600"), QStringLiteral("1024 * 768"), QStringLiteral("1280 * 1024")};
    // Two columns filled one after the other, as a radio group lays out its items.
    const int perColumn = int(items.size() + 1) / 2;
    for (int i = 0; i < items.size(); ++i) {
        auto *item = new QRadioButton(items.at(i), rgDimensionLowQ);
        item->setObjectName(QStringLiteral("rgDimensionLowQ%1").arg(i));
        m_dimensions->addButton(item, i);
        sizes->addWidget(item, i % perColumn, i / perColumn);
    }

    cbGarderInfoExifLQ = checkBox("cbGarderInfoExifLQ", QStringLiteral("Garder les informations EXIF de la photo originale"),
                                  group);
    cbGarderInfoDateLow = checkBox("cbGarderInfoDateLow",
        QStringLiteral("Création de ces photos avec une date et heure identique à la photo original"), group);

    auto *layout = new QVBoxLayout(group);
    layout->addWidget(cbActiverLowQuality);
    layout->addLayout(grid);
    layout->addWidget(cbRedimensionLowQ);
    layout->addWidget(rgDimensionLowQ);
    layout->addWidget(cbGarderInfoExifLQ);
    layout->addWidget(cbGarderInfoDateLow);
    layout->addStretch(1);
    return result;
}

QWidget *TforParametrage::buildSlideshowPage()
{
    QGroupBox *group = nullptr;
    QWidget *result = page("tsDiaporama", QStringLiteral(" Diaporama "), "gbDiaporama", &group);

    cbExecuterDiaporama = checkBox("cbExecuterDiaporama", QStringLiteral("Exécuter un diaporama à la fin du transfert"), group);
    cbDiaporamaAuto = checkBox("cbDiaporamaAuto", QStringLiteral("Activer par défaut le diaporama automatique"), group);
    seTempsDiaporama = named(new TSaisieEntier(group), "seTempsDiaporama");
    seTempsDiaporama->setValeurMax(60);
    seTempsDiaporama->setValeurMin(0);
    seTempsDiaporama->setFixedWidth(seTempsDiaporama->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 16);
    labTempsDiapo1 = label("labTempsDiapo1", QStringLiteral("Temps entre chaque photo :"), seTempsDiaporama, group);
    labTempsDiapo2 = label("labTempsDiapo2", QStringLiteral("seconde(s)"), nullptr, group);
    auto *delay = new QHBoxLayout;
    delay->addWidget(labTempsDiapo1);
    delay->addWidget(seTempsDiaporama);
    delay->addWidget(labTempsDiapo2);
    delay->addStretch(1);
    cbBouclerDiaporama = checkBox("cbBouclerDiaporama", QStringLiteral("Exécuter en boucle"), group);
    cbNomPhotoDiaporama = checkBox("cbNomPhotoDiaporama", QStringLiteral("Afficher le nom de la photo pendant le diaporama"),
                                   group);
    cbCacherCurseurDiapo = checkBox("cbCacherCurseurDiapo", QStringLiteral("Cacher le curseur pendant le diaporama"), group);

    auto *layout = new QVBoxLayout(group);
    layout->addWidget(cbExecuterDiaporama);
    layout->addWidget(cbDiaporamaAuto);
    layout->addLayout(delay);
    layout->addWidget(cbBouclerDiaporama);
    layout->addWidget(cbNomPhotoDiaporama);
    layout->addWidget(cbCacherCurseurDiapo);
    layout->addStretch(1);
    return result;
}

QWidget *TforParametrage::buildButtonPanel()
{
    auto *panel = named(new QWidget(this), "panBouton");
    butValider = button("butValider", QStringLiteral("&Valider"), panel);
    butValider->setDefault(true);
    butAnnuler = button("butAnnuler", QStringLiteral("&Annuler"), panel);
    auto *row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch(1);
    row->addWidget(butValider);
    row->addWidget(butAnnuler);
    return panel;
}
