#pragma once
// IInsertPickers: the "Database" and "User Variable" buttons of the insert dialogs, which ask in a
// dialog of their own for a field or a variable reference to put into an edit. GUI thread only.

#include <optional>
#include <string>

class QWidget;
struct InsertContext;
struct InsertServices;

class IInsertPickers {
public:
    virtual ~IInsertPickers() = default;
    // The chosen field as a reference ("?" field, its index in brackets when it is not taken from
    // the current recordset, "?"); nullopt after Cancel.
    virtual std::optional<std::string> PickDatabaseField(QWidget* owner) = 0;
    // The chosen variable, its name between question marks; nullopt after Cancel.
    virtual std::optional<std::string> PickUserVariable(QWidget* owner) = 0;
};

// The pickers of the editor: the Insert Database Data dialog without its format button, and the
// Insert Variable dialog, both over the statements of `ctx`. `ctx` and `services` outlive this.
class CDialogPickers : public IInsertPickers {
public:
    CDialogPickers(const InsertContext& ctx, InsertServices& services)
        : m_ctx(ctx), m_services(services) {}
    std::optional<std::string> PickDatabaseField(QWidget* owner) override;
    std::optional<std::string> PickUserVariable(QWidget* owner) override;

private:
    const InsertContext& m_ctx;
    InsertServices& m_services;
};
