#pragma once
// The About box: logo, version, "Freeware", links to the site, the contact address and the
// libraries the program is built on, and "Tester MAJ", which runs the new-version check.
#include <QDialog>

class QLabel;
class QPushButton;
class TmGetNewVer;
class TmUrlLabel;

class TforAPropos : public QDialog {
    Q_OBJECT
public:
    // versionFile: where the check writes "VersionLMR.txt".
    explicit TforAPropos(const QString &versionFile, QWidget *parent = nullptr);

    TmGetNewVer *check() const { return mgnvMAJInternet; }
    // The version line: the enciphered text stored in the program, deciphered.
    static QString versionText();

    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void butMAJClick();
    void checkRunning(bool running);

private:
    void build();
    QWidget *buildData();
    QWidget *buildButtons();

    TmGetNewVer *mgnvMAJInternet = nullptr;
    QLabel *labVersion = nullptr;
    TmUrlLabel *mUrlLabel1 = nullptr;
    TmUrlLabel *mUrlLabel2 = nullptr;
    TmUrlLabel *mUrlLabel3 = nullptr;
    QPushButton *butMAJ = nullptr;
    QPushButton *butFermer = nullptr;
};

// Shows the About box modally; the check writes its file in the settings folder.
void AfficherAPropos(const QString &settingsFolder, QWidget *parent = nullptr);
