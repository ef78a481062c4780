#include "tolvane/tool_windows.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "tolvane/ed_app.h"

CToolListWnd::CToolListWnd(const QString& title, const QString& tip, QWidget* owner)
    // A close box alone, as a tool window has: no minimise or maximise buttons taking the
    // caption's room.
    : QDialog(owner,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_list(new QListWidget(this)) {
    setWindowTitle(title);
    // Wide enough for the whole caption beside the window manager's icon and buttons (a caption
    // font is bold; a window manager may keep its minimise and maximise buttons).
    QFont captionFont = font();
    captionFont.setBold(true);
    const QFontMetrics caption(captionFont);
    setMinimumWidth(caption.horizontalAdvance(title) + 8 * caption.height() + 24);
    setSizeGripEnabled(true);
    m_list->setObjectName(QStringLiteral("1002"));
    m_list->setToolTip(tip);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    connect(m_list, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { emit Chosen(item->text()); });
}

void CToolListWnd::Fill(const std::vector<std::string>& texts) {
    QStringList items;
    for (const std::string& text : texts)
        items.append(QString::fromStdString(text));
    std::stable_sort(items.begin(), items.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    m_list->addItems(items);
}

void CToolListWnd::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) return;
    if (event->key() == Qt::Key_Escape) {
        hide();
        emit Closed();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CToolListWnd::closeEvent(QCloseEvent* event) {
    event->ignore();
    hide();
    emit Closed();
}

CScriptFuncWnd::CScriptFuncWnd(const std::vector<std::string>& scriptFunctions,
                               const std::vector<std::string>& mathFunctions, QWidget* owner)
    : CToolListWnd(QStringLiteral("Script Functions"),
                   QStringLiteral("Double-click to insert function into script"), owner) {
    setObjectName(QStringLiteral("173"));
    std::vector<std::string> names = scriptFunctions;
    names.insert(names.end(), mathFunctions.begin(), mathFunctions.end());
    Fill(names);
}

CHtmlTagsDlg::CHtmlTagsDlg(QWidget* owner)
    : CToolListWnd(QStringLiteral("HTML Tags"),
                   QStringLiteral("Double-click to insert HTML tag into script"), owner) {
    setObjectName(QStringLiteral("174"));
    Fill(HtmlTagTexts());
}
