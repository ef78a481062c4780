#include "tolvane/insert_commands.h"

#include <QApplication>
#include <QMenu>
#include <algorithm>
#include <optional>
#include <string>

#include "shared/odbc_info.h"
#include "shared/widgets/ui_text.h"
#include "tolvane/decision_wiz.h"
#include "tolvane/ed_prompts.h"
#include "tolvane/edit_view.h"
#include "tolvane/html_tag_dlgs.h"
#include "tolvane/html_tag_text.h"
#include "tolvane/insert_data_dlgs.h"
#include "tolvane/insert_other_dlgs.h"
#include "tolvane/insert_pickers.h"
#include "tolvane/onetomany_wiz.h"

namespace {

using Menu = InsertCommand::Menu;

constexpr InsertCommand kCommands[] = {
    {32771, "Database &Connection", "Alt+C", "Insert database connection", Menu::kInsert, false},
    {32772, "Rec&ordset", "Alt+O", "Insert database recordset", Menu::kInsert, false},
    {32834, "\"One To &Many\" Recordset", "Alt+M", "Insert \"one to many\" database recordset",
     Menu::kInsert, false},
    {32773, "Database &Data", "Alt+D", "Insert database data", Menu::kInsert, false},
    {32849, "New &User Variable", "Alt+U", "Insert user variable definition", Menu::kInsert, true},
    {32851, "Data Assig&n", "Alt+N", "Insert data assign", Menu::kInsert, false},
    {32847, "Varia&ble Data", "Alt+B", "Insert variable data", Menu::kInsert, false},
    {32844, "D&ata Decision", "Alt+A", "Insert data decision", Menu::kInsert, false},
    {32806, "Def&sub Function", "Alt+S", "Insert new subroutine", Menu::kInsert, true},
    {32807, "&Gosub Function", "Alt+G", "Insert gosub function", Menu::kInsert, false},
    {32787, "HTML &Page", "Alt+L", "Insert new HTML page", Menu::kInsert, true},
    {32798, "E-Ma&il", "Alt+Q", "Insert e-mail", Menu::kInsert, false},
    {32774, "<HTML>", "", nullptr, Menu::kHtml, false},
    {32775, "<HEAD>", "", nullptr, Menu::kHtml, false},
    {32786, "<TITLE>", "", nullptr, Menu::kHtml, false},
    {32776, "<BODY>", "", nullptr, Menu::kHtml, false},
    {32778, "<FONT>", "", nullptr, Menu::kHtml, true},
    {32824, "<B>", "", nullptr, Menu::kHtml, false},
    {32825, "<I>", "", nullptr, Menu::kHtml, false},
    {32782, "<P>", "", nullptr, Menu::kHtml, false},
    {32781, "<BR>", "", nullptr, Menu::kHtml, false},
    {32823, "<HR>", "", nullptr, Menu::kHtml, false},
    {32819, "<CENTER>", "", nullptr, Menu::kHtml, false},
    {32784, "<IMG SRC=\"\">", "", nullptr, Menu::kHtml, true},
    {32785, "<A HREF=\"\">", "", nullptr, Menu::kHtml, false},
    {32777, "<TABLE>", "", nullptr, Menu::kHtml, true},
    {32820, "<OL>", "", nullptr, Menu::kHtml, false},
    {32821, "<UL>", "", nullptr, Menu::kHtml, false},
    {32822, "<LI>", "", nullptr, Menu::kHtml, false},
    {32797, "&Process HTML", "", "Process selected text as HTML", Menu::kTools, true},
};

// The status-bar prompt of `command`.
QString InsertCommandPrompt(const InsertCommand& command) {
    return QString::fromUtf8(command.prompt != nullptr ? command.prompt
                                                       : HtmlTagPrompt(command.text).c_str());
}

}  // namespace

std::span<const InsertCommand> InsertCommands() {
    return kCommands;
}

int InsertCommandForTag(const QString& tag) {
    for (const InsertCommand& command : kCommands)
        if (command.menu == Menu::kHtml && tag == QLatin1String(command.text)) return command.id;
    return 0;
}

void AddInsertCommands(QMenu* insert, QMenu* tools,
                       const std::function<QAction*(QMenu*, const InsertCommand&)>& add) {
    QMenu* html = nullptr;
    for (const InsertCommand& command : kCommands) {
        QMenu* menu = command.menu == Menu::kTools ? tools : insert;
        if (command.menu == Menu::kHtml) {
            if (html == nullptr) {
                insert->addSeparator();
                html = insert->addMenu(QStringLiteral("&HTML"));
            }
            menu = html;
        }
        if (command.separatorBefore && !menu->isEmpty()) menu->addSeparator();
        QAction* action = add(menu, command);
        action->setStatusTip(InsertCommandPrompt(command));
    }
}

void RunInsertCommand(int id, CEdView& view, IEdPrompts& edPrompts) {
    const auto* command = std::find_if(std::begin(kCommands), std::end(kCommands),
                                       [id](const InsertCommand& c) { return c.id == id; });
    if (command == std::end(kCommands)) return;
    const bool shift = QApplication::keyboardModifiers().testFlag(Qt::ShiftModifier);
    const InsertContext ctx = view.MakeInsertContext();
    CEdWizardPrompts prompts(edPrompts);
    COdbcInfo catalog;
    InsertServices services{view.Memory(), catalog, prompts};
    CDialogPickers pickers(ctx, services);
    std::optional<InsertResult> result;
    std::optional<std::string> tag;
    switch (id) {
        case 32771:
            result = InsertDataSource(&view, ctx, services);
            break;
        case 32772:
            result = InsertRecordset(&view, ctx, services);
            break;
        case 32834:
            result = RunOneToManyWizard(&view, ctx, services);
            break;
        case 32773:
            result = InsertDatabaseData(&view, ctx, services);
            break;
        case 32849:
            result = InsertUserVariable(&view, ctx);
            break;
        case 32851:
            result = InsertDataAssign(&view, ctx, services);
            break;
        case 32847:
            result = InsertVariableData(&view, ctx, prompts);
            break;
        case 32844:
            result = RunDataDecisionWizard(&view, ctx, services, pickers);
            break;
        case 32806:
            result = InsertDefsub(&view, ctx);
            break;
        case 32807:
            result = InsertGosub(&view, ctx, prompts);
            break;
        case 32787:
            result = InsertHtmlPage(&view, ctx, services);
            break;
        case 32798:
            result = InsertEmail(&view, ctx, services);
            break;
        case 32797:
            ProcessHtmlSelection(&view, ctx, prompts, [&view](const InsertResult& processed) {
                view.ApplyInsert(processed);
            });
            break;
        case 32778:
            tag = RunFontTagCommand(&view, shift);
            break;
        case 32784:
            tag = RunImageTagCommand(&view);
            break;
        case 32785:
            tag = RunHyperlinkCommand(&view, shift, ctx);
            break;
        case 32777:
            result = RunTableCommand(&view, ctx);
            break;
        default:
            for (const HtmlTagCommand& plain : PlainHtmlTagCommands())
                if (plain.id == id) tag = std::string(plain.tag);
            break;
    }
    if (tag) view.InsertHtmlTag(FromBytes(*tag), shift);
    if (result) view.ApplyInsert(*result);
    view.setFocus();
}
