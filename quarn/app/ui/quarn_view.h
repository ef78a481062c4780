#pragma once
// The message log: the newest status lines of the jobs, top-aligned, wrapped to the width. Lines
// that no longer fit the height are dropped for good, oldest first, and at most kMaxLines are
// kept. Esc sets the cancel flag, which ends a running script or upload.

#include <QStringList>
#include <QWidget>

class CQuarnView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxLines = 100;

    explicit CQuarnView(QWidget* parent = nullptr);

    void AddLine(const QString& text);
    void Clear();
    const QStringList& Lines() const { return m_lines; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QRect TextRect() const;
    // Drops the oldest lines until the rest fit TextRect (one line always stays).
    void DropLinesThatDoNotFit();

    QStringList m_lines;
};
