#pragma once
// Pieces the insert dialogs and wizards share: what a command is given besides the view's context,
// the controls made with their ids and tooltips, list fills from script statements, the OK/Cancel
// row, and ending a wizard as cancelled from inside a page. GUI thread only.

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
class QSpinBox;
class QWizard;

// Why a command stops before its dialog: the script does not hold the statement it builds on.
inline constexpr char kNeedConnection[] =
    "You need to insert a Database Connection in your script first.";
inline constexpr char kNeedRecordset[] = "You need to insert a Recordset in your script first.";
inline constexpr char kNeedVariable[] = "You need to define a user variable before you can use it.";

// What an insert command needs besides the view's context; all outlive the command.
struct InsertServices {
    DataMemory& memory;
    IOdbcCatalog& catalog;
    IWizardPrompts& prompts;
};

// The statements of `keyword` that the view holds, or none without a scanner.
std::vector<std::string> Collect(const InsertContext& ctx, std::string_view keyword);

// The recordset statements ("&getdata", then "&sql") that the view holds.
std::vector<std::string> CollectRecordsets(const InsertContext& ctx);

// Names as a sorted list of texts (sorted without case).
QStringList SortedTexts(const std::vector<std::string>& names);

// An editable, sorted drop-down; `entries` are taken as they are.
QComboBox* MakeCombo(QWidget* parent, const char* id, const char* tip);
QLineEdit* MakeLineEdit(QWidget* parent, const char* id, const char* tip, int maxLength = 0);
QListWidget* MakeList(QWidget* parent, const char* id, const char* tip);
QPushButton* MakeButton(QWidget* parent, const char* id, const QString& text, const char* tip);
QRadioButton* MakeRadio(QWidget* parent, const char* id, const QString& text, const char* tip);
// A number edit `editId` with its spin control `spinId`, limited to min..max.
QSpinBox* MakeSpinEdit(QWidget* parent, const char* spinId, const char* editId, const char* tip,
                       int min, int max);

// Selects `wanted` in `combo` when it is there, else the first entry.
void Preselect(QComboBox* combo, const std::string& wanted);

// Appends `entries` to `combo`, each with its whole text as its tooltip: a long connection string
// or statement is cut in the field.
void AddEntries(QComboBox* combo, const QStringList& entries);
// Replaces the entries of `combo` with `entries` (sorted) and preselects `preferred` as Preselect
// does; no change signal is sent.
void FillCombo(QComboBox* combo, const std::vector<std::string>& entries,
               const std::string& preferred);
// Replaces the entries of `list` with `entries` in their order and selects the first.
void FillList(QListWidget* list, const std::vector<std::string>& entries);
// The same with `entries` sorted as the dialogs' lists show them.
void FillSortedList(QListWidget* list, const std::vector<std::string>& entries);
// Fills `fields` (sorted) with the columns of the remembered recordset, reached through the
// remembered data connection, and the recordset's counters; when the catalog fails, the list stays
// empty and the catalog's message is shown over `parent`.
void FillRecordsetFields(QListWidget* fields, const DataMemory& memory, IOdbcCatalog& catalog,
                         IWizardPrompts& prompts, QWidget* parent);
// The selected entry of `list`, "" when none is selected.
std::string SelectedText(const QListWidget* list);

// Ends `wizard` as cancelled once the page that asks has finished its activation.
void CancelWizardLater(QWizard* wizard);

// Makes `dialog` wide enough for its caption, which a narrow window would cut.
void FitCaption(QDialog* dialog);

// OK and Cancel; OK runs `ok` (which accepts when the answers are complete), Cancel rejects.
QDialogButtonBox* OkCancel(QDialog* dialog, std::function<void()> ok);
