#pragma once
// The dialogs of the data insert commands (Insert Recordset 142, Insert Database Data 143, Data
// format 167) and the commands' entry points. Modal, GUI thread only. A dialog whose Prepare
// returns false has shown why and must not be shown.

#include <QDialog>
#include <optional>
#include <string>

#include "tolvane/insert_data_text.h"
#include "tolvane/insert_dialog_kit.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QListWidget;
class QPushButton;
class QSpinBox;

class CRecordsetDlg : public QDialog {
    Q_OBJECT
public:
    CRecordsetDlg(QWidget* parent, const InsertContext& ctx, InsertServices& services);
    bool Prepare();
    // The chosen table as the query names it, and the function; valid after OK.
    const std::string& Table() const { return m_strTable; }
    RecordsetFunction Function() const;

private:
    void FillTableList();
    void Ok();

    InsertServices& m_services;
    QComboBox* m_datasource;
    QListWidget* m_tables;
    QButtonGroup* m_function;
    std::string m_strTable;
};

class CInsertDataDlg : public QDialog {
    Q_OBJECT
public:
    CInsertDataDlg(QWidget* parent, const InsertContext& ctx, InsertServices& services,
                   bool offerFormat);
    bool Prepare();
    // "?field?" or "?field[index]?", the field escaped; valid after OK.
    std::string Reference() const;
    DataFormat Format() const { return m_format; }

private:
    void FillFieldList();
    void Ok();

    InsertServices& m_services;
    QComboBox* m_datasource;
    QComboBox* m_recordset;
    QListWidget* m_fields;
    QSpinBox* m_index;
    QCheckBox* m_inRecordset;
    QPushButton* m_formatButton;
    DataFormat m_format = DataFormat::kNone;
    std::string m_strField;
};

class CDataFormatDlg : public QDialog {
    Q_OBJECT
public:
    CDataFormatDlg(QWidget* parent, DataFormat format);
    DataFormat Format() const;

private:
    QButtonGroup* m_choice;
};

// The Insert menu's data commands: the text to put in place of the selection, or nullopt when
// nothing is to be inserted. The one-to-many command takes its statement from its wizard and
// writes it with RecordsetBlock.
std::optional<InsertResult> InsertDataSource(QWidget* parent, const InsertContext& ctx,
                                             InsertServices& services);
std::optional<InsertResult> InsertRecordset(QWidget* parent, const InsertContext& ctx,
                                            InsertServices& services);
std::optional<InsertResult> InsertDatabaseData(QWidget* parent, const InsertContext& ctx,
                                               InsertServices& services);
// The "Database" picker of the dialogs with edit fields: the field reference chosen in the
// Insert Database Data dialog without its format button, or nullopt.
std::optional<std::string> PickDatabaseField(QWidget* parent, const InsertContext& ctx,
                                             InsertServices& services);
