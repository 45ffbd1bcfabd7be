#include "app/FilterCommands.h"

#include "app/CommandDispatcher.h"
#include "app/CommandTable.h"
#include "app/MainWindow.h"
#include "app/NormalMapDialog.h"
#include "app/OperationRunner.h"

#include <QRandomGenerator>

void CFilterCommands::registerWith(CCommandDispatcher& commands, CMainWindow& w)
{
    auto readyFor = [&w](int) { return w.imageReady(); };

    // The filters run through the runner like every operation: a failure
    // (out of memory) is a message and leaves the image as it was.
    auto fixed = [&w](int id) {
        COperationRunner::Operation operation;
        switch (id) {
        case ID_FILTER_BLUR: operation = [](CEditBmp& d) { d.blur(); return false; }; break;
        case ID_FILTER_SOFTEN: operation = [](CEditBmp& d) { d.soften(); return false; }; break;
        case ID_FILTER_GAUSSIAN_3X3: operation = [](CEditBmp& d) { d.gaussian3(); return false; }; break;
        case ID_FILTER_GAUSSIAN_5X5: operation = [](CEditBmp& d) { d.gaussian5(); return false; }; break;
        case ID_FILTER_SHARPEN: operation = [](CEditBmp& d) { d.sharpen(); return false; }; break;
        case ID_FILTER_DILATE: operation = [](CEditBmp& d) { d.dilate(); return false; }; break;
        case ID_FILTER_ERODE: operation = [](CEditBmp& d) { d.erode(); return false; }; break;
        case ID_FILTER_FIND_EDGE: operation = [](CEditBmp& d) { d.findEdge(); return false; }; break;
        case ID_FILTER_CONTOUR: operation = [](CEditBmp& d) { d.contour(); return false; }; break;
        case ID_FILTER_MEDIAN: operation = [](CEditBmp& d) { d.median(); return false; }; break;
        case ID_FILTER_EMBOSS: operation = [](CEditBmp& d) { d.emboss(); return false; }; break;
        default: {
            // Fresh noise every time the command runs.
            const uint32_t seed = QRandomGenerator::global()->generate();
            if (id == ID_FILTER_ADD_NOISE)
                operation = [seed](CEditBmp& d) { d.addNoise(seed); return false; };
            else
                operation = [seed](CEditBmp& d) { d.jitter(seed); return false; };
            break;
        }
        }
        w.m_Operations->run(id, operation);
        w.imageChanged();
    };
    commands.add({ID_FILTER_BLUR, ID_FILTER_SOFTEN, ID_FILTER_GAUSSIAN_3X3, ID_FILTER_GAUSSIAN_5X5, ID_FILTER_SHARPEN,
                  ID_FILTER_DILATE, ID_FILTER_ERODE, ID_FILTER_FIND_EDGE, ID_FILTER_CONTOUR, ID_FILTER_ADD_NOISE,
                  ID_FILTER_MEDIAN, ID_FILTER_EMBOSS, ID_FILTER_JITTER},
                 fixed, readyFor);

    commands.add(
        ID_FILTER_NORMAL_MAP,
        [&w] {
            w.m_Operations->runDialog<CNormalMapDialog>(ID_FILTER_NORMAL_MAP);
            w.imageChanged();
        },
        [&w] { return w.imageReady(); });
}
