#include "tolvane/editor_frame.h"

#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <filesystem>
#include <functional>

#include "shared/launcher.h"
#include "shared/widgets/bar_state.h"
#include "shared/widgets/toolbar_ex.h"
#include "shared/widgets/ui_text.h"
#include "tolvane/child_frame.h"
#include "tolvane/ed_app.h"
#include "tolvane/ed_prompts.h"
#include "tolvane/edit_rules.h"
#include "tolvane/edit_view.h"
#include "tolvane/encode_command.h"
#include "tolvane/encode_script_dlg.h"
#include "tolvane/find_command.h"
#include "tolvane/insert_commands.h"
#include "tolvane/insert_statements.h"
#include "tolvane/lock_panes.h"
#include "tolvane/outer_size.h"
#include "tolvane/preview_extractor.h"
#include "tolvane/save_name.h"
#include "tolvane/settings_dlg.h"
#include "tolvane/tool_windows.h"
#include "tolvane/toolbar_icons.h"

namespace {

constexpr int kMainToolBar = 59392;
constexpr int kStatusBar = 59393;
constexpr int kHtmlToolBar = 59397;
constexpr int kScriptToolBar = 59398;
constexpr int kPreviewSelector = 32855;
constexpr int kRecentFiles = 4;
constexpr std::string_view kRecentSection = "Recent File List";

// Buttons of the HTML and script function toolbars: what each inserts.
constexpr const char* kHtmlButtons[] = {
    "<B>",     "<I>",  "<U>",  "<P>", "<BR>", "<A HREF=\"\">", "<IMG SRC=\"\">",
    "<TABLE>", "<TR>", "<TD>", "<H>"};
constexpr const char* kScriptButtons[] = {"&html()",   "&if()",     "&else",  "&foreachrow()",
                                          "&defvar()", "&assign()", "&sql()", "&include()"};

constexpr int kPreviewRefreshMs = 4000;

// What Open and Save As offer; an untitled document is proposed under the first.
constexpr QLatin1StringView kScriptFilter("Script Files (*.scp)");
constexpr QLatin1StringView kScriptFileFilter("Script Files (*.scp);;All Files (*)");

// The preview-page selector, which refills its list as the list opens.
class CPreviewSelector : public QComboBox {
public:
    explicit CPreviewSelector(std::function<void()> refill) : m_refill(std::move(refill)) {}
    void showPopup() override {
        m_refill();
        QComboBox::showPopup();
    }

private:
    std::function<void()> m_refill;
};

QString ChosenSaveName(const QString& typed, const QString& filter) {
    return QString::fromStdString(SaveFileName(typed.toStdString(), filter.toStdString()));
}

std::string RecentKey(int index) {
    return "File" + std::to_string(index + 1);
}

// 0: no automatic preview; 1: every 4 seconds; 2: when the frame loses the focus.
int AutoRefreshMode(const platform::ProfileFile& settings) {
    return EdSetting(settings, "autrefresh", 2);
}

}  // namespace

CMainFrame::CMainFrame(const CEdApp& app, platform::ProfileFile& settings, IEdPrompts& prompts,
                       ILauncher& launcher, std::string programDir)
    : m_app(app),
      m_settings(settings),
      m_prompts(prompts),
      m_launcher(launcher),
      m_programDir(std::move(programDir)),
      m_mdi(new QMdiArea(this)),
      m_linePane(new QLabel(this)),
      m_find(new CFindCommand([this] { return ActiveView(); }, prompts, this)),
      m_print(prompts) {
    setWindowTitle(QStringLiteral("Tolvane"));
    setAcceptDrops(true);
    setCentralWidget(m_mdi);
    m_mdi->setObjectName(QStringLiteral("mdi"));

    m_lastPos = QPoint(-1, -1);

    CreateMenus();
    CreateToolBars();
    auto* previewTimer = new QTimer(this);
    connect(previewTimer, &QTimer::timeout, this, &CMainFrame::OnPreviewTimer);
    previewTimer->start(kPreviewRefreshMs);
    statusBar()->setObjectName(QString::number(kStatusBar));
    m_lockPanes = new CLockPanes(statusBar());
    m_linePane->setObjectName(QStringLiteral("101"));
    m_linePane->setMinimumWidth(
        m_linePane->fontMetrics().horizontalAdvance(QStringLiteral("Ln 0          ")));
    statusBar()->addPermanentWidget(m_linePane);
    LoadBarState(*this, m_settings, kToolbarSection);
    CreateToolWindows();

    connect(m_mdi, &QMdiArea::subWindowActivated, this, [this] {
        UpdateCaption();
        UpdateCommands();
        UpdateToolWindows();
        if (CEdView* view = ActiveView()) view->UpdateLineIndicator();
    });
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            &CMainFrame::UpdatePasteCommand);
    UpdateCommands();
}

