#include "indexer/FolderTree.h"

#include <QApplication>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>

#include "indexer/FolderLines.h"
#include "process/QtText.h"

// The file system model with a check box on every folder. The boxes are kept by path, so a
// folder keeps its mark when the tree reloads it.
class CheckedFolderModel final : public QIdentityProxyModel {
    Q_OBJECT

public:
    explicit CheckedFolderModel(QFileSystemModel* files, QObject* parent)
        : QIdentityProxyModel(parent), m_files(files) {
        setSourceModel(files);
    }

    QString PathOf(const QModelIndex& index) const {
        if (!index.isValid()) return {};
        return m_files->filePath(mapToSource(index));
    }

    bool IsChecked(const QString& path) const { return m_checked.contains(path); }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags f =
            QIdentityProxyModel::flags(index) & ~(Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled);
        if (index.isValid() && index.column() == 0) f |= Qt::ItemIsUserCheckable;
        return f;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::CheckStateRole && index.column() == 0) {
            return IsChecked(PathOf(index)) ? Qt::Checked : Qt::Unchecked;
        }
        return QIdentityProxyModel::data(index, role);
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (role != Qt::CheckStateRole || index.column() != 0) return false;
        const QString path = PathOf(index);
        if (path.isEmpty()) return false;
        const bool checked = value.toInt() == Qt::Checked;
        if (checked == IsChecked(path)) return true;
        if (checked) {
            m_checked.insert(path);
        } else {
            m_checked.remove(path);
        }
        emit dataChanged(index, index, {Qt::CheckStateRole});
        emit checkStateChanged(path, checked);
        return true;
    }

signals:
    void checkStateChanged(const QString& path, bool checked);

private:
    QFileSystemModel* m_files;
    QSet<QString> m_checked;
};

FolderTree::FolderTree(QWidget* parent) : QTreeView(parent) {
    m_files = new QFileSystemModel(this);
    // Folders only, hidden ones left out (no QDir::Hidden), read-only.
    m_files->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot);
    m_files->setReadOnly(true);
    m_files->setOption(QFileSystemModel::DontUseCustomDirectoryIcons);
    m_files->setRootPath(QStringLiteral("/"));
    m_checked = new CheckedFolderModel(m_files, this);
    setModel(m_checked);

    setHeaderHidden(true);
    for (int column = 1; column < m_checked->columnCount(); ++column) hideColumn(column);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    setDragEnabled(false);
    setAcceptDrops(false);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
    setSortingEnabled(false);
    m_checked->sort(0, Qt::AscendingOrder);

    connect(m_checked, &CheckedFolderModel::checkStateChanged, this, &FolderTree::checkStateChanged);
    ShowFocus(false);
}

void FolderTree::focusInEvent(QFocusEvent* event) {
    ShowFocus(true);
    QTreeView::focusInEvent(event);
}

void FolderTree::focusOutEvent(QFocusEvent* event) {
    ShowFocus(false);
    QTreeView::focusOutEvent(event);
}

void FolderTree::ShowFocus(bool focused) {
    const QPalette standard = QApplication::palette(this);
    QPalette shown = palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        shown.setColor(group, QPalette::Highlight,
                       focused ? standard.color(group, QPalette::Highlight)
                               : standard.color(group, QPalette::Window).darker(125));
        shown.setColor(group, QPalette::HighlightedText,
                       focused ? standard.color(group, QPalette::HighlightedText)
                               : standard.color(group, QPalette::Text));
    }
    setPalette(shown);
}

QString FolderTree::PathOf(const QModelIndex& index) const {
    return m_checked->PathOf(index);
}

QModelIndex FolderTree::IndexOf(const QString& path) const {
    const QString clean = QDir::cleanPath(path);
    // The model finds a path it was never asked to list: a hidden folder (or one inside it)
    // must not come back by that door.
    for (QString part = clean; part.size() > 1; part = QFileInfo(part).path()) {
        if (QFileInfo(part).isHidden()) return {};
    }
    const QModelIndex source = m_files->index(clean);
    if (!source.isValid() || !m_files->isDir(source)) return {};
    return m_checked->mapFromSource(source);
}

void FolderTree::SelectPath(const QString& path) {
    const QModelIndex index = IndexOf(path);
    if (!index.isValid()) return;
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent()) expand(parent);
    expand(index);
    setCurrentIndex(index);
    scrollTo(index, QAbstractItemView::PositionAtTop);
}

QString FolderTree::SelectedPath() const {
    return PathOf(currentIndex());
}

bool FolderTree::IsChecked(const QString& path) const {
    return m_checked->IsChecked(QDir::cleanPath(path));
}

void FolderTree::SetChecked(const QString& path, bool checked) {
    const QModelIndex index = IndexOf(path);
    if (index.isValid()) m_checked->setData(index, checked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
}

void ApplyFolderCheckToEdit(QPlainTextEdit& edit, const QString& path, bool checked, CodePage codePage) {
    std::vector<std::string> lines;
    const QString text = edit.toPlainText();
    if (!text.isEmpty()) {
        for (const QString& line : text.split(QLatin1Char('\n')))
            lines.push_back(FromQString(codePage, line));
    }
    if (!ApplyFolderCheck(lines, FromQString(codePage, path), checked, codePage)) return;
    QString joined;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) joined += QLatin1Char('\n');
        joined += ToQString(codePage, lines[i]);
    }
    const int scroll = edit.verticalScrollBar()->value();
    edit.setPlainText(joined);
    if (checked) {
        // A new line is the last one: show it.
        edit.moveCursor(QTextCursor::End);
        edit.ensureCursorVisible();
    } else {
        edit.verticalScrollBar()->setValue(scroll);
    }
}

#include "FolderTree.moc"
