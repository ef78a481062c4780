#include "tolvane/find_command.h"

#include <QTextCursor>
#include <QTextDocument>
#include <string_view>

#include "tolvane/ed_prompts.h"
#include "tolvane/edit_view.h"

namespace {

// The view's text as FindText sees it; its positions are the document's positions.
std::u16string_view Utf16(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

void Select(CEdView& view, int start, int length) {
    QTextCursor cursor = view.textCursor();
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    view.setTextCursor(cursor);
    view.UpdateLineIndicator();
}

}  // namespace

CFindCommand::CFindCommand(std::function<CEdView*()> activeView, IEdPrompts& prompts,
                           QWidget* frame)
    : QObject(frame), m_activeView(std::move(activeView)), m_prompts(prompts), m_frame(frame) {}

void CFindCommand::ShowDialog(CFindReplaceDlg::Mode mode) {
    if (m_dialog != nullptr && m_dialog->GetMode() != mode) {
        TakeDialogFields();
        delete m_dialog;
    }
    if (m_dialog == nullptr) {
        m_dialog = new CFindReplaceDlg(mode, m_frame);
        connect(m_dialog, &CFindReplaceDlg::FindNextPressed, this, [this] {
            TakeDialogFields();
            FindNext();
        });
        connect(m_dialog, &CFindReplaceDlg::ReplacePressed, this, &CFindCommand::ReplaceCurrent);
        connect(m_dialog, &CFindReplaceDlg::ReplaceAllPressed, this, &CFindCommand::ReplaceAll);
    }
    // A selection within one line is what the user wants to find.
    if (const CEdView* view = m_activeView()) {
        const QString selected = view->textCursor().selectedText();
        if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator)) m_what = selected;
    }
    m_dialog->SetSearch(m_what, m_with, m_options);
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
}

void CFindCommand::TakeDialogFields() {
    m_what = m_dialog->What();
    m_with = m_dialog->With();
    m_options = m_dialog->Options();
}

void CFindCommand::OnFindNext() {
    if (m_what.isEmpty()) {
        OnFind();
        return;
    }
    FindNext();
}

bool CFindCommand::FindNext() {
    CEdView* view = m_activeView();
    if (view == nullptr || m_what.isEmpty()) return false;
    const QString text = view->document()->toRawText();
    const QTextCursor cursor = view->textCursor();
    const std::size_t from = m_options.down ? cursor.selectionEnd() : cursor.selectionStart();
    const std::size_t found = FindText(Utf16(text), Utf16(m_what), from, m_options);
    if (found == std::u16string_view::npos) {
        CannotFind();
        return false;
    }
    Select(*view, static_cast<int>(found), m_what.size());
    return true;
}

void CFindCommand::ReplaceCurrent() {
    TakeDialogFields();
    CEdView* view = m_activeView();
    if (view == nullptr || m_what.isEmpty()) return;
    QTextCursor cursor = view->textCursor();
    const QString text = view->document()->toRawText();
    if (cursor.selectionEnd() - cursor.selectionStart() == m_what.size() &&
        MatchesAt(Utf16(text), Utf16(m_what), cursor.selectionStart(), m_options)) {
        cursor.insertText(m_with);
        view->setTextCursor(cursor);
    }
    FindNext();
}

void CFindCommand::ReplaceAll() {
    TakeDialogFields();
    CEdView* view = m_activeView();
    if (view == nullptr || m_what.isEmpty()) return;
    const std::vector<std::size_t> matches =
        FindAll(Utf16(view->document()->toRawText()), Utf16(m_what), m_options);
    if (matches.empty()) {
        CannotFind();
        return;
    }
    // From the last match back, so that the positions before each replacement stay valid.
    QTextCursor cursor(view->document());
    cursor.beginEditBlock();
    for (auto match = matches.rbegin(); match != matches.rend(); ++match) {
        cursor.setPosition(static_cast<int>(*match));
        cursor.setPosition(static_cast<int>(*match) + m_what.size(), QTextCursor::KeepAnchor);
        cursor.insertText(m_with);
    }
    cursor.endEditBlock();
    view->UpdateLineIndicator();
}

void CFindCommand::CannotFind() {
    QWidget* owner =
        m_dialog != nullptr && m_dialog->isVisible() ? static_cast<QWidget*>(m_dialog) : m_frame;
    m_prompts.MessageBox(owner, QStringLiteral("Cannot find \"%1\"").arg(m_what),
                         IEdPrompts::Icon::kInformation);
}
