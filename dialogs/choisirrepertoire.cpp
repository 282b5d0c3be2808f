#include "dialogs/choisirrepertoire.h"

#include "core/files/paths.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
QString withoutTrailingSeparator(QString path)
{
    while (path.size() > 1 && Paths::endsWithSeparator(path))
        path.chop(1);
    return path;
}
} // namespace

FolderBrowserDialog::FolderBrowserDialog(const QString &title, const QString &root, QWidget *parent)
    : QDialog(parent), m_model(new QFileSystemModel(this)), m_tree(new QTreeView(this))
{
    setObjectName(QStringLiteral("ChoisirRepertoire"));
    setWindowTitle(title);
    const QString rootPath = withoutTrailingSeparator(Paths::toSlashes(root));
    m_root = (!rootPath.isEmpty() && QFileInfo(rootPath).isDir()) ? QDir(rootPath).absolutePath() : QStringLiteral("/");

    m_model->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_model->setReadOnly(true);
    m_tree->setObjectName(QStringLiteral("tvRepertoires"));
    m_tree->setModel(m_model);
    m_tree->setRootIndex(m_model->setRootPath(m_root));
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_tree->header()->hide();
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);

    auto *label = new QLabel(title, this);
    label->setObjectName(QStringLiteral("labTitre"));
    label->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(this);
    buttons->setObjectName(QStringLiteral("boutons"));
    QPushButton *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("butOK"));
    ok->setDefault(true);
    QPushButton *cancel = buttons->addButton(QStringLiteral("Annuler"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("butAnnuler"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_tree, &QTreeView::doubleClicked, this, [this] { accept(); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_tree, 1);
    layout->addWidget(buttons);
    resize(420, 460);
}

QString FolderBrowserDialog::chosenFolder() const
{
    const QModelIndex current = m_tree->currentIndex();
    QString path = current.isValid() ? m_model->filePath(current) : m_root;
    // Keep the choice inside the root even if a path outside it were ever selected.
    const QString rootWithSep = Paths::withSeparator(m_root);
    if (path != m_root && !Paths::withSeparator(path).startsWith(rootWithSep))
        path = m_root;
    return withoutTrailingSeparator(path);
}

FolderChoice ChoisirRepertoire(const QString &title, const QString &root)
{
    FolderBrowserDialog dialog(title, root, QApplication::activeWindow());
    FolderChoice result;
    if (dialog.exec() == QDialog::Accepted) {
        result.confirmed = true;
        result.folder = dialog.chosenFolder();
    }
    return result;
}
