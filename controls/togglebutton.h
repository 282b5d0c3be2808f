#pragma once
// A toggle button whose picture and hint follow its state: one glyph and one hint when it is
// down, others when it is up (for example "LOWQUALITY" and "NOLOWQUALITY").
#include <QIcon>
#include <QToolButton>

class ToggleButton : public QToolButton {
    Q_OBJECT
public:
    ToggleButton(const QIcon &downGlyph, const QString &downHint, const QIcon &upGlyph, const QString &upHint,
                   QWidget *parent = nullptr);

    bool isDown() const { return isChecked(); }

private:
    void applyState(bool down);

    QIcon m_downGlyph, m_upGlyph;
    QString m_downHint, m_upHint;
};
