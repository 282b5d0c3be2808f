#include "controls/saisiedate.h"

#include "controls/calendrier.h"
#include "controls/updownarrows.h"
#include "core/exif/datetimevalue.h"

#include <QKeyEvent>
#include <QScreen>

namespace {
constexpr int ArrowsWidth = 15;
// The calendar window's intended size and the room the old frame took around it.
constexpr QSize CalendarSize(203, 196);
constexpr int TopMargin = 219 - 196;
constexpr int LeftIndent = 203 - 191;
} // namespace

TSaisieDate::TSaisieDate(QWidget *parent)
    : TCustomSaisieBouton(parent)
    , m_format(DateFormat::fromLocale())
    , m_arrows(new UpDownArrows(this))
{
    m_arrows->setObjectName(QStringLiteral("udDate"));
    connect(m_arrows, &UpDownArrows::up, this, &TSaisieDate::JourSuivant);
    connect(m_arrows, &UpDownArrows::down, this, &TSaisieDate::JourPrecedent);
    button()->setObjectName(QStringLiteral("sbCalendrier"));
    setGlyph(QPixmap(QStringLiteral(":/controls/BDATE")));

    setInputMask(m_format.mask());
    resize(105, height());
    setText(m_format.RecomposerDate(m_format.DecouperDate(m_format.write(QDate::currentDate()))));
    setAfficheFleche(true);
    setAfficheCalend(true);
    setAlignment(Qt::AlignHCenter);
}

void TSaisieDate::EcrireDate(double date)
{
    if (DateValue::isNone(date)) {
        setText(QString());
        return;
    }
    writeDay(DateValue::toDate(date));
}

double TSaisieDate::LireDate() const
{
    // Days before 30 December 1899 have no value distinct from "no date".
    const double date = DateValue::fromDate(m_format.read(displayText()));
    return DateValue::isNone(date) ? DateValue::None : date;
}

void TSaisieDate::writeDay(const QDate &day)
{
    setText(m_format.RecomposerDate(m_format.DecouperDate(m_format.write(day))));
}

void TSaisieDate::JourSuivant()
{
    step(1);
}

void TSaisieDate::JourPrecedent()
{
    step(-1);
}

void TSaisieDate::step(int days)
{
    if (isReadOnly())
        return;
    setFocus(Qt::OtherFocusReason);
    QDate day = m_format.read(displayText());
    if (!day.isValid()) {
        day = QDate::currentDate();
        writeDay(day);
    }
    const QDate next = day.addDays(days);
    // Beyond the years the field can show, the day stays as it is.
    if (next.year() >= 1 && next.year() <= 9999)
        writeDay(next);
}

void TSaisieDate::OuvrirCalendrier()
{
    if (isReadOnly())
        return;
    setFocus(Qt::OtherFocusReason);
    if (!isEnabled())
        return;
    QDate start = m_format.read(displayText());
    if (!start.isValid())
        start = QDate::currentDate();
    double date = DateValue::fromDate(start);

    const QSize measuredSize = TforCalendrier().size();
    const QRect field(mapToGlobal(QPoint(0, 0)), size());
    const QScreen *fieldScreen = screen();
    const QRect screen = fieldScreen ? fieldScreen->geometry() : QRect(0, 0, 1 << 20, 1 << 20);
    const QPoint position = calendarPosition(field, screen, measuredSize);
    ChoisirDateCalendrier(position.y(), position.x(), date, this);
    if (!DateValue::isNone(date))
        EcrireDate(date);
    selectAll();
}

QPoint TSaisieDate::calendarPosition(const QRect &field, const QRect &screen, const QSize &calendar)
{
    const int height = calendar.height() + TopMargin;
    const int indent = calendar.width() - LeftIndent;
    int top = field.y() + field.height();
    if (screen.y() + screen.height() < top + height)
        top = field.y() - height;
    int left = field.x() + field.width() - indent;
    if (left < screen.x())
        left = field.x();
    return {left, top};
}

void TSaisieDate::setAfficheFleche(bool shown)
{
    m_afficheFleche = shown;
    setLargeurBouton(shown ? 35 : 25);
}

void TSaisieDate::setAfficheCalend(bool shown)
{
    setAfficheBouton(shown);
}

void TSaisieDate::arrange()
{
    // From the right: the calendar button, then the arrows; the text stops before both.
    const bool calendar = AfficheBouton();
    const int calendarWidth = calendar ? LargeurBouton() - (m_afficheFleche ? ArrowsWidth : 0) : 0;
    const int arrowsWidth = m_afficheFleche ? ArrowsWidth : 0;
    button()->setVisible(calendar);
    if (calendar)
        button()->setGeometry(width() - calendarWidth - 1, 1, calendarWidth, height() - 2);
    if (m_arrows) {
        m_arrows->setVisible(m_afficheFleche);
        m_arrows->setGeometry(width() - calendarWidth - arrowsWidth - 1, 1, arrowsWidth,
                               height() - 2);
    }
    const int right = calendarWidth + arrowsWidth;
    setTextMargins(0, 0, right > 0 ? right : 2, 0);
}

void TSaisieDate::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        if (event->key() == Qt::Key_Up) {
            JourSuivant();
            event->accept();
            return;
        }
        if (event->key() == Qt::Key_Down) {
            JourPrecedent();
            event->accept();
            return;
        }
    }
    TCustomSaisieBouton::keyPressEvent(event);
}

void TSaisieDate::buttonAction()
{
    OuvrirCalendrier();
}

void TSaisieDate::quitter()
{
    QString content = displayText();
    content.remove(QLatin1Char(' '));
    if (!m_format.read(content).isValid())
        setText(QString());
    else
        setText(m_format.RecomposerDate(m_format.DecouperDate(content)));
    TCustomSaisieBouton::quitter();
}
