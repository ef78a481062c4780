#include "quarn/app/ui/program_settings_test_support.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "quarn/services/program_context.h"
#include "quarn/services/settings.h"

SheetFixture::SheetFixture() {
    if (!m_dir.Ok()) return;
    g_strProgramDir = m_dir.Path();
    g_settings.SetPath(m_dir.File("Quarn.ini"));
    g_strProgramTitle.Set("Quarn Pro");
    g_settings.Set(kGlobalSection, StringKey{ProjectListKey(0), ""}, "default");
    g_settings.Set(kGlobalSection, StringKey{ProjectListKey(1), ""}, "shop");
    Reload();
}

void SheetFixture::Reload() {
    sheet = std::make_unique<CIPropSheet2>(nullptr, dialogs,
                                           [this](int priorityClass, std::string* message) {
                                               priorities.push_back(priorityClass);
                                               if (priorityRefusal.empty()) return 1;
                                               *message = priorityRefusal;
                                               return 0;
                                           });
    sheet->Load(LoadProgramSettings());
    sheet->show();
}

QWidget* SheetFixture::page(const char* id) const {
    return sheet->findChild<QWidget*>(id);
}

void SheetFixture::AddTime(const QString& time) const {
    QLineEdit* field = Edit("168", "1000");
    field->setText(time);
    Find<QPushButton>("168", "1012")->click();
}

void SheetFixture::Show(const char* pageId) const {
    sheet->findChild<QTabWidget*>("tabs")->setCurrentWidget(page(pageId));
    QCoreApplication::processEvents();
}

QString SheetFixture::CurrentPage() const {
    return sheet->findChild<QTabWidget*>("tabs")->currentWidget()->objectName();
}

void SheetFixture::Run(int expected) {
    if (edit) edit(*this);
    if (expected == QDialog::Rejected) {
        sheet->reject();
        QCOMPARE(sheet->result(), int(QDialog::Rejected));
        return;
    }
    sheet->accept();
    if (expected == QDialog::Accepted) {
        QCOMPARE(sheet->result(), int(QDialog::Accepted));
    } else {
        QVERIFY(sheet->isVisible());
    }
}

std::string SheetFixture::SettingsText() const {
    return FileText(m_dir.File("Quarn.ini"));
}

std::string SheetFixture::FileText(const std::string& path) const {
    return fixtures::ReadTextFile(path).value_or("<missing>");
}

void SheetFixture::Put(const std::string& path, const std::string& content) const {
    std::string error;
    QVERIFY2(fixtures::WriteTextFile(path, content, &error), error.c_str());
}