// QWidget's destructor hides and deletes the child windows after this part of the frame is gone:
// neither the area's activation signal nor a child's state change may reach it any more.
CMainFrame::~CMainFrame() {
    m_mdi->disconnect(this);
    for (QMdiSubWindow* child : m_mdi->subWindowList())
        child->disconnect(this);
}

QAction* CMainFrame::AddCommand(QMenu* menu, int id, const QString& text,
                                const QKeySequence& keys) {
    auto* action = new QAction(text, this);
    action->setObjectName(QString::number(id));
    if (!keys.isEmpty()) action->setShortcut(keys);
    if (menu != nullptr) menu->addAction(action);
    m_commands[id] = action;
    return action;
}

QAction* CMainFrame::Command(int id) const {
    const auto found = m_commands.find(id);
    return found == m_commands.end() ? nullptr : found->second;
}

CToolBarEx* CMainFrame::ToolBar(int id) const {
    const auto found = m_toolBars.find(id);
    return found == m_toolBars.end() ? nullptr : found->second;
}

void CMainFrame::CreateMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    connect(AddCommand(file, 57600, QStringLiteral("&New"), QKeySequence(Qt::CTRL | Qt::Key_N)),
            &QAction::triggered, this, &CMainFrame::NewDocument);
    connect(AddCommand(file, 57601, QStringLiteral("&Open..."), QKeySequence(Qt::CTRL | Qt::Key_O)),
            &QAction::triggered, this, &CMainFrame::OnFileOpen);
    connect(AddCommand(file, 57602, QStringLiteral("&Close")), &QAction::triggered, this, [this] {
        if (QMdiSubWindow* child = m_mdi->activeSubWindow()) child->close();
    });
    connect(AddCommand(file, 57603, QStringLiteral("&Save"), QKeySequence(Qt::CTRL | Qt::Key_S)),
            &QAction::triggered, this, [this] { SaveDocument(ActiveView(), false); });
    connect(AddCommand(file, 57604, QStringLiteral("Save &As...")), &QAction::triggered, this,
            [this] { SaveDocument(ActiveView(), true); });
    file->addSeparator();
    connect(
        AddCommand(file, 57607, QStringLiteral("&Print..."), QKeySequence(Qt::CTRL | Qt::Key_P)),
        &QAction::triggered, this, [this] {
            if (CEdView* view = ActiveView()) m_print.OnFilePrint(*view, this);
        });
    connect(AddCommand(file, 57609, QStringLiteral("Print Pre&view")), &QAction::triggered, this,
            [this] {
                auto* child = qobject_cast<CChildFrame*>(m_mdi->activeSubWindow());
                if (CEdView* view = ActiveView(); view != nullptr && child != nullptr)
                    m_print.OnFilePrintPreview(*view, *child, this);
            });
    connect(AddCommand(file, 57606, QStringLiteral("P&rint Setup...")), &QAction::triggered, this,
            [this] { m_print.OnFilePrintSetup(this); });
    file->addSeparator();
    m_recentMenu = file->addMenu(QStringLiteral("Recent &Files"));
    FillRecentFiles();
    file->addSeparator();
    connect(AddCommand(file, 57665, QStringLiteral("E&xit")), &QAction::triggered, this,
            &QWidget::close);

    m_editMenu = menuBar()->addMenu(QStringLiteral("&Edit"));
    const auto viewSlot = [this](void (CEdView::*slot)()) {
        return [this, slot] {
            if (CEdView* view = ActiveView()) (view->*slot)();
        };
    };
    connect(AddCommand(m_editMenu, 57643, QStringLiteral("&Undo"), QKeySequence::Undo),
            &QAction::triggered, this, viewSlot(&QPlainTextEdit::undo));
    m_editMenu->addSeparator();
    connect(AddCommand(m_editMenu, 57635, QStringLiteral("Cu&t"), QKeySequence::Cut),
            &QAction::triggered, this, viewSlot(&QPlainTextEdit::cut));
    connect(AddCommand(m_editMenu, 57634, QStringLiteral("&Copy"), QKeySequence::Copy),
            &QAction::triggered, this, viewSlot(&QPlainTextEdit::copy));
    connect(AddCommand(m_editMenu, 57637, QStringLiteral("&Paste"), QKeySequence::Paste),
            &QAction::triggered, this, viewSlot(&QPlainTextEdit::paste));
    connect(AddCommand(m_editMenu, 57642, QStringLiteral("Select &All"), QKeySequence::SelectAll),
            &QAction::triggered, this, viewSlot(&QPlainTextEdit::selectAll));
    m_editMenu->addSeparator();
    connect(AddCommand(m_editMenu, 57636, QStringLiteral("&Find..."),
                       QKeySequence(Qt::CTRL | Qt::Key_F)),
            &QAction::triggered, m_find, &CFindCommand::OnFind);
    connect(AddCommand(m_editMenu, 57639, QStringLiteral("Find &Next"), QKeySequence(Qt::Key_F3)),
            &QAction::triggered, m_find, &CFindCommand::OnFindNext);
    connect(AddCommand(m_editMenu, 57638, QStringLiteral("R&eplace..."),
                       QKeySequence(Qt::CTRL | Qt::Key_H)),
            &QAction::triggered, m_find, &CFindCommand::OnReplace);
    m_editMenu->addSeparator();
    connect(AddCommand(m_editMenu, 32783, QStringLiteral("&Goto Line"),
                       QKeySequence(Qt::CTRL | Qt::Key_L)),
            &QAction::triggered, this, viewSlot(&CEdView::OnGotoLine));
    connect(AddCommand(m_editMenu, 32788, QStringLiteral("Go&to Error"),
                       QKeySequence(Qt::CTRL | Qt::Key_E)),
            &QAction::triggered, this, viewSlot(&CEdView::OnGotoError));
    connect(AddCommand(m_editMenu, 32790, QStringLiteral("Bookmark Line"),
                       QKeySequence(Qt::CTRL | Qt::Key_B)),
            &QAction::triggered, this, viewSlot(&CEdView::OnBookmarkLine));
    connect(AddCommand(m_editMenu, 32791, QStringLiteral("Goto Bookmark"),
                       QKeySequence(Qt::CTRL | Qt::Key_G)),
            &QAction::triggered, this, viewSlot(&CEdView::OnGotoBookmark));
    connect(AddCommand(m_editMenu, 32793, QStringLiteral("Go Back"),
                       QKeySequence(Qt::CTRL | Qt::Key_R)),
            &QAction::triggered, this, viewSlot(&CEdView::OnGoBack));

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    AddCommand(view, kMainToolBar, QStringLiteral("Main &Toolbar"));
    connect(AddCommand(view, kStatusBar, QStringLiteral("&Status Bar")), &QAction::toggled, this,
            [this](bool on) { statusBar()->setVisible(on); });
    AddCommand(view, 32809, QStringLiteral("&HTML Toolbar"));
    AddCommand(view, 32810, QStringLiteral("Script &Function Toolbar"));
    view->addSeparator();
    AddCommand(view, 32853, QStringLiteral("Script Functions &Window"));
    AddCommand(view, 32854, QStringLiteral("HTML T&ags Window"));
    for (int id : {kStatusBar, 32853, 32854}) {
        Command(id)->setCheckable(true);
        Command(id)->setChecked(true);
    }

    m_insertMenu = menuBar()->addMenu(QStringLiteral("&Insert"));
    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    connect(AddCommand(tools, 32813, QStringLiteral("&Script Wizard")), &QAction::triggered, this,
            &CMainFrame::OnToolsWizard);
    connect(AddCommand(tools, 32815, QStringLiteral("&Options...")), &QAction::triggered, this,
            &CMainFrame::OnOptions);
    connect(AddCommand(tools, 32800, QStringLiteral("Runtime &Encode Script")), &QAction::triggered,
            this, &CMainFrame::EncodeRuntimeScript);
    tools->addSeparator();
    const auto preview = [this](bool browser) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const bool selected = BuildPreview(browser);
        QApplication::restoreOverrideCursor();
        if (!selected)
            m_prompts.MessageBox(
                this, QStringLiteral("Error- no HTML page selected in preview list box."),
                IEdPrompts::Icon::kExclamation);
    };
    connect(AddCommand(tools, 32857, QStringLiteral("&Preview HTML")), &QAction::triggered, this,
            [preview] { preview(true); });
    connect(AddCommand(tools, 32858, QStringLiteral("&Refresh")), &QAction::triggered, this,
            [preview] { preview(false); });
    AddInsertCommands(m_insertMenu, tools, [this](QMenu* menu, const InsertCommand& command) {
        QAction* action = AddCommand(menu, command.id, QString::fromUtf8(command.text),
                                     QKeySequence(QString::fromLatin1(command.keys)));
        connect(action, &QAction::triggered, this, [this, id = command.id] {
            InsertIntoActiveView([&](CEdView& view) { RunInsertCommand(id, view, m_prompts); });
        });
        return action;
    });

    m_windowMenu = menuBar()->addMenu(QStringLiteral("&Window"));
    connect(AddCommand(m_windowMenu, 57650, QStringLiteral("&Cascade")), &QAction::triggered, m_mdi,
            &QMdiArea::cascadeSubWindows);
    connect(AddCommand(m_windowMenu, 57651, QStringLiteral("&Tile")), &QAction::triggered, m_mdi,
            &QMdiArea::tileSubWindows);
    connect(m_windowMenu, &QMenu::aboutToShow, this, &CMainFrame::FillWindowMenu);

    // No help file is installed: the help commands and keys show, disabled.
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    AddCommand(help, 57667, QStringLiteral("&Help Topics"))->setEnabled(false);
    help->addSeparator();
    addAction(AddCommand(nullptr, 57670, QStringLiteral("Help"), QKeySequence(Qt::Key_F1)));
    addAction(
        AddCommand(nullptr, 57669, QStringLiteral("Help"), QKeySequence(Qt::SHIFT | Qt::Key_F1)));
    Command(57670)->setEnabled(false);
    Command(57669)->setEnabled(false);
    connect(AddCommand(help, 57664, QStringLiteral("&About Tolvane...")), &QAction::triggered, this,
            &CMainFrame::OnAbout);
}

