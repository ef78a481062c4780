#pragma once
// Pieces the insert dialogs share: what a command is given besides the view's context, the
// controls made with their ids and tooltips, and the OK/Cancel row. GUI thread only.

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "shared/odbc_catalog.h"
#include "shared/widgets/wizard_prompts.h"
#include "tolvane/insert_frame.h"

class QComboBox;
class QDialogButtonBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

// What an insert command needs besides the view's context; all outlive the command.
struct InsertServices {
    DataMemory& memory;
    IOdbcCatalog& catalog;
    IWizardPrompts& prompts;
};

// The statements of `keyword` that the view holds, or none without a scanner.
std::vector<std::string> Collect(const InsertContext& ctx, std::string_view keyword);

// Names as a sorted list of texts (sorted without case).
QStringList SortedTexts(const std::vector<std::string>& names);

// An editable, sorted drop-down; `entries` are taken as they are.
QComboBox* MakeCombo(QWidget* parent, const char* id, const char* tip);
QLineEdit* MakeLineEdit(QWidget* parent, const char* id, const char* tip, int maxLength = 0);
QListWidget* MakeList(QWidget* parent, const char* id, const char* tip);
QPushButton* MakeButton(QWidget* parent, const char* id, const QString& text, const char* tip);
QRadioButton* MakeRadio(QWidget* parent, const char* id, const QString& text, const char* tip);

// Selects `wanted` in `combo` when it is there, else the first entry.
void Preselect(QComboBox* combo, const std::string& wanted);

// OK and Cancel; OK runs `ok` (which accepts when the answers are complete), Cancel rejects.
QDialogButtonBox* OkCancel(QDialog* dialog, std::function<void()> ok);
