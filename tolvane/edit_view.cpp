#include "tolvane/edit_view.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextBlock>

#include "tolvane/ed_prompts.h"
#include "tolvane/ed_settings.h"
#include "tolvane/edit_rules.h"
#include "tolvane/goto_line_dlg.h"
#include "tolvane/insert_commands.h"

namespace {

// 400 twips: 1440 twips make an inch.
constexpr double kTabStopInches = 400.0 / 1440.0;

std::string Utf8(const QString& text) {
    return text.toStdString();
}

// `text` taken from the document, with the line ends that the rest of the editor expects.
QString WithLineFeeds(QString text) {
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

}  // namespace

CEdView::CEdView(platform::ProfileFile& settings, IEdPrompts& prompts, QWidget* parent)
    : QPlainTextEdit(parent), m_settings(settings), m_prompts(prompts) {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(10);
    font.setBold(false);
    setFont(font);
    setTabStopDistance(kTabStopInches * logicalDpiX());
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setWordWrapMode(QTextOption::NoWrap);
}

void CEdView::ShowDocument() {
    setPlainText(QString::fromStdString(m_doc.File().Text()));
    document()->setModified(false);
}

std::string CEdView::WholeText() const {
    return Utf8(WithLineFeeds(document()->toRawText()));
}

QString CEdView::Title() const {
    return m_doc.Path().empty() ? m_untitled : QString::fromStdString(m_doc.FileName());
}

void CEdView::CollectStatements(const std::string& keyword) {
    m_statements = ::CollectStatements(WholeText(), keyword);
}

QString CEdView::CaretLine() const {
    return textCursor().block().text();
}

int CEdView::CaretLineNumber() const {
    return textCursor().blockNumber();
}

InsertContext CEdView::MakeInsertContext() {
    InsertContext ctx;
    ctx.indent = GetIndentLevel();
    ctx.todo = EdSetting(m_settings, "todo", 1) != 0;
    ctx.selection = Utf8(WithLineFeeds(textCursor().selectedText()));
    ctx.collect = [this](std::string_view keyword) {
        CollectStatements(std::string(keyword));
        return m_statements;
    };
    return ctx;
}

void CEdView::ApplyInsert(const InsertResult& result) {
    QTextCursor cursor = textCursor();
    const int start = cursor.selectionStart();
    Replace(cursor, QString::fromStdString(result.text));
    // The offset counts bytes of UTF-8 with CR LF line ends; the document counts UTF-16 units and
    // one unit per line break.
    QString before = QString::fromStdString(result.text.substr(0, result.caret));
    before.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    cursor.setPosition(start + before.size());
    setTextCursor(cursor);
    ensureCursorVisible();
}

int CEdView::GetIndentLevel() const {
    return IndentLevel(Utf8(CaretLine()));
}

int CEdView::UpdateLineIndicator() {
    const int line = CaretLineNumber() + 1;
    emit LineTextChanged(QStringLiteral("Ln %1").arg(line));
    return line;
}

void CEdView::Replace(QTextCursor& cursor, const QString& text) {
    cursor.beginEditBlock();
    cursor.insertText(text);
    cursor.endEditBlock();
}

bool CEdView::HandleBlockIndent(bool shift) {
    QTextCursor cursor = textCursor();
    if (!cursor.hasSelection()) return false;
    const QTextBlock first = document()->findBlock(cursor.selectionStart());
    const QTextBlock last = document()->findBlock(cursor.selectionEnd());
    const int start = first.position();
    const int end = last.position() + last.length() - 1;
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    int change = 0;
    const QString result = QString::fromStdString(
        IndentBlock(Utf8(WithLineFeeds(cursor.selectedText())), shift, change));
    Replace(cursor, result);
    cursor.setPosition(start);
    cursor.setPosition(end + change, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    return true;
}

bool CEdView::HandleAutoTab(QKeyEvent* event) {
    if (EdSetting(m_settings, "autotab", 1) == 0) return false;
    QTextCursor cursor = textCursor();
    if (event->text() == QLatin1String("}")) {
        const QString line = CaretLine();
        const int column = cursor.positionInBlock();
        if (!BraceReplacesTab(Utf8(line), static_cast<std::size_t>(Utf8(line.left(column)).size())))
            return false;
        cursor.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor);
        Replace(cursor, QStringLiteral("}"));
        return true;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Replace(cursor, QString::fromStdString(AutoTabBreak(Utf8(CaretLine()))));
        ensureCursorVisible();
        return true;
    }
    return false;
}

void CEdView::keyPressEvent(QKeyEvent* event) {
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    bool handled = false;
    if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) {
        const bool outdent = shift || event->key() == Qt::Key_Backtab;
        handled = HandleBlockIndent(outdent);
        if (!handled && outdent) {
            QTextCursor cursor = textCursor();
            if (cursor.positionInBlock() > 0 &&
                document()->characterAt(cursor.position() - 1) == QLatin1Char('\t')) {
                cursor.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor);
                Replace(cursor, QString());
            }
            handled = true;
        }
    }
    if (!handled) handled = HandleAutoTab(event);
    if (!handled) QPlainTextEdit::keyPressEvent(event);
    UpdateLineIndicator();
}

