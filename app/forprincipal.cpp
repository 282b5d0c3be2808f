#include "app/forprincipal.h"

#include "app/commandline.h"
#include "app/forparametrage.h"
#include "dialogs/helpwindow.h"
#include "app/lancertransfert.h"
#include "dialogs/messages.h"
#include "core/update/cryptertexte.h"
#include "core/settings/paramappli.h"
#include "slideshow/forparamdiaporama.h"
#include "update/forapropos.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
const QColor Navy(0, 0, 128);

// The version line is kept enciphered: two pieces under one key, joined in order.
const char VersionKey[] = "k7#Qm!Vz2@pLr9$Tx4&Hn8*Wc5Y";
const char VersionPiece1[] = "5FC0014DFF1FAF99BCEE";
const char VersionPiece2[] = "3EFF52E70A1EAC4D177AE869";

QFont fontWithPixelSize(QFont font, int pixels, bool bold = false)
{
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}
} // namespace

TforPrincipal::TforPrincipal(const QString &settingsFolder, QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint)
{
    setObjectName(QStringLiteral("TforPrincipal"));
    setWindowTitle(QStringLiteral("Lumaro"));
    Help::setContext(this, Help::Context::MainWindow);
    setFont(fontWithPixelSize(font(), 11));

    m_params = std::make_unique<TParamAppli>(settingsFolder + QStringLiteral("Lumaro.ini"));

    QAction *batch = createAction("actModebatch", QStringLiteral("&Mode Batch"),
        QStringLiteral("Permet de traiter les photos présentes sur le lecteur en une fois suivant un paramétrage identique pour chaque photo"),
        QStringLiteral("batch"));
    QAction *photo = createAction("actModePhotoPhoto", QStringLiteral("M&ode Photo/Photo"),
        QStringLiteral("Permet de traiter les photos une par une, ce qui permet d'avoir un paramétrage spécifique pour chaque photo"),
        QStringLiteral("photophoto"));
    QAction *slideshow = createAction("actDiaporama", QStringLiteral("&Diaporama"),
        QStringLiteral("Réaliser un diaporama à partir des photos présentes sur la carte"), QStringLiteral("diaporama"));
    QAction *settingsDialog = createAction("actParametrage", QStringLiteral("&Paramétrage"),
        QStringLiteral("Paramétrage d'Lumaro"), QStringLiteral("parametrage"));
    QAction *apropos = createAction("actAPropos", QStringLiteral("&A Propos"), QStringLiteral("A propos de Lumaro"),
        QStringLiteral("apropos"));
    QAction *help = createAction("actAide", QStringLiteral("A&ide"), QStringLiteral("Optenir de l'aide sur Lumaro"),
        QStringLiteral("aide"));
    QAction *quitter = createAction("actQuitter", QStringLiteral("&Quitter"), QStringLiteral("Quitter Lumaro"),
        QStringLiteral("quitter"));

    connect(batch, &QAction::triggered, this, &TforPrincipal::actModebatchExecute);
    connect(photo, &QAction::triggered, this, &TforPrincipal::actModePhotoPhotoExecute);
    connect(slideshow, &QAction::triggered, this, &TforPrincipal::actDiaporamaExecute);
    connect(settingsDialog, &QAction::triggered, this, &TforPrincipal::actParametrageExecute);
    connect(help, &QAction::triggered, this, &TforPrincipal::actAideExecute);
    connect(quitter, &QAction::triggered, this, &TforPrincipal::actQuitterExecute);
    // The About box, whose "Tester MAJ" runs the new-version check.
    connect(apropos, &QAction::triggered, this, &TforPrincipal::actAProposExecute);

    auto *separator1 = new QAction(this);
    separator1->setSeparator(true);
    auto *separator2 = new QAction(this);
    separator2->setSeparator(true);
    QToolBar *options = createToolBar("atbOptions", Qt::Vertical, {batch, photo, separator1, slideshow, separator2, settingsDialog});
    options->setMinimumWidth(163);

    auto *top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);
    top->addWidget(options);
    top->addWidget(createInfoPanel(), 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(top, 1);
    QWidget *bottom = createBottomPanel();
    auto *bar = createToolBar("atbBoutonsBas", Qt::Horizontal, {apropos, help, quitter});
    bottom->layout()->addWidget(bar);
    layout->addWidget(bottom);

    // The window keeps the size its bars need with this system's fonts, never less than its design.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setMinimumSize(416, 255);
}

TforPrincipal::~TforPrincipal() = default;

QAction *TforPrincipal::createAction(const char *name, const QString &caption, const QString &hint, const QString &icon)
{
    auto *action = new QAction(QIcon(QStringLiteral(":/icons/%1.svg").arg(icon)), caption, this);
    action->setObjectName(QLatin1String(name));
    action->setStatusTip(hint);
    action->setToolTip(QString());
    return action;
}

