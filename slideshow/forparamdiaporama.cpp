#include "slideshow/forparamdiaporama.h"

#include "controls/saisiebouton.h"
#include "core/error.h"
#include "core/discovery/filtrephoto.h"
#include "core/settings/paramappli.h"
#include "core/files/paths.h"
#include "core/discovery/recherchephotos.h"
#include "dialogs/choisirrepertoire.h"
#include "dialogs/helpwindow.h"
#include "dialogs/messages.h"
#include "dialogs/qtuserinterface.h"
#include "slideshow/fordiaporama.h"
#include "controls/forselectionphoto.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

QPushButton *makeButton(const char *name, const QString &caption, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    button->setMinimumWidth(75);
    return button;
}

} // namespace

TforParamDiaporama::TforParamDiaporama(TParamAppli &settings, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_settings(settings)
    , m_filtre(std::make_unique<TFiltrePhoto>(settings.folder()))
{
    setObjectName(QStringLiteral("forParamDiaporama"));
    setWindowTitle(QStringLiteral("Lumaro - Paramétrage du Diaporama"));
    Help::setContext(this, Help::Context::SlideshowSetUp);
    build();
    slRepertoire->AffecterTexte(settings.LecteurCarte);
    setFixedSize(sizeHint().expandedTo(QSize(420, 0)));
}

TforParamDiaporama::~TforParamDiaporama() = default;

void TforParamDiaporama::build()
{
    gbParametres = new QGroupBox(this);
    gbParametres->setObjectName(QStringLiteral("gbParametres"));

    Label2 = new QLabel(QStringLiteral("Répertoire des photos :"), gbParametres);
    Label2->setObjectName(QStringLiteral("Label2"));
    slRepertoire = new TSaisieListe(gbParametres);
    slRepertoire->setObjectName(QStringLiteral("slRepertoire"));
    slRepertoire->setParametres(QStringLiteral("dfTout"));
    // Chosen through the folder browser only, so the folder always exists when it is chosen.
    slRepertoire->setReadOnly(true);
    slRepertoire->setAutoriseF4(false);
    slRepertoire->setMinimumWidth(260);
    Label2->setBuddy(slRepertoire);
    auto *folderRow = new QHBoxLayout;
    folderRow->addWidget(Label2);
    folderRow->addWidget(slRepertoire, 1);

    cbSousRepertoire = new QCheckBox(QStringLiteral("Explorer les sous répertoires"), gbParametres);
    cbSousRepertoire->setObjectName(QStringLiteral("cbSousRepertoire"));
    cbSousRepertoire->setChecked(true);

    auto *group = new QVBoxLayout(gbParametres);
    group->addLayout(folderRow);
    group->addWidget(cbSousRepertoire);

    butFiltre = makeButton("butFiltre", QStringLiteral("&Filtrer les photos"), this);
    butSuivant = makeButton("butSuivant", QStringLiteral("&Suivant"), this);
    butSuivant->setDefault(true);
    butAnnuler = makeButton("butAnnuler", QStringLiteral("&Arrêter"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(butFiltre);
    buttons->addStretch(1);
    buttons->addWidget(butSuivant);
    buttons->addWidget(butAnnuler);

    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(8, 8, 8, 8);
    main->addWidget(gbParametres);
    main->addLayout(buttons);

    connect(slRepertoire, &TSaisieListe::listeClick, this, &TforParamDiaporama::slRepertoireListeClick);
    connect(butFiltre, &QPushButton::clicked, this, &TforParamDiaporama::butFiltreClick);
    connect(butSuivant, &QPushButton::clicked, this, &TforParamDiaporama::butSuivantClick);
    connect(butAnnuler, &QPushButton::clicked, this, &TforParamDiaporama::butAnnulerClick);
}

void TforParamDiaporama::slRepertoireListeClick()
{
    const FolderChoice choice = ChoisirRepertoire(QStringLiteral("Choisissez le répertoire pour le diaporama"));
    if (choice.confirmed)
        slRepertoire->AffecterTexte(choice.folder);
}

void TforParamDiaporama::butFiltreClick()
{
    LancerSelectionPhoto(*m_filtre, this);
}

void TforParamDiaporama::butSuivantClick()
{
    const QString folder = slRepertoire->LireTexte();
    if (folder.isEmpty()) {
        MessageInformation(QStringLiteral("Veuillez saisir un répertoire."));
        return;
    }
    QStringList extraFiles;
    QStringList photos;
    try {
        QtUserInterface ui;
        RechercherPhotos(Paths::withSeparator(folder), cbSousRepertoire->isChecked(), *m_filtre, extraFiles, photos,
                         m_settings, ui);
    } catch (const LumaroError &error) {
        // The history could not be kept: the user may pick another folder.
        MessageErreur(error.message());
        return;
    }
    if (!photos.isEmpty())
        LancerDiaporama(m_settings, photos);
    else
        MessageInformation(QStringLiteral("Le repertoire est vide !"));
    accept();
}

void TforParamDiaporama::butAnnulerClick()
{
    reject();
}

void LancerParamDiaporama(TParamAppli &settings)
{
    QWidget *owner = QApplication::activeWindow();
    TforParamDiaporama dialog(settings, owner);
    if (const QScreen *screen = owner ? owner->screen() : QGuiApplication::primaryScreen())
        dialog.move(screen->availableGeometry().center() - dialog.rect().center());
    dialog.exec();
}
