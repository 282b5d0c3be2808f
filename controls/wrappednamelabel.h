#pragma once
// A name that must be read whole in a small room, such as the name a photo will get: it wraps
// onto as many lines as the room holds (between words where it can, anywhere where it must),
// and when that is not enough at the widget's font it is drawn smaller, down to
// MinimumPointSize. Only a name too long even for that loses its middle on the last line. The
// room is `lines` lines of the widget's own font, so the window around it never moves from
// one name to the next.
#include <QFrame>
#include <QStringList>
#include <QTextOption>

class WrappedNameLabel : public QFrame {
    Q_OBJECT
public:
    // The smallest type still read without effort on a screen.
    static constexpr qreal MinimumPointSize = 7.0;

    explicit WrappedNameLabel(QWidget *parent = nullptr);

    void setText(const QString &text);
    QString text() const { return m_text; }
    // The room, in lines of the widget's font (2 unless told).
    void setLines(int lines);

    // What is drawn: its lines, top to bottom, and their font.
    QStringList shownLines() const { return m_shown; }
    QFont shownFont() const { return m_shownFont; }
    // Whether the lines drawn hold the whole text.
    bool showsWholeText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void layOut();
    // The text broken into lines of the given width in that font.
    QStringList wrapped(const QFont &font, int width, QTextOption::WrapMode mode) const;
    // Shows the whole text broken that way, in the largest type that lets it fit; false when
    // even the smallest does not.
    bool fitWhole(QTextOption::WrapMode mode);
    int roomHeight() const;
    qreal basePointSize() const;

    QString m_text;
    int m_lines = 2;
    QStringList m_shown;
    QFont m_shownFont;
};
