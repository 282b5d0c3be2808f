#include "controls/forselectionphoto.h"

#include "dialogs/helpwindow.h"
#include "dialogs/messages.h"
#include "controls/saisie.h"
#include "controls/saisiedate.h"
#include "core/error.h"
#include "core/discovery/filtrephoto.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

QPushButton *makeButton(const QString &name, const QString &caption, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    // None of the buttons answers Enter: the dialog has no default button.
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setMinimumWidth(75);
    return button;
}

// An index the lists do not hold leaves them with no item chosen.
void chooseItem(QComboBox *list, int index)
{
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

} // namespace

TforSelectionPhoto::TforSelectionPhoto(TFiltrePhoto &filter, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), FiltreEdite(filter)
{
    setObjectName(QStringLiteral("forSelectionPhoto"));
    setWindowTitle(QStringLiteral("Filtrer les photos"));
    Help::setContext(this, Help::Context::PhotoFilter);
    build();
    // 460 x 204 as designed; a larger system font widens it rather than cutting the captions.
    const QSize needed = minimumSizeHint();
    setFixedSize(qMax(460, needed.width()), qMax(204, needed.height()));
}

void TforSelectionPhoto::build()
{
    gbSelection = new QGroupBox(this);
    gbSelection->setObjectName(QStringLiteral("gbSelection"));

    cbFiltreNom = new QComboBox(gbSelection);
    cbFiltreNom->setObjectName(QStringLiteral("cbFiltreNom"));
    cbFiltreNom->addItems({QStringLiteral("N'accepter que les photos"), QStringLiteral("Ignorer les photos")});
    auto *labNom = new QLabel(QStringLiteral("dont le nom contient "), gbSelection);
    labNom->setObjectName(QStringLiteral("labNom"));
    saiNom = new TSaisie(gbSelection);
    saiNom->setObjectName(QStringLiteral("saiNom"));
    saiNom->setParametres(QStringLiteral("dfTout")); // any character may be looked for
    auto *lineName = new QHBoxLayout;
    lineName->addWidget(cbFiltreNom);
    lineName->addWidget(labNom);
    lineName->addWidget(saiNom, 1);

    auto *labDate = new QLabel(QStringLiteral("N'accepter que les photos "), gbSelection);
    labDate->setObjectName(QStringLiteral("labDate"));
    cbFiltreDate = new QComboBox(gbSelection);
    cbFiltreDate->setObjectName(QStringLiteral("cbFiltreDate"));
    cbFiltreDate->addItems({QStringLiteral("du"), QStringLiteral("supérieures au")});
    cbFiltreDate->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    sdDate = new TSaisieDate(gbSelection);
    sdDate->setObjectName(QStringLiteral("sdDate"));
    auto *lineDate = new QHBoxLayout;
    lineDate->addWidget(labDate);
    lineDate->addWidget(cbFiltreDate);
    lineDate->addWidget(sdDate);
    lineDate->addStretch(1);

    cbNouvellePhoto = new QCheckBox(QStringLiteral("Ne transférer que les nouvelles photos (depuis le dernier transfert)"),
                                    gbSelection);
    cbNouvellePhoto->setObjectName(QStringLiteral("cbNouvellePhoto"));

    auto *group = new QVBoxLayout(gbSelection);
    group->setContentsMargins(6, 6, 6, 6); // the check box's long caption needs the whole width
    group->addLayout(lineName);
    group->addLayout(lineDate);
    group->addWidget(cbNouvellePhoto);

    butDefault = makeButton(QStringLiteral("butDefault"), QStringLiteral("&Défaut"), this);
    butDefault->setToolTip(QStringLiteral("Définir ce filtre comme filtre par défaut"));
    butValider = makeButton(QStringLiteral("butValider"), QStringLiteral("&Valider"), this);
    butAnnuler = makeButton(QStringLiteral("butAnnuler"), QStringLiteral("&Annuler"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(butDefault);
    buttons->addStretch(1);
    buttons->addWidget(butValider);
    buttons->addWidget(butAnnuler);

    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(6, 6, 6, 6);
    main->addWidget(gbSelection);
    main->addStretch(1);
    main->addLayout(buttons);

    connect(butValider, &QPushButton::clicked, this, &TforSelectionPhoto::butValiderClick);
    connect(butAnnuler, &QPushButton::clicked, this, &TforSelectionPhoto::butAnnulerClick);
    connect(butDefault, &QPushButton::clicked, this, &TforSelectionPhoto::butDefaultClick);
}

void TforSelectionPhoto::AfficherFiltre()
{
    cbNouvellePhoto->setChecked(FiltreEdite.NouvellePhoto);
    saiNom->setText(FiltreEdite.FiltreNom);
    chooseItem(cbFiltreNom, FiltreEdite.TypeFiltreNom);
    sdDate->EcrireDate(FiltreEdite.FiltreDate);
    chooseItem(cbFiltreDate, FiltreEdite.TypeFiltreDate);
}

void TforSelectionPhoto::ReporterFiltre()
{
    FiltreEdite.NouvellePhoto = cbNouvellePhoto->isChecked();
    FiltreEdite.FiltreNom = saiNom->text();
    FiltreEdite.TypeFiltreNom = cbFiltreNom->currentIndex();
    FiltreEdite.FiltreDate = sdDate->LireDate();
    FiltreEdite.TypeFiltreDate = cbFiltreDate->currentIndex();
}

void TforSelectionPhoto::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void TforSelectionPhoto::butValiderClick()
{
    ReporterFiltre();
    accept();
}

void TforSelectionPhoto::butAnnulerClick()
{
    reject();
}

void TforSelectionPhoto::butDefaultClick()
{
    ReporterFiltre();
    try {
        FiltreEdite.EnregistrerFiltre();
    } catch (const LumaroError &error) {
        // The values taken from the controls stay in force for this run.
        MessageErreur(error.message());
    }
}

void LancerSelectionPhoto(TFiltrePhoto &filter, QWidget *parent)
{
    TforSelectionPhoto dialog(filter, parent);
    dialog.AfficherFiltre();
    // Centred on the screen, not over the window that opened it.
    if (const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        dialog.move(screen->availableGeometry().center() - dialog.rect().center());
    dialog.exec();
}
