// Typing into a 5 MiB script in tolvane's editing view, one Qt Test key event at a time with the
// repaint each key causes: prints the time per key against one frame (16 ms). Not asserted.

#include <QApplication>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/tolvane_script_text.h"
#include "platform/profile_file.h"
#include "tests/fixtures/temp_dir.h"
#include "tolvane/ed_prompts.h"
#include "tolvane/edit_view.h"

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    fixtures::TempDir dir("tolvane_typing");
    platform::ProfileFile settings(dir.File("Quarn.ini"));
    CQtEdPrompts prompts;
    CEdView view(settings, prompts);
    view.resize(800, 600);
    view.show();
    view.setPlainText(QString::fromStdString(BenchScript(5 * 1024 * 1024)));
    QTextCursor cursor = view.textCursor();
    cursor.setPosition(view.document()->characterCount() / 2);
    view.setTextCursor(cursor);
    QApplication::processEvents();

    // Letters, a line break with auto-tab, and a closing brace, as a person types a block.
    const QString keys = QStringLiteral("&if(?a?==1){\r<P>text</P>\r}\r");
    constexpr int kRounds = 40;
    std::vector<double> ms;
    for (int round = 0; round < kRounds; ++round) {
        for (const QChar key : keys) {
            const auto start = std::chrono::steady_clock::now();
            if (key == QLatin1Char('\r'))
                QTest::keyClick(&view, Qt::Key_Return);
            else
                QTest::keyClicks(&view, QString(key));
            view.repaint();
            QApplication::processEvents();
            ms.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count());
        }
    }
    std::sort(ms.begin(), ms.end());
    double sum = 0;
    for (const double value : ms)
        sum += value;
    const double p99 = ms[ms.size() * 99 / 100];
    std::printf(
        "typing into a 5 MiB script: %zu keys, mean %.3f ms, median %.3f ms, p99 %.3f ms, "
        "max %.3f ms per key; %s one frame (16 ms)\n",
        ms.size(), sum / ms.size(), ms[ms.size() / 2], p99, ms.back(),
        p99 < 16.0 ? "under" : "NOT under");
    return 0;
}