void CMainFrame::CreateToolBars() {
    const auto addBar = [this](int id, const QString& title, Qt::ToolBarArea area) {
        auto* bar = new CToolBarEx(title, QString::number(id), this);
        addToolBar(area, bar);
        m_toolBars[id] = bar;
        return bar;
    };
    CToolBarEx* main = addBar(kMainToolBar, QStringLiteral("Main Toolbar"), Qt::TopToolBarArea);
    for (int id : {57600, 57601, 57603, 57635, 57634, 57637, 32857, 32858, 57664})
        Command(id)->setIcon(ToolBarIcon(id));
    for (int id : {57600, 57601, 57603})
        main->AddButton(Command(id));
    main->addSeparator();
    for (int id : {57635, 57634, 57637})
        main->AddButton(Command(id));
    main->addSeparator();
    main->AddButton(AddCommand(nullptr, kPreviewSelector, QStringLiteral("Preview page")));
    main->AddButton(Command(32857));
    main->AddButton(Command(32858));
    main->addSeparator();
    main->AddButton(Command(57664));
    m_previewSelector = new CPreviewSelector([this] { FillPreviewSelector(); });
    m_previewSelector->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    main->InsertControl(m_previewSelector, kPreviewSelector, 145, 200);

    addToolBarBreak(Qt::TopToolBarArea);
    CToolBarEx* html =
        addBar(kHtmlToolBar, QStringLiteral("HTML Tags Toolbar"), Qt::TopToolBarArea);
    for (const char* tag : kHtmlButtons) {
        const QString text = QString::fromLatin1(tag);
        auto* action = new QAction(
            text.section(QLatin1Char(' '), 0, 0).remove(QLatin1Char('>')) + QLatin1Char('>'), this);
        action->setObjectName(text);
        action->setToolTip(text);
        // A tag with an Insert command runs it (FONT, IMG, A HREF and TABLE ask in a dialog).
        connect(action, &QAction::triggered, this, [this, text, id = InsertCommandForTag(text)] {
            InsertIntoActiveView([&](CEdView& view) {
                if (id != 0)
                    RunInsertCommand(id, view, m_prompts);
                else
                    view.InsertHtmlTag(text, QApplication::keyboardModifiers() & Qt::ShiftModifier);
            });
        });
        html->AddButton(action);
    }
    CToolBarEx* script =
        addBar(kScriptToolBar, QStringLiteral("Script Functions Toolbar"), Qt::LeftToolBarArea);
    for (const char* name : kScriptButtons) {
        const QString text = QString::fromLatin1(name);
        // "&&" shows the ampersand instead of making a mnemonic of it.
        auto* action =
            new QAction(QString(text).replace(QLatin1Char('&'), QStringLiteral("&&")), this);
        action->setObjectName(text);
        connect(action, &QAction::triggered, this, [this, text] {
            InsertIntoActiveView([&](CEdView& view) { view.InsertFunctionName(text); });
        });
        script->AddButton(action);
    }

    const std::pair<int, int> toggles[] = {
        {kMainToolBar, kMainToolBar}, {32809, kHtmlToolBar}, {32810, kScriptToolBar}};
    for (const auto& [commandId, barId] : toggles) {
        QAction* toggle = m_toolBars[barId]->toggleViewAction();
        QAction* command = Command(commandId);
        command->setCheckable(true);
        command->setChecked(true);
        connect(command, &QAction::triggered, toggle, &QAction::trigger);
        connect(m_toolBars[barId], &QToolBar::visibilityChanged, command, &QAction::setChecked);
    }
}

