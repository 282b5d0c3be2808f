#pragma once
// A folder-only browser. With a root, nothing outside that folder can be chosen.
#include <QDialog>

class QFileSystemModel;
class QTreeView;

struct FolderChoice {
    bool confirmed = false;
    QString folder; // no trailing "/", except the root "/" itself
};

class FolderBrowserDialog : public QDialog {
    Q_OBJECT
public:
    FolderBrowserDialog(const QString &title, const QString &root, QWidget *parent = nullptr);

    // The folder chosen: the selected one, or the root when nothing is selected.
    QString chosenFolder() const;
    QString rootFolder() const { return m_root; }
    QTreeView *tree() const { return m_tree; }

private:
    QFileSystemModel *m_model;
    QTreeView *m_tree;
    QString m_root;
};

FolderChoice ChoisirRepertoire(const QString &title, const QString &root = QString());
