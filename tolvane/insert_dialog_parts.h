#pragma once
// Pieces the insert wizards and dialogs share: controls named by their ids with their tooltips,
// list fills from script statements, and ending a wizard as cancelled from inside a page.
// GUI thread only.

#include <QComboBox>
#include <QListWidget>
#include <QSpinBox>
#include <QString>
#include <QWizard>
#include <string>
#include <vector>

// An editable drop-down that keeps its entries sorted as the dialogs' lists show them.
QComboBox* MakeSortedCombo(QWidget* parent, const char* id, const char* tip);
// A number edit `editId` with its spin control `spinId`, limited to min..max.
QSpinBox* MakeSpinEdit(QWidget* parent, const char* spinId, const char* editId, const char* tip,
                       int min, int max);
QListWidget* MakeList(QWidget* parent, const char* id, const char* tip);

// Replaces the entries of `combo` with `entries` (sorted) and chooses `preferred` when it is not
// empty and listed, else the first entry.
void FillCombo(QComboBox* combo, const std::vector<std::string>& entries,
               const std::string& preferred);
// Replaces the entries of `list` with `entries` in their order and selects the first.
void FillList(QListWidget* list, const std::vector<std::string>& entries);

// The same with `entries` sorted as the dialogs' lists show them.
void FillSortedList(QListWidget* list, const std::vector<std::string>& entries);

// The selected entry of `list`, "" when none is selected.
std::string SelectedText(const QListWidget* list);

// Ends `wizard` as cancelled once the page that asks has finished its activation.
void CancelWizardLater(QWizard* wizard);
