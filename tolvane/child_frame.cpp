#include "tolvane/child_frame.h"

void CChildFrame::SetPrintPreview(bool on) {
    if (m_bPrintPreview == on) return;
    m_bPrintPreview = on;
    emit PrintPreviewChanged();
}