void CMainFrame::CreateToolWindows() {
    m_scriptFunc = new CScriptFuncWnd(m_app.ScriptFunctions(), m_app.MathFunctions(), this);
    m_htmlTags = new CHtmlTagsDlg(this);
    PlaceWindows();
    connect(m_scriptFunc, &CToolListWnd::Chosen, this, [this](const QString& name) {
        InsertIntoActiveView([&](CEdView& view) { view.InsertFunctionName(name); });
    });
    connect(m_htmlTags, &CToolListWnd::Chosen, this, [this](const QString& tag) {
        InsertIntoActiveView([&](CEdView& view) {
            view.InsertHtmlTag(tag, QApplication::keyboardModifiers() & Qt::ShiftModifier);
        });
    });
    const std::pair<int, CToolListWnd*> toggles[] = {{32853, m_scriptFunc}, {32854, m_htmlTags}};
    for (const auto& [id, window] : toggles) {
        CToolListWnd* tool = window;
        connect(Command(id), &QAction::triggered, this, [this, tool] { ToggleToolWindow(tool); });
        connect(tool, &CToolListWnd::Closed, this, [this, tool, id = id] {
            m_showCodes[tool] = kShowHidden;
            Command(id)->setChecked(false);
        });
        Command(id)->setChecked(m_showCodes[tool] != kShowHidden);
    }
}

