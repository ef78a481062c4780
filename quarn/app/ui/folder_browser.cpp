#include "quarn/app/ui/folder_browser.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <filesystem>

#include "quarn/app/browse_start_folder.h"
#include "quarn/services/program_context.h"
#include "shared/widgets/ui_text.h"

bool CFolderBrowser::Validate(const std::string&, std::string& status) {
    status.clear();
    return true;
}

bool CFolderBrowser::Browse(QWidget* parent) {
    QString root = "/";
    if (!m_strRoot.empty()) {
        std::error_code error;
        if (!std::filesystem::is_directory(m_strRoot, error)) return false;
        root = FromBytes(m_strRoot);
    }
    CFolderBrowserDlg dialog(parent, *this, root);
    const std::string initial = BrowseStartFolder(m_strInitial);
    dialog.Select(initial.empty() ? root : FromBytes(initial));
    if (dialog.exec() != QDialog::Accepted) return false;
    const QString chosen = dialog.Chosen();
    if (chosen.isEmpty()) return false;
    m_strFolder = ToBytes(chosen);
    return true;
}

CFolderBrowserDlg::CFolderBrowserDlg(QWidget* parent, CFolderBrowser& browser, const QString& root)
    : QDialog(parent),
      m_browser(browser),
      m_model(new QFileSystemModel(this)),
      m_tree(new QTreeView(this)),
      m_status(new QLabel(this)),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)) {
    setObjectName("CFolderBrowser");
    setWindowTitle(browser.m_strCaption.empty() ? QString("Browse for Folder")
                                                : FromBytes(browser.m_strCaption));
    auto* prompt =
        new QLabel(browser.m_strPrompt.empty() ? QString("Open") : FromBytes(browser.m_strPrompt));
    prompt->setObjectName("prompt");
    prompt->setWordWrap(true);
    m_model->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_model->setRootPath(root);
    m_tree->setObjectName("tree");
    m_tree->setModel(m_model);
    m_tree->setRootIndex(m_model->index(root));
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_tree->header()->hide();
    m_status->setObjectName("status");
    m_status->setVisible(browser.m_bShowStatus != 0);
    m_buttons->button(QDialogButtonBox::Ok)->setObjectName("1");
    m_buttons->button(QDialogButtonBox::Cancel)->setObjectName("2");
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(false);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { OnSelection(); });
    // The model lists folders as they are read, in a thread of its own, which moves the chosen
    // one out of view again: it is followed until the user takes over the tree.
    for (QObject* watched :
         {static_cast<QObject*>(m_tree), static_cast<QObject*>(m_tree->viewport())})
        watched->installEventFilter(this);
    connect(m_model, &QFileSystemModel::rowsInserted, this, [this] { ScrollToChosen(); });
    connect(m_model, &QFileSystemModel::layoutChanged, this, [this] { ScrollToChosen(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(m_tree, 1);
    layout->addWidget(m_status);
    layout->addWidget(m_buttons);
    resize(360, 420);
}

void CFolderBrowserDlg::Select(const QString& folder) {
    const QModelIndex index = m_model->index(folder);
    if (!index.isValid()) return;
    m_tree->setCurrentIndex(index);
    ScrollToChosen();
}

void CFolderBrowserDlg::ScrollToChosen() {
    const QModelIndex chosen = m_tree->currentIndex();
    if (m_bFollowChosen && chosen.isValid())
        m_tree->scrollTo(chosen, QAbstractItemView::PositionAtCenter);
}

bool CFolderBrowserDlg::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::KeyPress:
        case QEvent::Wheel:
            m_bFollowChosen = false;
            break;
        default:
            break;
    }
    return QDialog::eventFilter(watched, event);
}

void CFolderBrowserDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Only a laid-out view can scroll.
    QTimer::singleShot(0, this, [this] { ScrollToChosen(); });
}

QString CFolderBrowserDlg::Chosen() const {
    return m_model->filePath(m_tree->currentIndex());
}

void CFolderBrowserDlg::OnSelection() {
    const std::string folder = ToBytes(Chosen());
    std::string status;
    const bool valid = m_browser.Validate(folder, status);
    if (m_browser.m_bShowStatus != 0) m_status->setText(FromBytes(status));
    m_buttons->button(QDialogButtonBox::Ok)
        ->setEnabled(valid && !folder.empty() && folder.size() <= kMaxPath);
}
