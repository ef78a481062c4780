#pragma once
// The editing view of one script: plain text only, TAB stops every 400 twips, no word wrap, the
// block indentation and auto-tab rules, HTML tag and function insertion, the statement scanner,
// and the jumps (Goto Line, Goto Error, bookmark, Go Back). GUI thread only. The settings file
// and the prompts belong to the main frame and outlive the view.

#include <QPlainTextEdit>
#include <string>
#include <vector>

#include "platform/profile_file.h"
#include "tolvane/ed_doc.h"
#include "tolvane/insert_frame.h"

class IEdPrompts;

class CEdView : public QPlainTextEdit {
    Q_OBJECT
public:
    CEdView(platform::ProfileFile& settings, IEdPrompts& prompts, QWidget* parent = nullptr);

    CEdDoc& Doc() { return m_doc; }
    // Shows the document's text, undo history cleared, unmodified.
    void ShowDocument();
    // The whole text as UTF-8 with "\n" line breaks.
    std::string WholeText() const;
    // The caption: the file name, "Script1" style for a new document.
    QString Title() const;
    void SetUntitledName(const QString& name) { m_untitled = name; }

    void CollectStatements(const std::string& keyword);
    const std::vector<std::string>& Statements() const { return m_statements; }

    // `shift`: whether Shift counts as held (the HTML toolbar and the tool window pass theirs).
    void InsertHtmlTag(const QString& tag, bool shift);
    // Replaces the selection by `name`; the caret goes inside "()" when the name ends with them.
    void InsertFunctionName(const QString& name);

    // What an insert command takes from the view before its dialog opens: the caret line's
    // indentation, the `todo` setting, the selection and the view's statement scanner (valid while
    // the view lives).
    InsertContext MakeInsertContext();
    // Replaces the selection with `result`'s text as one undo step and puts the caret at its
    // offset.
    void ApplyInsert(const InsertResult& result);
    // The data statements last chosen by the insert commands of this view.
    DataMemory& Memory() { return m_memory; }

    int GetIndentLevel() const;
    // "Ln n" for the caret line; returns n.
    int UpdateLineIndicator();
    // Jumps to the 0-based `line` (clamped into the text) and selects it.
    void GotoLine(int line);

    void OnGotoLine();
    void OnGotoError();
    void OnBookmarkLine();
    void OnGotoBookmark();
    void OnGoBack();

signals:
    void LineTextChanged(const QString& text);
    void StatusMessage(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    bool HandleBlockIndent(bool shift);
    bool HandleAutoTab(QKeyEvent* event);
    QString CaretLine() const;
    int CaretLineNumber() const;
    void Replace(QTextCursor& cursor, const QString& text);

    platform::ProfileFile& m_settings;
    IEdPrompts& m_prompts;
    CEdDoc m_doc;
    QString m_untitled;
    std::vector<std::string> m_statements;
    DataMemory m_memory;
    int m_nBookmark = -1;  // 0-based line
    int m_nBackLine = -1;  // 1-based line
    int m_nGotoNumber = 1;
};