void CEdView::mousePressEvent(QMouseEvent* event) {
    QPlainTextEdit::mousePressEvent(event);
    UpdateLineIndicator();
}

void CEdView::focusInEvent(QFocusEvent* event) {
    QPlainTextEdit::focusInEvent(event);
    UpdateLineIndicator();
}

void CEdView::InsertHtmlTag(const QString& tag, bool shift) {
    const TagInsertion insertion =
        HtmlTagInsertion(Utf8(tag), EdSetting(m_settings, "openclosehtml", 1) != 0, shift);
    ApplyInsert({insertion.text, insertion.caret});
}

void CEdView::InsertFunctionName(const QString& name) {
    QTextCursor cursor = textCursor();
    Replace(cursor, name);
    if (cursor.position() > 0 && document()->characterAt(cursor.position() - 1) == QLatin1Char(')'))
        cursor.movePosition(QTextCursor::PreviousCharacter);
    setTextCursor(cursor);
    setFocus();
}

void CEdView::GotoLine(int line) {
    m_nBackLine = CaretLineNumber() + 1;
    const QTextBlock block = document()->findBlockByNumber(ClampLine(line, blockCount()));
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    centerCursor();
    UpdateLineIndicator();
}

void CEdView::OnGotoLine() {
    CGotoLineDlg dialog(m_nGotoNumber, this);
    if (dialog.exec() != QDialog::Accepted) return;
    m_nGotoNumber = dialog.Number();
    GotoLine(m_nGotoNumber - 1);
}

void CEdView::OnGotoError() {
    const int line = m_settings.GetInt("global", "lasterrorline", -1);
    if (line == -1) {
        m_prompts.MessageBox(this, QStringLiteral("Previous script terminated without errors"),
                             IEdPrompts::Icon::kInformation);
        return;
    }
    GotoLine(line - 1);
}

void CEdView::OnBookmarkLine() {
    m_nBookmark = CaretLineNumber();
    emit StatusMessage(QStringLiteral("Bookmark set to line %1").arg(m_nBookmark + 1));
}

void CEdView::OnGotoBookmark() {
    if (m_nBookmark < 0) {
        m_prompts.MessageBox(this, QStringLiteral("The bookmark is empty"),
                             IEdPrompts::Icon::kInformation);
        return;
    }
    GotoLine(m_nBookmark);
}

void CEdView::OnGoBack() {
    if (m_nBackLine < 0) {
        m_prompts.MessageBox(this, QStringLiteral("The \"Back\" memory is empty"),
                             IEdPrompts::Icon::kInformation);
        return;
    }
    GotoLine(m_nBackLine - 1);
}

void CEdView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(QStringLiteral("Undo"), this, &QPlainTextEdit::undo)
        ->setEnabled(document()->isUndoAvailable());
    menu.addSeparator();
    const bool selected = textCursor().hasSelection();
    menu.addAction(QStringLiteral("Cut"), this, &QPlainTextEdit::cut)->setEnabled(selected);
    menu.addAction(QStringLiteral("Copy"), this, &QPlainTextEdit::copy)->setEnabled(selected);
    menu.addAction(QStringLiteral("Paste"), this, &QPlainTextEdit::paste)->setEnabled(canPaste());
    menu.addSeparator();
    menu.addAction(QStringLiteral("Select All"), this, &QPlainTextEdit::selectAll);
    menu.addSeparator();
    const std::pair<int, const char*> inserts[] = {{32773, "Insert Database Data"},
                                                   {32847, "Insert User Variable"}};
    for (const auto& [id, text] : inserts) {
        menu.addAction(QString::fromLatin1(text), this,
                       [this, id = id] { RunInsertCommand(id, *this, m_prompts); })
            ->setObjectName(QString::number(id));
    }
    menu.exec(event->globalPos());
}

QMimeData* CEdView::createMimeDataFromSelection() const {
    auto* data = new QMimeData;
    data->setText(WithLineFeeds(textCursor().selectedText()));
    return data;
}

bool CEdView::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasText();
}

void CEdView::insertFromMimeData(const QMimeData* source) {
    if (source->hasText()) insertPlainText(source->text());
}
