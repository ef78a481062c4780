#pragma once
// The dialogs of the FONT, IMG, A HREF and TABLE commands, and the commands' entry points, which
// give the text for the view: the tag for its tag routine, or the table that replaces the
// selection; nullopt when the dialog ended with Cancel. GUI thread only.

#include <QDialog>
#include <optional>
#include <string>

#include "tolvane/html_tag_text.h"
#include "tolvane/insert_frame.h"

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QSpinBox;

// Dialog 161, "Insert Font Tag".
class CFontTagDlg : public QDialog {
    Q_OBJECT
public:
    explicit CFontTagDlg(QWidget* parent);
    std::string Tag() const;

private:
    QLineEdit* m_face;
    QLineEdit* m_color;
    QLineEdit* m_size;
};

// Dialog 153, "Insert Image Tag".
class CImageTagDlg : public QDialog {
    Q_OBJECT
public:
    explicit CImageTagDlg(QWidget* parent);
    std::string Tag() const;

private:
    QLineEdit* m_file;
    QLineEdit* m_alt;
    QButtonGroup* m_align;
};

// Dialog 152, "Insert Hyperlink": the URL typed, or chosen among the pages the script writes.
class CHyperlinkDlg : public QDialog {
    Q_OBJECT
public:
    // `pages`: the "&html" statements of the script.
    CHyperlinkDlg(QWidget* parent, const std::vector<std::string>& pages);
    std::string Tag() const;

private:
    QComboBox* m_url;
};

// Dialog 172, "Insert Table".
class CTableDlg : public QDialog {
    Q_OBJECT
public:
    explicit CTableDlg(QWidget* parent);
    TableAnswers Answers() const;

private:
    QLineEdit* m_padding;
    QLineEdit* m_spacing;
    QLineEdit* m_border;
    QSpinBox* m_columns;
    QSpinBox* m_rows;
};

// FONT (32778): with Shift down "<FONT>" without a dialog, else the tag CFontTagDlg builds.
std::optional<std::string> RunFontTagCommand(QWidget* parent, bool shiftDown);
// IMG (32784): the tag CImageTagDlg builds.
std::optional<std::string> RunImageTagCommand(QWidget* parent);
// A HREF (32785): with Shift down "<A>" without a dialog, else the tag CHyperlinkDlg builds from
// the script's "&html" statements.
std::optional<std::string> RunHyperlinkCommand(QWidget* parent, bool shiftDown,
                                               const InsertContext& ctx);
// TABLE (32777): the table CTableDlg asks for, at the caret line's indentation.
std::optional<InsertResult> RunTableCommand(QWidget* parent, const InsertContext& ctx);
