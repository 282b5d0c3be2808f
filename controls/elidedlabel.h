#pragma once
// A one-line label for a file name in a fixed room: a name too long for it loses its middle
// ("IMG_2024…_0042.JPG"), so that both its start and its extension stay readable, and it is
// elided again whenever the label changes width. The tooltip holds what the caller gives it,
// the full path by default.
#include <QLabel>

class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget *parent = nullptr);

    // The name to show and the tooltip that goes with it (the name itself when empty).
    void setFullText(const QString &text, const QString &toolTip = QString());
    QString fullText() const { return m_fullText; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void elide();

    QString m_fullText;
};
