#pragma once
// IInsertPickers: the "Database" and "User Variable" buttons of the insert dialogs, which ask in a
// dialog of their own for a field or a variable reference to put into an edit. GUI thread only.

#include <optional>
#include <string>

class QWidget;

class IInsertPickers {
public:
    virtual ~IInsertPickers() = default;
    // The chosen field as a reference ("?" field, its index in brackets when it is not taken from
    // the current recordset, "?"); nullopt after Cancel.
    virtual std::optional<std::string> PickDatabaseField(QWidget* owner) = 0;
    // The chosen variable, its name between question marks; nullopt after Cancel.
    virtual std::optional<std::string> PickUserVariable(QWidget* owner) = 0;
};
