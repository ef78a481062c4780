#include "quarn/app/ui/event_log_dlg.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <filesystem>
#include <system_error>

#include "platform/clock.h"
#include "quarn/app/event_log_view.h"
#include "quarn/app/ui/control_identity.h"
#include "quarn/app/ui/frame_dialogs.h"
#include "quarn/services/event_log.h"
#include "quarn/services/program_context.h"
#include "quarn/services/prompt.h"
#include "quarn/services/settings.h"
#include "shared/widgets/ui_text.h"

namespace {

constexpr int kDialogId = 147;
constexpr int kErrorsOnlyId = 1004;
constexpr int kLastFiveDaysId = 1005;
constexpr int kResetId = 1012;
constexpr int kListId = 1017;
constexpr int kOkId = 1;
constexpr int kYesNoWarning = 4 | 48;

}  // namespace

CEventLogDlg::CEventLogDlg(QWidget* parent, IFrameDialogs& dialogs)
    : QDialog(parent),
      m_dialogs(dialogs),
      m_list(new QTreeWidget(this)),
      m_errorsOnly(Identify(new QCheckBox("Show errors only", this), kErrorsOnlyId,
                            "Only show log entries for project errors")),
      m_lastFiveDays(Identify(new QCheckBox("Show last 5 days only", this), kLastFiveDaysId,
                              "Only show log entries for last 5 days")) {
    setObjectName(QString::number(kDialogId));
    setWindowTitle(FromBytes(g_strProgramTitle.Get()));
    Identify(m_list, kListId, "Quarn event log");
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setHeaderLabels({"Date", "Time", "Project", "Event"});
    // The widths of the list's design, widened where this font needs more for a date or a time,
    // and room for a project name of a few words.
    const int stamp = std::max(60, fontMetrics().horizontalAdvance("00/00/00") + 16);
    const int project = 2 * stamp;
    m_list->setColumnWidth(0, stamp);
    m_list->setColumnWidth(1, stamp);
    m_list->setColumnWidth(2, project);
    m_list->setColumnWidth(3, 550);
    m_list->setMinimumSize(2 * stamp + project + 550 + 24, 300);

    auto* reset = Identify(new QPushButton("Reset Log", this), kResetId, "Delete Quarn log file");
    reset->setAutoDefault(false);
    auto* ok = Identify(new QPushButton("OK", this), kOkId, "");
    ok->setDefault(true);
    connect(reset, &QPushButton::clicked, this, [this] { ResetLog(); });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    for (QCheckBox* box : {m_errorsOnly, m_lastFiveDays})
        connect(box, &QCheckBox::clicked, this, [this] { LoadLog(); });

    auto* row = new QHBoxLayout;
    row->addWidget(m_errorsOnly);
    row->addWidget(m_lastFiveDays);
    row->addStretch();
    row->addWidget(reset);
    row->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(row);

    m_errorsOnly->setChecked(g_settings.GetGlobal(global_key::logfilt) != 0);
    m_lastFiveDays->setChecked(g_settings.GetGlobal(global_key::logfiltd) != 0);
    LoadLog();
}

void CEventLogDlg::LoadLog() {
    const EventLogFilter filter{m_errorsOnly->isChecked(), m_lastFiveDays->isChecked()};
    const std::vector<EventLogEntry> entries =
        ::LoadLog(EventLogPath(), filter, platform::CurrentTime());
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(entries.size()));
    for (const EventLogEntry& entry : entries) {
        items.append(
            new QTreeWidgetItem(QStringList{FromBytes(entry.date), FromBytes(entry.time),
                                            FromBytes(entry.project), FromBytes(entry.event)}));
    }
    m_list->clear();
    m_list->addTopLevelItems(items);
    // The newest entry is last; once laid out, the list shows it.
    QTimer::singleShot(0, m_list, [list = m_list] { list->scrollToBottom(); });
}

void CEventLogDlg::ResetLog() {
    const QString question =
        TitledText("Are you sure you want to delete the contents of the log file?");
    if (m_dialogs.MessageBox(this, question, windowTitle(), kYesNoWarning) != prompt_answer::kYes)
        return;
    std::error_code ignored;  // a missing file is already what Reset Log leaves
    std::filesystem::remove(EventLogPath(), ignored);
    LoadLog();
}

void CEventLogDlg::done(int result) {
    g_settings.Set(kGlobalSection, global_key::logfilt, m_errorsOnly->isChecked() ? 1 : 0);
    g_settings.Set(kGlobalSection, global_key::logfiltd, m_lastFiveDays->isChecked() ? 1 : 0);
    QDialog::done(result);
}