// The frame and the tool windows beside it, each whole on the screen.
void CMainFrame::PlaceWindows() {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const CWindowPlace area{screen.x(), screen.y(), screen.width(), screen.height()};
    const int toolWidth =
        std::max({120, m_scriptFunc->OuterMinimumWidth(), m_htmlTags->OuterMinimumWidth()});
    const CWindowPlace frame = KeptInside(ReadFramePlace(m_settings, area, toolWidth + 4), area);
    PlaceOuter(this, {frame.left, frame.top, frame.width, frame.height});
    // One width for both, so the two stand as one column.
    PlaceToolWindow(m_scriptFunc, "sf", toolWidth, frame, area);
    PlaceToolWindow(m_htmlTags, "ht", toolWidth, frame, area);
}

void CMainFrame::PlaceToolWindow(CToolListWnd* window, const char* prefix, int minWidth,
                                 const CWindowPlace& frame, const CWindowPlace& area) {
    const CToolPlace tool = ReadToolPlace(m_settings, prefix, frame, minWidth);
    const CWindowPlace place = KeptInside(tool.place, area);
    PlaceOuter(window, {place.left, place.top, place.width, place.height});
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    m_showCodes[window] = tool.showCode;
}

// The open documents after Cascade and Tile, in the order they were opened: "&1 name" to "&9 name",
// then numbers without a mnemonic. The active one is checked.
void CMainFrame::FillWindowMenu() {
    for (QAction* entry : m_windowEntries)
        delete entry;
    m_windowEntries.clear();
    const QList<QMdiSubWindow*> children = m_mdi->subWindowList();
    if (!children.isEmpty()) m_windowEntries.append(m_windowMenu->addSeparator());
    for (qsizetype i = 0; i < children.size(); ++i) {
        QMdiSubWindow* child = children[i];
        auto* view = qobject_cast<CEdView*>(child->widget());
        if (view == nullptr) continue;
        const QString name = view->Title().replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* entry = m_windowMenu->addAction(
            (i < 9 ? QStringLiteral("&%1 %2") : QStringLiteral("%1 %2")).arg(i + 1).arg(name));
        entry->setCheckable(true);
        entry->setChecked(child == m_mdi->activeSubWindow());
        connect(entry, &QAction::triggered, this,
                [this, child = QPointer<QMdiSubWindow>(child), view = QPointer<CEdView>(view)] {
                    if (child.isNull() || view.isNull()) return;
                    m_mdi->setActiveSubWindow(child);
                    FocusView(view);
                });
        m_windowEntries.append(entry);
    }
}

// A tool window is a window of its own: the view's focus counts only once the frame is the
// active window again, or what is typed next goes to the tool window.
void CMainFrame::FocusView(CEdView* view) {
    activateWindow();
    view->setFocus();
}

void CMainFrame::InsertIntoActiveView(const std::function<void(CEdView&)>& insert) {
    if (CEdView* view = ActiveView()) {
        insert(*view);
        FocusView(view);
    }
}

int CMainFrame::ShowCode(const CToolListWnd* window) const {
    const auto found = m_showCodes.find(window);
    return found == m_showCodes.end() ? kShowHidden : found->second;
}

void CMainFrame::ToggleToolWindow(CToolListWnd* window) {
    m_showCodes[window] = ShowCode(window) == kShowHidden ? kShowNoActivate : kShowHidden;
    Command(window == m_scriptFunc ? 32853 : 32854)->setChecked(ShowCode(window) != kShowHidden);
    if (IsEditorViewActive()) window->setVisible(ShowCode(window) != kShowHidden);
}

