#include "dialogs/forficheattente.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QStyle>

namespace {
constexpr int ImagePanelWidth = 50;
constexpr int ClientHeight = 65;
} // namespace

TforFicheMessageAttente::TforFicheMessageAttente(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("TforFicheMessageAttente"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto *outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    outer->addWidget(panel);

    auto *row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    auto *imagePanel = new QWidget(panel);
    imagePanel->setObjectName(QStringLiteral("panImage"));
    imagePanel->setFixedWidth(ImagePanelWidth);
    auto *image = new QLabel(imagePanel);
    image->setObjectName(QStringLiteral("ImaImage"));
    image->setGeometry(8, 15, 32, 32);
    image->setPixmap(QIcon(QStringLiteral(":/icons/attente.svg")).pixmap(32, 32));
    row->addWidget(imagePanel);

    m_message = new QLabel(panel);
    m_message->setObjectName(QStringLiteral("panMessage"));
    m_message->setAlignment(Qt::AlignCenter);
    QFont font = m_message->font();
    font.setBold(true);
    font.setPointSize(8);
    m_message->setFont(font);
    QPalette palette = m_message->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 128));
    m_message->setPalette(palette);
    row->addWidget(m_message, 1);
    resize(496, ClientHeight);
}

void DefinirMessageAttente(TforFicheMessageAttente *window, const QString &title, const QString &text)
{
    window->setWindowTitle(title);
    window->panMessage()->setText(text);
    const int textWidth = QFontMetrics(window->panMessage()->font()).horizontalAdvance(text);
    const int width = textWidth + ImagePanelWidth + 40;
    window->setFixedSize(width, ClientHeight);
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    const int screenWidth = screen ? screen->geometry().width() : width;
    const int top = window->isVisible() ? window->y() : (screen ? (screen->geometry().height() - ClientHeight) / 2 : 0);
    window->move((screenWidth - width) / 2, top);
    QApplication::processEvents();
}

TforFicheMessageAttente *CreerFicheAttente(const QString &title, const QString &text)
{
    auto *window = new TforFicheMessageAttente;
    DefinirMessageAttente(window, title, text);
    window->show();
    QApplication::processEvents();
    return window;
}

TforFicheMessageAttente *AfficherAttente(const QString &text)
{
    return CreerFicheAttente(QStringLiteral("Veuillez patienter"), text);
}

void FermerAttente(WaitWindowRef &window) noexcept
{
    try {
        if (window)
            window->close();
        QApplication::processEvents();
    } catch (...) {
    }
    window.clear();
}
