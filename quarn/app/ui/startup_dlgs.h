#pragma once
// The two prompts of start-up: the readme prompt (dialog 161) and the notice that quarn runs
// already (dialog 137). Both are modal and short-lived; what their answers do lives in
// quarn/app/readme_offer.

#include <QDialog>

class QCheckBox;
class ILauncher;

class CReadmeDlg : public QDialog {
    Q_OBJECT
public:
    explicit CReadmeDlg(QWidget* parent);
    bool DontShowAgain() const;

private:
    QCheckBox* m_dontShow;
};

class CAlreadyRunningDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAlreadyRunningDlg(QWidget* parent);
};

// Offers the readme when the settings ask for it and carries out the answer.
void OfferReadme(QWidget* owner, ILauncher& launcher);
