#pragma once
// A label that opens its address when clicked: hand cursor, bold underlined blue text that
// takes ActiveColor while the pointer is over it. Only http, https and mailto addresses are
// ever handed to the desktop; anything else is ignored.
#include <QColor>
#include <QLabel>

class TmUrlLabel : public QLabel {
    Q_OBJECT
public:
    explicit TmUrlLabel(QWidget *parent = nullptr);

    QString URL() const { return m_url; }
    // Also sets the caption when it still equals the label's name (a label just placed).
    void setURL(const QString &url);
    QColor ActiveColor() const { return m_activeColor; }
    void setActiveColor(const QColor &color) { m_activeColor = color; }
    // The colour of the caption at rest; a disabled label keeps the style's disabled colour.
    void setTextColor(const QColor &color);

    // The address a click opens: URL, else the caption, without surrounding blanks; empty
    // when that is not an http, https or mailto address.
    QString target() const;

signals:
    void clicked();

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QString m_url;
    QColor m_activeColor = QColor(128, 0, 128);
    QColor m_restColor;
};
