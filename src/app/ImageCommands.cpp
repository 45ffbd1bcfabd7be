#include "app/ImageCommands.h"

#include "app/BordersDialog.h"
#include "app/CanvasSizeDialog.h"
#include "app/CommandDispatcher.h"
#include "app/CommandTable.h"
#include "app/MainWindow.h"
#include "app/OperationRunner.h"
#include "app/ResizeDialog.h"
#include "app/RotateDialog.h"
#include "app/ShearDialog.h"
#include "view/Preview.h"

namespace {

// The fixed rotations use the middle quality; they are exact and fill nothing.
constexpr int kFixedRotationQuality = 1;

} // namespace

void CImageCommands::registerWith(CCommandDispatcher& commands, CMainWindow& w)
{
    auto ready = [&w] { return w.imageReady(); };
    auto readyFor = [ready](int) { return ready(); };

    commands.add(
        ID_UNDO,
        [&w] {
            w.m_Operations->undo();
            w.imageChanged();
        },
        [&w, ready] { return ready() && w.m_Preview->document().undoAvailable(); });

    // Runs a fixed operation through the runner and brings the window's texts
    // up to date.
    auto fixed = [&w](int id) {
        COperationRunner::Operation operation;
        switch (id) {
        case ID_FLIP_HORIZONTAL: operation = [](CEditBmp& d) { d.flipRows(); return false; }; break;
        case ID_FLIP_VERTICAL: operation = [](CEditBmp& d) { d.flipColumns(); return false; }; break;
        case ID_FLIP_BOTH: operation = [](CEditBmp& d) { d.flipBoth(); return false; }; break;
        case ID_TRANSPOSE: operation = [](CEditBmp& d) { return d.transpose(); }; break;
        default: {
            const int degrees = id == ID_ROTATE_CW ? 90 : id == ID_ROTATE_CCW ? 270 : 180;
            operation = [degrees](CEditBmp& d) { return d.rotate(degrees, kFixedRotationQuality, 0); };
            break;
        }
        }
        w.m_Operations->run(id, operation);
        w.imageChanged();
    };
    commands.add({ID_FLIP_HORIZONTAL, ID_FLIP_VERTICAL, ID_FLIP_BOTH, ID_TRANSPOSE, ID_ROTATE_CW, ID_ROTATE_CCW,
                  ID_ROTATE_180},
                 fixed, readyFor);

    auto dialog = [&w](int id) {
        COperationRunner& runner = *w.m_Operations;
        switch (id) {
        case ID_ROTATE_ARBITRARY: runner.runDialog<CRotateDialog>(id); break;
        case ID_SHEAR: runner.runDialog<CShearDialog>(id); break;
        case ID_RESIZE: runner.runDialog<CResizeDialog>(id); break;
        case ID_CANVAS_SIZE: runner.runDialog<CCanvasSizeDialog>(id); break;
        default: runner.runDialog<CBordersDialog>(id); break;
        }
        w.imageChanged();
    };
    commands.add({ID_ROTATE_ARBITRARY, ID_SHEAR, ID_RESIZE, ID_CANVAS_SIZE, ID_BORDERS_CROP}, dialog, readyFor);
}
