#pragma once
// The program's help, bundled as French pages, opened at the topic of a window's help context:
// a page and an anchor in it.
#include <QDialog>
#include <QObject>
#include <QString>
#include <QUrl>

class QTextBrowser;

namespace Help {
Q_NAMESPACE

// The help contexts the windows carry. The numbers 1 to 7 are the ones the program has always
// given its windows; the others name windows that had none.
enum class Context : int {
    None = 0,            // F1 does nothing: the full-screen slideshow, whose timer runs on
    Contents = 1,        // "Aide" of the main window
    MainWindow = 2,
    BatchSetUp = 3,      // the transfer set-up dialog in batch mode
    PhotoByPhoto = 4,    // the set-up dialog in photo-by-photo mode and the photo-by-photo window
    SlideshowSetUp = 5,
    Settings = 6,
    PhotoFilter = 7,
    BatchTransfer = 8,   // the batch window while it transfers
    About = 9,
};
Q_ENUM_NS(Context)

struct Topic {
    QString page;   // a file of the help folder
    QString anchor; // an anchor of that page
};

// Where a context opens the help; None opens nothing and has an empty topic.
Topic topicOf(Context context);
// The address the help window shows for a context: qrc:/help/page#anchor.
QUrl addressOf(Context context);

// Gives a window its context (the "helpContext" property).
void setContext(QWidget *window, Context context);
// The context of a window: its own or its nearest parent's; Contents when none has one.
Context contextOf(const QWidget *window);

// F1 anywhere opens the help of the window it was pressed in, except where the context is None.
// The application installs it on itself.
class KeyFilter : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace Help

class HelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget *parent = nullptr);
    void showTopic(Help::Context context);
    QTextBrowser *browser() const { return m_browser; }

private:
    QTextBrowser *m_browser;
};

// Opens the help at a context's topic, over the given window; None opens nothing.
void showHelp(Help::Context context, QWidget *parent = nullptr);
