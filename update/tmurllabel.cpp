#include "update/tmurllabel.h"

#include "update/linkopener.h"

#include <QMouseEvent>
#include <QUrl>

TmUrlLabel::TmUrlLabel(QWidget *parent) : QLabel(parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setCursor(Qt::PointingHandCursor);
    // The caption is shown as it is: an address never turns into markup.
    setTextFormat(Qt::PlainText);
    QFont f = font();
    f.setBold(true);
    f.setUnderline(true);
    setFont(f);
    setTextColor(Qt::blue);
}

void TmUrlLabel::setURL(const QString &url)
{
    if (text() == objectName())
        setText(url);
    m_url = url;
}

QString TmUrlLabel::target() const
{
    QString address = m_url.trimmed();
    if (address.isEmpty())
        address = text().trimmed();
    const QUrl url(address, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    const bool web = (scheme == QLatin1String("http") || scheme == QLatin1String("https")) && !url.host().isEmpty();
    const bool mail = scheme == QLatin1String("mailto") && !url.path().isEmpty();
    return url.isValid() && (web || mail) ? address : QString();
}

void TmUrlLabel::setTextColor(const QColor &color)
{
    // The disabled group is left to the style, so that a link of a disabled box (while the version
    // check runs) looks as unclickable as it is.
    QPalette p = palette();
    p.setColor(QPalette::Active, QPalette::WindowText, color);
    p.setColor(QPalette::Inactive, QPalette::WindowText, color);
    setPalette(p);
}

void TmUrlLabel::enterEvent(QEnterEvent *event)
{
    m_restColor = palette().color(QPalette::WindowText);
    setTextColor(m_activeColor);
    QLabel::enterEvent(event);
}

void TmUrlLabel::leaveEvent(QEvent *event)
{
    if (m_restColor.isValid())
        setTextColor(m_restColor);
    QLabel::leaveEvent(event);
}

void TmUrlLabel::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint()))
        return;
    emit clicked();
    const QString address = target();
    if (!address.isEmpty())
        LinkOpener::open(QUrl(address));
}
