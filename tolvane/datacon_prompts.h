#pragma once
// IDataconPrompts: the questions the connection wizard asks outside its pages (message boxes, the
// open-file dialog, the driver dialog), so that tests answer them. All on the GUI thread.

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

class IDataconPrompts {
public:
    virtual ~IDataconPrompts() = default;
    // A modal message box with the stop icon and OK, captioned "Tolvane".
    virtual void StopMessage(QWidget* owner, const QString& text) = 0;
    // The full path chosen in an open-file dialog with `filter` (Qt's filter syntax), starting in
    // the current directory and leaving it unchanged; nullopt after Cancel.
    virtual std::optional<QString> OpenFile(QWidget* owner, const QString& filter) = 0;
    // The driver chosen in the driver dialog listing `drivers`; nullopt after Cancel.
    virtual std::optional<QString> ChooseDriver(QWidget* owner, const QStringList& drivers) = 0;
};

// The platform's dialogs and CDriverDlg.
class CQtDataconPrompts : public IDataconPrompts {
public:
    void StopMessage(QWidget* owner, const QString& text) override;
    std::optional<QString> OpenFile(QWidget* owner, const QString& filter) override;
    std::optional<QString> ChooseDriver(QWidget* owner, const QStringList& drivers) override;
};
