#pragma once
// The child window of one editing view, with the flag that says a print preview of its view is
// showing: the main frame then counts it as having no editor view. GUI thread only.

#include <QMdiSubWindow>

class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    using QMdiSubWindow::QMdiSubWindow;

    bool IsPrintPreview() const { return m_bPrintPreview; }
    void SetPrintPreview(bool on);

signals:
    void PrintPreviewChanged();

private:
    bool m_bPrintPreview = false;
};
