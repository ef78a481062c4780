#pragma once
// Printing of the editing view: Print (the print dialog, then the printer), Print Preview (its
// child frame flagged as previewing while the preview shows) and Print Setup (the page setup
// dialog). One printer, made on first use and kept for the frame's life, serves all three, so a
// setup holds for the next print. GUI thread only; the prompts outlive the command.

#include <QPageLayout>
#include <memory>

class CChildFrame;
class IEdPrompts;
class QPlainTextEdit;
class QPrinter;
class QWidget;

class CPrintCommand {
public:
    explicit CPrintCommand(IEdPrompts& prompts);
    ~CPrintCommand();

    // Prints the whole text of `view` on `printer`, the pages of its range (all when none is
    // set): the view's font and TAB stops, margins of 720 twips on every side, lines too long for
    // the paper wrapped. False when the printer could not be started or a page not begun.
    static bool PrintView(const QPlainTextEdit& view, QPrinter& printer);

    void OnFilePrint(const QPlainTextEdit& view, QWidget* owner);
    void OnFilePrintPreview(const QPlainTextEdit& view, CChildFrame& child, QWidget* owner);
    void OnFilePrintSetup(QWidget* owner);
    QPrinter& Printer();

private:
    // Prints and says so when it fails.
    void Print(const QPlainTextEdit& view, QPrinter& printer, QWidget* owner);

    IEdPrompts& m_prompts;
    std::unique_ptr<QPrinter> m_printer;
};