void CMainFrame::UpdateToolWindows() {
    if (!m_bStarted) return;
    const bool active = IsEditorViewActive();
    for (CToolListWnd* window :
         {static_cast<CToolListWnd*>(m_scriptFunc), static_cast<CToolListWnd*>(m_htmlTags)})
        window->setVisible(active && ShowCode(window) != kShowHidden);
}

void CMainFrame::UpdateCommands() {
    const bool active = IsEditorViewActive();
    for (int id : {kPreviewSelector,
                   32857,
                   32858,
                   57602,
                   57603,
                   57604,
                   57643,
                   57635,
                   57634,
                   57642,
                   32783,
                   32788,
                   32790,
                   32791,
                   32793,
                   57650,
                   57651,
                   57607,
                   57609,
                   57636,
                   57638,
                   57639})
        Command(id)->setEnabled(active);
    for (const InsertCommand& command : InsertCommands())
        Command(command.id)->setEnabled(active);
    UpdatePasteCommand();
    m_previewSelector->setEnabled(active);
    m_insertMenu->menuAction()->setVisible(active);
    m_editMenu->menuAction()->setVisible(active);
    m_windowMenu->menuAction()->setVisible(active);
    Command(32800)->setText(active ? QStringLiteral("Runtime &Encode Script")
                                   : QStringLiteral("Run-time encode"));
    if (!active) m_linePane->clear();
}

void CMainFrame::UpdatePasteCommand() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    Command(57637)->setEnabled(IsEditorViewActive() && data != nullptr && data->hasText());
}

void CMainFrame::SetStarted() {
    m_bStarted = true;
    UpdateToolWindows();
}

bool CMainFrame::IsEditorViewActive() const {
    const auto* child = qobject_cast<const CChildFrame*>(m_mdi->activeSubWindow());
    return ActiveView() != nullptr && child != nullptr && !child->IsPrintPreview();
}

CEdView* CMainFrame::ActiveView() const {
    QMdiSubWindow* child = m_mdi->activeSubWindow();
    return child == nullptr ? nullptr : qobject_cast<CEdView*>(child->widget());
}

// The active document's name follows the program's; a maximised child window shows it in the
// caption itself (as "[name]"), so the frame then shows the program's name alone.
void CMainFrame::UpdateCaption() {
    const QMdiSubWindow* child = m_mdi->activeSubWindow();
    const CEdView* view = ActiveView();
    if (child != nullptr && view != nullptr && !child->isMaximized())
        setWindowTitle(QStringLiteral("Tolvane - ") + view->Title());
    else
        setWindowTitle(QStringLiteral("Tolvane"));
}

CEdView* CMainFrame::AddView(CEdView* view) {
    auto* child = new CChildFrame;
    child->setWidget(view);
    m_mdi->addSubWindow(child);
    connect(child, &CChildFrame::PrintPreviewChanged, this, [this] {
        UpdateCommands();
        UpdateToolWindows();
    });
    child->setAttribute(Qt::WA_DeleteOnClose);
    child->setWindowTitle(view->Title() + QStringLiteral("[*]"));
    connect(child, &QMdiSubWindow::windowStateChanged, this, &CMainFrame::UpdateCaption);
    connect(view->document(), &QTextDocument::modificationChanged, child,
            &QWidget::setWindowModified);
    connect(view, &CEdView::LineTextChanged, m_linePane, &QLabel::setText);
    connect(view, &CEdView::StatusMessage, this,
            [this](const QString& text) { statusBar()->showMessage(text); });
    child->installEventFilter(this);
    if (EdSetting(m_settings, "maximizeclient", 1) != 0)
        child->showMaximized();
    else
        child->show();
    m_mdi->setActiveSubWindow(child);
    view->setFocus();
    view->UpdateLineIndicator();
    UpdateCommands();
    UpdateToolWindows();
    return view;
}

CEdView* CMainFrame::NewDocument() {
    auto* view = new CEdView(m_settings, m_prompts);
    view->SetUntitledName(QStringLiteral("Script%1").arg(++m_nUntitled));
    return AddView(view);
}

CEdView* CMainFrame::OpenDocument(const QString& path) {
    const QString full = QFileInfo(path).absoluteFilePath();
    for (QMdiSubWindow* child : m_mdi->subWindowList()) {
        auto* view = qobject_cast<CEdView*>(child->widget());
        if (view != nullptr && QString::fromStdString(view->Doc().Path()) == full) {
            m_mdi->setActiveSubWindow(child);
            return view;
        }
    }
    auto view = std::make_unique<CEdView>(m_settings, m_prompts);
    if (view->Doc().Open(full.toStdString()) == 0) {
        m_prompts.MessageBox(this, QString::fromStdString(view->Doc().m_strMessage),
                             IEdPrompts::Icon::kStop);
        return nullptr;
    }
    view->ShowDocument();
    AddRecentFile(full);
    return AddView(view.release());
}

