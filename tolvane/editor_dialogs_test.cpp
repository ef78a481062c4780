// The editor's dialogs that neither an insert command nor printing opens: Tab walks each in the
// order its controls stand.

#include <functional>
#include <memory>

#include "shared/widgets/driver_dlg.h"
#include "tests/fixtures/qt_test_registry.h"
#include "tests/fixtures/tab_order.h"
#include "tolvane/encode_script_dlg.h"
#include "tolvane/goto_line_dlg.h"
#include "tolvane/insert_data_dlgs.h"
#include "tolvane/settings_dlg.h"
#include "tolvane/tolvane_test_support.h"

class UiEditorDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void TabFollowsThePlaces() {
        CRecordingEdPrompts prompts;
        const std::function<std::unique_ptr<QDialog>()> dialogs[] = {
            [] { return std::make_unique<CSettingsDlg>(CEdOptions{}); },
            [] { return std::make_unique<CGotoLineDlg>(1); },
            [&] { return std::make_unique<CEncodeScriptDlg>(CEncodePaths{}, prompts); },
            [] { return std::make_unique<CDataFormatDlg>(nullptr, DataFormat::kDate); },
            [] {
                return std::make_unique<CDriverDlg>(nullptr, QStringList{"SQLite3", "Text"});
            },
        };
        QStringList problems;
        for (const auto& make : dialogs) {
            const std::unique_ptr<QDialog> dialog = make();
            dialog->show();
            if (const QString problem = fixtures::TabOrderProblem(*dialog); !problem.isEmpty())
                problems << problem;
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join("\n")));
    }
};

QUARN_QT_TEST(UiEditorDialogsTest)

#include "editor_dialogs_test.moc"
