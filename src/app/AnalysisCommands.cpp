#include "app/AnalysisCommands.h"

#include "app/CommandDispatcher.h"
#include "app/CommandTable.h"
#include "app/HistogramDialog.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "app/OperationRunner.h"
#include "ops/ColorCount.h"
#include "ops/Histogram.h"

void CAnalysisCommands::registerWith(CCommandDispatcher& commands, CMainWindow& w)
{
    auto ready = [&w] { return w.imageReady(); };

    // The count is shown while the wait cursor is still up, before "  Done";
    // the image is only read, so nothing is saved for Undo.
    commands.add(
        ID_COUNT_COLORS,
        [&w] {
            QWidget* parent = &w;
            w.m_Operations->run(ID_COUNT_COLORS, [parent](CEditBmp& doc) {
                const int64_t count = CountColours(doc.image());
                MessageBox::Information(parent, QString::fromStdString(ColourCountMessage(count)));
                return false;
            });
        },
        ready);

    // The dialog opens after "  Done", with no bars when the image has too
    // many colours or the count failed.
    commands.add(
        ID_HISTOGRAM,
        [&w] {
            LevelHistogram histogram;
            w.m_Operations->run(ID_HISTOGRAM, [&histogram](CEditBmp& doc) {
                ComputeLevelHistogram(doc.image(), histogram);
                return false;
            });
            CHistogramDialog dialog(histogram, &w);
            dialog.exec();
        },
        ready);
}
