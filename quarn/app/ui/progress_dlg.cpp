#include "quarn/app/ui/progress_dlg.h"

#include <QKeyEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "quarn/services/program_context.h"

CProgressDlg::CProgressDlg(QWidget* parent) : QDialog(parent), m_bar(new QProgressBar(this)) {
    setObjectName("160");
    setWindowTitle("Uploading");
    m_bar->setObjectName("1028");
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setMinimumWidth(320);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("2");
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &CProgressDlg::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_bar);
    layout->addWidget(cancel, 0, Qt::AlignHCenter);
}

void CProgressDlg::SetProgress(int position, const QString& caption) {
    m_bar->setValue(position);
    setWindowTitle(caption);
}

int CProgressDlg::Position() const {
    return m_bar->value();
}

void CProgressDlg::reject() {
    g_bCancelRequested = true;
}

void CProgressDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) return;
    QDialog::keyPressEvent(event);
}
