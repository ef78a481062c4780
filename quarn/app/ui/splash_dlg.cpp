#include "quarn/app/ui/splash_dlg.h"

#include <QLinearGradient>
#include <QPainter>

#include "quarn/services/program_context.h"
#include "shared/widgets/ui_text.h"

CSplashDlg::CSplashDlg(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName("143");
    setFixedSize(400, 273);
}

void CSplashDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QLinearGradient sky(0, 0, 0, height());
    sky.setColorAt(0, QColor(0x1d, 0x4e, 0x89));
    sky.setColorAt(1, QColor(0x6f, 0xa8, 0xdc));
    painter.fillRect(rect(), sky);
    painter.setPen(Qt::white);
    QFont title = font();
    title.setPointSize(26);
    title.setBold(true);
    painter.setFont(title);
    painter.drawText(rect().adjusted(0, 0, 0, -40), Qt::AlignCenter,
                     FromBytes(g_strProgramTitle.Get()));
    QFont small = font();
    small.setPointSize(10);
    painter.setFont(small);
    painter.drawText(rect().adjusted(0, 0, 0, -24), Qt::AlignHCenter | Qt::AlignBottom,
                     "Database web sites, built and published");
}
