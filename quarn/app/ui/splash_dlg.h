#pragma once
// The window shown for the first seconds of a run: the program title on a picture, no caption,
// above other windows, 400 x 273 pixels.

#include <QWidget>

class CSplashDlg : public QWidget {
    Q_OBJECT
public:
    explicit CSplashDlg(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};
