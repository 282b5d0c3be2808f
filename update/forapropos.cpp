#include "update/forapropos.h"

#include "core/update/cryptertexte.h"
#include "core/update/versioncheck.h"
#include "dialogs/helpwindow.h"
#include "update/tmgetnewver.h"
#include "update/tmurllabel.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The version line is kept out of plain sight in the program, as its predecessors did.
const char VersionKey[] = "Vr8#kQ2!pLz6$Tm9&Hc4*Wd7@Ny";
const char VersionText[] = "5ADD7E96E773F013"; // "1.0.0.0"

const QColor Navy(0, 0, 128);
const QString ContactAddress = QStringLiteral("contact@lumaro.example");

QLabel *iconLabel(const QString &icon, int size, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setPixmap(QIcon(QStringLiteral(":/icons/%1.svg").arg(icon)).pixmap(size, size));
    label->setFixedSize(size, size);
    return label;
}

QLabel *coloured(QLabel *label, const QColor &colour, int pointSize, bool bold)
{
    QFont f = label->font();
    if (pointSize > 0)
        f.setPointSize(pointSize);
    f.setBold(bold);
    label->setFont(f);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
    return label;
}

TmUrlLabel *link(const char *name, const QString &caption, const QString &url, QWidget *parent)
{
    auto *label = new TmUrlLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setText(caption);
    label->setURL(url);
    // Shown purple at rest, as the box always showed its links.
    label->setTextColor(QColor(128, 0, 128));
    return label;
}

} // namespace

TforAPropos::TforAPropos(const QString &versionFile, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("TforAPropos"));
    setWindowTitle(QStringLiteral("A propos...."));
    Help::setContext(this, Help::Context::About);
    mgnvMAJInternet = new TmGetNewVer(this);
    mgnvMAJInternet->setObjectName(QStringLiteral("mgnvMAJInternet"));
    mgnvMAJInternet->AucuneVersionDlg = true;
    mgnvMAJInternet->TempFile = versionFile;
    connect(mgnvMAJInternet, &TmGetNewVer::runningChanged, this, &TforAPropos::checkRunning);
    build();
    labVersion->setText(versionText());
    // A dialog border: the box has the size its contents need, no more.
    setFixedSize(sizeHint());
}

QString TforAPropos::versionText()
{
    return CrypterTexte(QStringLiteral("D"), QLatin1String(VersionText), QLatin1String(VersionKey));
}

void TforAPropos::build()
{
    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(0);
    main->addWidget(buildData(), 1);
    main->addWidget(buildButtons());
}

