#pragma once
// The upload's progress window: a bar and, in the caption, what is being sent. Cancel (and Esc)
// set the cancel flag and leave the window open; the upload ends and closes it. Enter does
// nothing.

#include <QDialog>

class QProgressBar;

class CProgressDlg : public QDialog {
    Q_OBJECT
public:
    explicit CProgressDlg(QWidget* parent);

    // Bar position 0-100 and the caption.
    void SetProgress(int position, const QString& caption);
    int Position() const;

protected:
    void reject() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QProgressBar* m_bar;
};
