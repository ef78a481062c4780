#pragma once
// A Program Settings sheet over a program directory of its own (projects "default" and "shop"
// listed), shown without a modal loop, its questions answered by a recording fake and the
// process priority recorded instead of set.

#include <QDialog>
#include <QLineEdit>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "quarn/app/ui/program_settings_sheet.h"
#include "quarn/app/ui/ui_test_support.h"
#include "tests/fixtures/temp_dir.h"

class SheetFixture {
public:
    SheetFixture();

    bool Ok() const { return m_dir.Ok() && sheet != nullptr; }
    const std::string& ProgramDir() const { return m_dir.Path(); }
    // A new sheet, loaded from the settings as they are now.
    void Reload();

    QWidget* page(const char* id) const;
    template <typename T>
    T* Find(const char* pageId, const char* id) const {
        return page(pageId)->findChild<T*>(id);
    }
    QLineEdit* Edit(const char* pageId, const char* id) const {
        return Find<QLineEdit>(pageId, id);
    }
    // Types `time` into the schedule page's field and presses Add Time.
    void AddTime(const QString& time) const;
    // Brings the page to the front as a click on its tab does.
    void Show(const char* pageId) const;
    QString CurrentPage() const;
    // Runs `edit`, then OK for QDialog::Accepted or Cancel for QDialog::Rejected; -1 presses OK
    // and expects the sheet to stay open.
    void Run(int expected);

    std::string SettingsText() const;
    std::string FileText(const std::string& path) const;
    void Put(const std::string& path, const std::string& content) const;

    CRecordingFrameDialogs dialogs;
    std::vector<int> priorities;  // every priority the sheet set
    std::string priorityRefusal;  // non-empty: setting the priority fails with this
    std::function<void(SheetFixture&)> edit;
    std::unique_ptr<CIPropSheet2> sheet;

private:
    fixtures::TempDir m_dir{"quarn_sheet"};
};