QWidget *TforAPropos::buildData()
{
    auto *panData = new QWidget(this);
    panData->setObjectName(QStringLiteral("panData"));
    auto *GroupBox1 = new QGroupBox(QStringLiteral(" Lumaro "), panData);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));

    auto *logo = new QHBoxLayout;
    auto *Image1 = iconLabel(QStringLiteral("lumaro"), 48, GroupBox1);
    Image1->setObjectName(QStringLiteral("Image1"));
    logo->addStretch(1);
    logo->addWidget(Image1);
    logo->addWidget(coloured(new QLabel(QStringLiteral("Lumaro"), GroupBox1), QColor(0, 0, 255), 22, true));
    logo->addStretch(1);

    auto *version = new QHBoxLayout;
    auto *Label1 = coloured(new QLabel(QStringLiteral("Version :"), GroupBox1), palette().color(QPalette::WindowText), 10, true);
    labVersion = coloured(new QLabel(GroupBox1), Navy, 10, true);
    labVersion->setObjectName(QStringLiteral("labVersion"));
    labVersion->setTextFormat(Qt::PlainText);
    version->addStretch(1);
    version->addWidget(Label1);
    version->addWidget(labVersion);
    version->addStretch(1);

    auto *Label3 = coloured(new QLabel(QStringLiteral("Freeware"), GroupBox1), Navy, 20, true);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setAlignment(Qt::AlignCenter);
    auto *Label2 = new QLabel(QStringLiteral("Informations, Mises à jour, proposer des évolutions..."), GroupBox1);
    Label2->setAlignment(Qt::AlignCenter);

    mUrlLabel1 = link("mUrlLabel1", VersionCheck::siteAddress(), VersionCheck::siteAddress(), GroupBox1);
    mUrlLabel2 = link("mUrlLabel2", ContactAddress, QStringLiteral("mailto:") + ContactAddress, GroupBox1);
    auto *site = new QHBoxLayout;
    site->addWidget(iconLabel(QStringLiteral("site"), 32, GroupBox1));
    site->addWidget(mUrlLabel1, 1);
    auto *mail = new QHBoxLayout;
    mail->addWidget(iconLabel(QStringLiteral("courriel"), 32, GroupBox1));
    mail->addWidget(mUrlLabel2, 1);

    // The libraries the program is built on, each with its project page.
    mUrlLabel3 = link("mUrlLabel3", QStringLiteral("libjpeg-turbo"), QStringLiteral("https://libjpeg-turbo.org/"), GroupBox1);
    auto *exiv2 = link("mUrlLabel4", QStringLiteral("Exiv2"), QStringLiteral("https://exiv2.org/"), GroupBox1);
    auto *qt = link("mUrlLabel5", QStringLiteral("Qt"), QStringLiteral("https://www.qt.io/"), GroupBox1);
    auto *libraries = new QHBoxLayout;
    libraries->setSpacing(0);
    auto *Label4 = new QLabel(QStringLiteral("Cette version utilise les bibliothèques "), GroupBox1);
    Label4->setObjectName(QStringLiteral("Label4"));
    libraries->addWidget(Label4);
    libraries->addWidget(mUrlLabel3);
    libraries->addWidget(new QLabel(QStringLiteral(", "), GroupBox1));
    libraries->addWidget(exiv2);
    libraries->addWidget(new QLabel(QStringLiteral(" et "), GroupBox1));
    libraries->addWidget(qt);
    libraries->addStretch(1);

    auto *box = new QVBoxLayout(GroupBox1);
    box->addLayout(logo);
    box->addLayout(version);
    box->addWidget(Label3);
    box->addSpacing(6);
    box->addWidget(Label2);
    box->addLayout(site);
    box->addLayout(mail);
    box->addSpacing(6);
    box->addLayout(libraries);

    auto *layout = new QVBoxLayout(panData);
    layout->setContentsMargins(8, 8, 8, 4);
    layout->addWidget(GroupBox1);
    return panData;
}

QWidget *TforAPropos::buildButtons()
{
    auto *panBouton = new QWidget(this);
    panBouton->setObjectName(QStringLiteral("panBouton"));
    panBouton->setMinimumHeight(49);
    butMAJ = new QPushButton(QStringLiteral("Tester MAJ"), panBouton);
    butMAJ->setObjectName(QStringLiteral("butMAJ"));
    butMAJ->setToolTip(QStringLiteral("Vérifier sur internet si il existe une mise à jour de Lumaro"));
    butMAJ->setAutoDefault(false);
    butFermer = new QPushButton(QStringLiteral("&Fermer"), panBouton);
    butFermer->setObjectName(QStringLiteral("butFermer"));
    butFermer->setDefault(true);
    connect(butMAJ, &QPushButton::clicked, this, &TforAPropos::butMAJClick);
    connect(butFermer, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QHBoxLayout(panBouton);
    layout->setContentsMargins(8, 4, 8, 8);
    auto *Image2 = iconLabel(QStringLiteral("lumaro"), 32, panBouton);
    Image2->setObjectName(QStringLiteral("Image2"));
    layout->addWidget(Image2);
    layout->addStretch(1);
    layout->addWidget(butMAJ);
    layout->addWidget(butFermer);
    return panBouton;
}

void TforAPropos::butMAJClick()
{
    mgnvMAJInternet->CheckVersion();
}

void TforAPropos::checkRunning(bool running)
{
    // The check runs its own event loop: the box takes no input meanwhile, so neither a second
    // check nor a close can pull the check out from under itself.
    setEnabled(!running);
    setCursor(running ? Qt::WaitCursor : Qt::ArrowCursor);
}

void TforAPropos::reject()
{
    if (!mgnvMAJInternet->running())
        QDialog::reject();
}

void TforAPropos::closeEvent(QCloseEvent *event)
{
    if (mgnvMAJInternet->running())
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void AfficherAPropos(const QString &settingsFolder, QWidget *parent)
{
    TforAPropos box(settingsFolder + QStringLiteral("VersionLMR.txt"), parent);
    box.exec();
}
