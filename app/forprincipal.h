#pragma once
// The main window: two action bars that start every function of the program, and the hint panel.
#include <QWidget>

#include <memory>

class QAction;
class QLabel;
class QToolBar;
class TParamAppli;

class TforPrincipal : public QWidget {
    Q_OBJECT
public:
    // Creates the settings store from "Lumaro.ini" in the settings folder. The command line is read
    // by readCommandLine(), which the program calls before the window is first shown.
    explicit TforPrincipal(const QString &settingsFolder, QWidget *parent = nullptr);
    ~TforPrincipal() override;

    TParamAppli &params() { return *m_params; }
    void readCommandLine(const QStringList &parameters);

    // The application's hint: an empty hint shows the resting text.
    void setHint(const QString &hint);

    static QString idleText();
    static QString initialText();
    static QString versionText();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void actModebatchExecute();
    void actModePhotoPhotoExecute();
    void actDiaporamaExecute();
    void actParametrageExecute();
    void actAProposExecute();
    void actAideExecute();
    void actQuitterExecute();

private:
    QAction *createAction(const char *name, const QString &caption, const QString &hint, const QString &icon);
    QToolBar *createToolBar(const char *name, Qt::Orientation orientation, const QList<QAction *> &actions);
    QWidget *createInfoPanel();
    QWidget *createBottomPanel();

    std::unique_ptr<TParamAppli> m_params;
    QLabel *m_hint = nullptr;
};
