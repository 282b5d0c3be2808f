#pragma once
// The program's help, bundled as French pages and opened at the topic of a context number.
#include <QDialog>

class QTextBrowser;

class HelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget *parent = nullptr);
    void showTopic(int context);
    QTextBrowser *browser() const { return m_browser; }

    // The page of a context number (1 general, 2 main window, 3 batch, 4 photo by photo,
    // 5 slideshow, 6 settings, 7 filter); unknown numbers open the general page.
    static QString pageForContext(int context);

private:
    QTextBrowser *m_browser;
};

// Opens the help at a topic, over the given window.
void AfficherAide(int context, QWidget *parent = nullptr);

// The help context of a window: its own "helpContext" property or its parents'; 1 when none.
int contexteAide(const QWidget *window);