void CMainFrame::OnFileOpen() {
    if (const std::optional<QString> path = m_prompts.ChooseFile(this, kScriptFileFilter, false))
        OpenDocument(*path);
}

bool CMainFrame::SaveDocument(CEdView* view, bool saveAs) {
    if (view == nullptr) return false;
    QString path = QString::fromStdString(view->Doc().Path());
    if (saveAs || path.isEmpty()) {
        const QString proposed =
            path.isEmpty() ? ChosenSaveName(view->Title(), kScriptFilter) : path;
        const std::optional<IEdPrompts::SaveChoice> chosen =
            m_prompts.ChooseSaveFile(this, kScriptFileFilter, proposed);
        if (!chosen) return false;
        path = QFileInfo(ChosenSaveName(chosen->path, chosen->filter)).absoluteFilePath();
    }
    if (view->Doc().Save(path.toStdString(), view->WholeText()) == 0) {
        m_prompts.MessageBox(this, QString::fromStdString(view->Doc().m_strMessage),
                             IEdPrompts::Icon::kStop);
        return false;
    }
    view->document()->setModified(false);
    if (auto* child = qobject_cast<QMdiSubWindow*>(view->parentWidget()))
        child->setWindowTitle(view->Title() + QStringLiteral("[*]"));
    UpdateCaption();
    AddRecentFile(path);
    return true;
}

void CMainFrame::AddRecentFile(const QString& path) {
    QStringList files{path};
    for (int i = 0; i < kRecentFiles; ++i) {
        const QString file =
            QString::fromStdString(m_settings.GetString(kRecentSection, RecentKey(i), ""));
        if (!file.isEmpty() && file != path) files.append(file);
    }
    for (int i = 0; i < kRecentFiles && i < files.size(); ++i)
        m_settings.WriteString(kRecentSection, RecentKey(i), files[i].toStdString());
    FillRecentFiles();
}

void CMainFrame::FillRecentFiles() {
    m_recentMenu->clear();
    for (int i = 0; i < kRecentFiles; ++i) {
        const QString file =
            QString::fromStdString(m_settings.GetString(kRecentSection, RecentKey(i), ""));
        if (file.isEmpty()) continue;
        QAction* action = m_recentMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(file));
        action->setObjectName(QString::number(57616 + i));
        connect(action, &QAction::triggered, this, [this, file] { OpenDocument(file); });
    }
    m_recentMenu->setEnabled(!m_recentMenu->isEmpty());
}

bool CMainFrame::OpenCommandLine(const QStringList& files) {
    if (files.isEmpty()) return NewDocument() != nullptr;
    bool ok = true;
    for (const QString& file : files)
        ok = OpenDocument(file) != nullptr && ok;
    return ok;
}

bool CMainFrame::Start(const QStringList& files) {
    // Shown first: a child window maximised in a frame not yet shown draws its own title bar and
    // leaves the frame's caption without the document's name.
    show();
    const bool opened = OpenCommandLine(files);
    SetStarted();
    return opened || files.size() != 1;
}

void CMainFrame::OnToolsWizard() {
    std::string program = m_programDir + "/kestrel";
    if (m_programDir.empty() || ::access(program.c_str(), X_OK) != 0) program = "kestrel";
    if (m_launcher.Launch(LaunchCommand{program, {}, {}}) == 0)
        m_prompts.MessageBox(this, QStringLiteral("Unable to run utility."),
                             IEdPrompts::Icon::kStop);
}

void CMainFrame::OnOptions() {
    CSettingsDlg dialog(ReadEdOptions(m_settings), this);
    if (dialog.exec() != QDialog::Accepted) return;
    std::string error;
    if (!WriteEdOptions(m_settings, dialog.Options(), &error))
        m_prompts.MessageBox(this, QString::fromStdString(error), IEdPrompts::Icon::kStop);
}

void CMainFrame::EncodeRuntimeScript() {
    CEncodeScriptDlg dialog(ReadEncodePaths(m_settings), m_prompts, this);
    if (dialog.exec() != QDialog::Accepted) return;
    const CEncodePaths paths = dialog.Paths();
    WriteEncodePaths(m_settings, paths, nullptr);
    CEncodeCommand command;
    command.Encode(paths.input, paths.output);
    m_prompts.MessageBox(this, QString::fromStdString(command.m_strMessage),
                         IEdPrompts::Icon::kNone);
}

