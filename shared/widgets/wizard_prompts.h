#pragma once
// IWizardPrompts: the questions a wizard asks outside its pages (message boxes, the open-file
// dialog, the driver dialog), so that tests answer them. All on the GUI thread.

#include <QString>
#include <QStringList>
#include <optional>

#include "shared/widgets/driver_dlg.h"

class QWidget;

class IWizardPrompts {
public:
    virtual ~IWizardPrompts() = default;
    // A modal message box with the stop icon and OK, captioned with the program's name.
    virtual void StopMessage(QWidget* owner, const QString& text) = 0;
    // A modal message box with OK and no icon, captioned with the program's name.
    virtual void PlainMessage(QWidget* owner, const QString& text) = 0;
    // The full path chosen in an open-file dialog with `filter` (Qt's filter syntax), starting in
    // the current directory and leaving it unchanged; nullopt after Cancel.
    virtual std::optional<QString> OpenFile(QWidget* owner, const QString& filter) = 0;
    // The driver chosen in the driver dialog listing `drivers`; nullopt after Cancel.
    virtual std::optional<QString> ChooseDriver(QWidget* owner, const QStringList& drivers) = 0;
};

// The platform's dialogs and CDriverDlg, in one program's look.
class CQtWizardPrompts : public IWizardPrompts {
public:
    CQtWizardPrompts(QString caption, const DriverDialogLook& driverDialog)
        : m_strCaption(std::move(caption)), m_driverDialog(driverDialog) {}
    void StopMessage(QWidget* owner, const QString& text) override;
    void PlainMessage(QWidget* owner, const QString& text) override;
    std::optional<QString> OpenFile(QWidget* owner, const QString& filter) override;
    std::optional<QString> ChooseDriver(QWidget* owner, const QStringList& drivers) override;

private:
    QString m_strCaption;
    const DriverDialogLook& m_driverDialog;
};