QToolBar *TforPrincipal::createToolBar(const char *name, Qt::Orientation orientation, const QList<QAction *> &actions)
{
    auto *bar = new QToolBar(this);
    bar->setObjectName(QLatin1String(name));
    bar->setOrientation(orientation);
    bar->setIconSize(QSize(32, 32));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->setFont(fontWithPixelSize(font(), 13));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->addActions(actions);
    // Never fold buttons behind the extension arrow.
    if (orientation == Qt::Horizontal)
        bar->setMinimumWidth(bar->sizeHint().width());
    for (QAction *action : actions) {
        if (QWidget *button = bar->widgetForAction(action)) {
            button->installEventFilter(this); // hints go to labHint, never to a tool tip
            if (orientation == Qt::Vertical)
                button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        }
    }
    return bar;
}

QWidget *TforPrincipal::createInfoPanel()
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("panInfo"));
    panel->setFixedSize(253, 214);
    const QFont title = fontWithPixelSize(QFont(QStringLiteral("Arial")), 21, true);
    auto *shadow = new QLabel(QStringLiteral("Lumaro"), panel);
    shadow->setObjectName(QStringLiteral("Label2"));
    shadow->setFont(title);
    shadow->setStyleSheet(QStringLiteral("color: white;"));
    shadow->move(26, 8);
    auto *label = new QLabel(QStringLiteral("Lumaro"), panel);
    label->setObjectName(QStringLiteral("Label1"));
    label->setFont(title);
    label->setStyleSheet(QStringLiteral("color: blue;"));
    label->move(28, 10);

    m_hint = new QLabel(initialText(), panel);
    m_hint->setObjectName(QStringLiteral("labHint"));
    m_hint->setGeometry(24, 48, 225, 97);
    m_hint->setFont(fontWithPixelSize(font(), 13));
    m_hint->setAlignment(Qt::AlignCenter);
    m_hint->setWordWrap(true);
    QPalette palette = m_hint->palette();
    palette.setColor(QPalette::WindowText, Navy);
    m_hint->setPalette(palette);
    return panel;
}

QWidget *TforPrincipal::createBottomPanel()
{
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setMinimumHeight(41);
    auto *row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    auto *left = new QWidget(panel);
    left->setObjectName(QStringLiteral("panBidonBas2"));
    left->setFixedWidth(145);
    auto *version = new QLabel(versionText(), left);
    version->setObjectName(QStringLiteral("labInfoVersion"));
    QFont italic = font();
    italic.setItalic(true);
    version->setFont(italic);
    version->setAlignment(Qt::AlignCenter);
    version->setGeometry(3, 14, 139, 16);
    QPalette palette = version->palette();
    palette.setColor(QPalette::WindowText, Navy);
    version->setPalette(palette);
    row->addWidget(left);
    return panel;
}

QString TforPrincipal::idleText()
{
    return QStringLiteral("Grâce à Lumaro, transférez facilement toutes vos photos sur votre disque dur ! Nommez vos images "
                          "facilement, enregistrez certaines photos en qualité basse pour l'envoi par mail, etc");
}

QString TforPrincipal::initialText()
{
    return QStringLiteral("Grâce à Lumaro, transférer facilement toutes vos photos sur votre disque dur ! Nommer vos images "
                          "facilement, enregistrer certaines photos en qualité basse pour l'envoi par mail, etc");
}

QString TforPrincipal::versionText()
{
    const QString key = QLatin1String(VersionKey);
    return CrypterTexte(QStringLiteral("D"), QLatin1String(VersionPiece1), key)
         + CrypterTexte(QStringLiteral("D"), QLatin1String(VersionPiece2), key);
}

void TforPrincipal::setHint(const QString &hint)
{
    m_hint->setText(hint.isEmpty() ? idleText() : hint);
}

bool TforPrincipal::eventFilter(QObject *watched, QEvent *event)
{
    auto *button = qobject_cast<QToolButton *>(watched);
    if (button && button->defaultAction()) {
        switch (event->type()) {
        case QEvent::ToolTip:
            return true;
        case QEvent::Enter:
            setHint(button->defaultAction()->statusTip());
            break;
        case QEvent::Leave:
            setHint(QString());
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TforPrincipal::readCommandLine(const QStringList &parameters)
{
    const LaunchCommand command = parseCommandLine(parameters);
    switch (command.action) {
    case LaunchCommand::Action::None:
        break;
    case LaunchCommand::Action::Transfer:
        LancerTransfert(*m_params, command.mode, command.path);
        break;
    case LaunchCommand::Action::Usage:
        MessageErreur(messageUsage());
        break;
    }
}

void TforPrincipal::actModebatchExecute()
{
    LancerTransfert(*m_params, int(ModeTransfert::Batch), QString());
}

void TforPrincipal::actModePhotoPhotoExecute()
{
    LancerTransfert(*m_params, int(ModeTransfert::PhotoPhoto), QString());
}

void TforPrincipal::actDiaporamaExecute()
{
    LancerParamDiaporama(*m_params);
}

void TforPrincipal::actParametrageExecute()
{
    LancerParametrage(*m_params);
}

void TforPrincipal::actAProposExecute()
{
    AfficherAPropos(m_params->folder(), this);
}

void TforPrincipal::actAideExecute()
{
    showHelp(Help::Context::Contents, this);
}

void TforPrincipal::actQuitterExecute()
{
    close();
}