void CMainFrame::OnAbout() {
    m_prompts.MessageBox(this, QStringLiteral("Tolvane Version 2.0.2"),
                         IEdPrompts::Icon::kInformation, QStringLiteral("About Tolvane"));
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    auto* child = qobject_cast<QMdiSubWindow*>(watched);
    if (event->type() != QEvent::Close || child == nullptr) return false;
    auto* view = qobject_cast<CEdView*>(child->widget());
    if (view == nullptr || !view->document()->isModified()) return false;
    switch (m_prompts.AskSaveChanges(this, view->Title())) {
        case IEdPrompts::SaveAnswer::kSave:
            if (SaveDocument(view, false)) return false;
            break;
        case IEdPrompts::SaveAnswer::kDiscard:
            return false;
        case IEdPrompts::SaveAnswer::kCancel:
            break;
    }
    event->ignore();
    return true;
}

void CMainFrame::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    const QPoint now = pos();
    if (m_lastPos != QPoint(-1, -1) && m_scriptFunc != nullptr) {
        const QPoint offset = now - m_lastPos;
        for (QWidget* window :
             {static_cast<QWidget*>(m_scriptFunc), static_cast<QWidget*>(m_htmlTags)})
            window->move(window->pos() + offset);
    }
    m_lastPos = now;
}

bool CMainFrame::SaveAllModified() {
    for (QMdiSubWindow* child : m_mdi->subWindowList()) {
        auto* view = qobject_cast<CEdView*>(child->widget());
        if (view == nullptr || !view->document()->isModified()) continue;
        switch (m_prompts.AskSaveChanges(this, view->Title())) {
            case IEdPrompts::SaveAnswer::kCancel:
                return false;
            case IEdPrompts::SaveAnswer::kSave:
                if (!SaveDocument(view, false)) return false;
                break;
            case IEdPrompts::SaveAnswer::kDiscard:
                view->document()->setModified(false);
                break;
        }
    }
    return true;
}

void CMainFrame::SavePlacement() {
    const QSize outer = frameGeometry().size();
    WriteFramePlace(m_settings, {x(), y(), outer.width(), outer.height()}, nullptr);
    const std::pair<const char*, CToolListWnd*> tools[] = {{"sf", m_scriptFunc},
                                                           {"ht", m_htmlTags}};
    for (const auto& [prefix, window] : tools) {
        const QSize size = window->frameGeometry().size();
        WriteToolPlace(m_settings, prefix,
                       {{window->x(), window->y(), size.width(), size.height()}, ShowCode(window)},
                       nullptr);
    }
    SaveBarState(*this, m_settings, kToolbarSection);
}

void CMainFrame::FillPreviewSelector() {
    m_previewSelector->clear();
    if (!IsEditorViewActive()) return;
    for (const std::string& statement : CollectStatements(ActiveView()->WholeText(), "&html"))
        m_previewSelector->addItem(FromBytes(TextBetweenQuotes(statement)));
}

bool CMainFrame::BuildPreview(bool browser) {
    if (!IsEditorViewActive()) return true;
    if (m_previewSelector->currentIndex() < 0) return false;
    CPreviewExtractor extractor;
    if (!extractor.BuildPage(ActiveView()->WholeText(),
                             ToBytes(m_previewSelector->currentText()))) {
        m_previewSelector->clear();
        m_prompts.MessageBox(
            this, QStringLiteral("Error- &html page or subroutine could not be found in script."),
            IEdPrompts::Icon::kExclamation);
        return true;
    }
    const std::string project = m_settings.GetString("global", "defprofile", "default");
    std::error_code error;
    const std::string directory =
        PreviewDirectory(std::filesystem::current_path(error).string(), m_programDir, project,
                         m_settings.GetString(project, "roothtml", "html"));
    const bool refreshing = AutoRefreshMode(m_settings) == 1;
    const std::string file =
        m_preview.Write(directory, extractor.Output().GetWrittenText(), refreshing);
    if (file.empty() || !browser) return true;
    const LaunchCommand command =
        BrowserCommandIn(m_programDir, m_settings.GetString("global", "webb", ""), file);
    if (m_launcher.Launch(command) == 0)
        m_prompts.MessageBox(
            this,
            QStringLiteral("Error- web browser could not be run. Check Quarn program settings."),
            IEdPrompts::Icon::kStop);
    m_bBrowserStarted = true;
    return true;
}

void CMainFrame::OnPreviewTimer() {
    if (AutoRefreshMode(m_settings) == 1) BuildPreview(false);
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || isActiveWindow()) return;
    if (AutoRefreshMode(m_settings) == 2 && !m_bBrowserStarted) BuildPreview(false);
    m_bBrowserStarted = false;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!SaveAllModified()) {
        event->ignore();
        return;
    }
    m_previewSelector->clear();
    if (!isMinimized()) SavePlacement();
    m_mdi->closeAllSubWindows();
    m_scriptFunc->hide();
    m_htmlTags->hide();
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) OpenDocument(url.toLocalFile());
    }
}
