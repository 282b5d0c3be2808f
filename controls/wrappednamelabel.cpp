#include "controls/wrappednamelabel.h"

#include <QEvent>
#include <QPainter>
#include <QTextLayout>

namespace {

constexpr qreal SizeStep = 0.5;

QFont withPointSize(QFont font, qreal points)
{
    font.setPointSizeF(points);
    return font;
}

} // namespace

WrappedNameLabel::WrappedNameLabel(QWidget *parent) : QFrame(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_shownFont = font();
}

void WrappedNameLabel::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    layOut();
}

void WrappedNameLabel::setLines(int lines)
{
    m_lines = qMax(1, lines);
    updateGeometry();
    layOut();
}

bool WrappedNameLabel::showsWholeText() const
{
    return m_shown.join(QString()) == m_text;
}

int WrappedNameLabel::roomHeight() const
{
    return fontMetrics().lineSpacing() * m_lines;
}

QSize WrappedNameLabel::sizeHint() const
{
    const int frame = 2 * frameWidth();
    return {fontMetrics().averageCharWidth() * 30 + frame, roomHeight() + frame};
}

QSize WrappedNameLabel::minimumSizeHint() const
{
    const int frame = 2 * frameWidth();
    return {fontMetrics().averageCharWidth() * 8 + frame, roomHeight() + frame};
}

QStringList WrappedNameLabel::wrapped(const QFont &font, int width, QTextOption::WrapMode mode) const
{
    QTextLayout layout(m_text, font, const_cast<WrappedNameLabel *>(this));
    QTextOption option;
    option.setWrapMode(mode);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines << m_text.mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    return lines;
}

qreal WrappedNameLabel::basePointSize() const
{
    // Fonts given in pixels have no point size: theirs is worked out from the screen.
    return font().pointSizeF() > 0 ? font().pointSizeF() : QFontInfo(font()).pointSizeF();
}

bool WrappedNameLabel::fitWhole(QTextOption::WrapMode mode)
{
    const QRect room = contentsRect();
    const qreal largest = basePointSize();
    const qreal smallest = qMin(largest, MinimumPointSize);
    for (qreal size = largest;; size = qMax(smallest, size - SizeStep)) {
        const QFont candidate = withPointSize(font(), size);
        const int fit = qMax(1, room.height() / QFontMetrics(candidate, this).lineSpacing());
        const QStringList lines = wrapped(candidate, room.width(), mode);
        if (lines.size() <= fit) {
            m_shown = lines;
            m_shownFont = candidate;
            return true;
        }
        if (size <= smallest)
            return false;
    }
}

void WrappedNameLabel::layOut()
{
    const QRect room = contentsRect();
    m_shownFont = font();
    m_shown.clear();
    // Between words in smaller type rather than across a word; across words rather than not whole.
    if (!m_text.isEmpty() && room.width() > 0 && !fitWhole(QTextOption::WrapAtWordBoundaryOrAnywhere)
        && !fitWhole(QTextOption::WrapAnywhere)) {
        // Too long even in small type: the last line that fits takes the rest, its middle
        // elided, so that the end of the name (its number, its extension) shows.
        m_shownFont = withPointSize(font(), qMin(basePointSize(), MinimumPointSize));
        const QFontMetrics metrics(m_shownFont, this);
        const int fit = qMax(1, room.height() / metrics.lineSpacing());
        const QStringList lines = wrapped(m_shownFont, room.width(), QTextOption::WrapAnywhere);
        m_shown = lines.mid(0, fit - 1);
        const QString rest = m_text.mid(m_shown.join(QString()).size());
        m_shown << metrics.elidedText(rest, Qt::ElideMiddle, room.width());
    }
    update();
}

void WrappedNameLabel::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    if (m_shown.isEmpty())
        return;
    QPainter painter(this);
    painter.setFont(m_shownFont);
    painter.setPen(palette().color(foregroundRole()));
    const QFontMetrics metrics(m_shownFont, this);
    const QRect room = contentsRect();
    const int height = metrics.lineSpacing() * int(m_shown.size());
    int top = room.top() + qMax(0, (room.height() - height) / 2);
    for (const QString &line : m_shown) {
        painter.drawText(QPoint(room.left(), top + metrics.ascent()), line);
        top += metrics.lineSpacing();
    }
}

void WrappedNameLabel::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    layOut();
}

void WrappedNameLabel::changeEvent(QEvent *event)
{
    QFrame::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        updateGeometry();
        layOut();
    }
}
