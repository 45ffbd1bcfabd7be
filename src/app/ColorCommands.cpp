#include "app/ColorCommands.h"

#include "app/BalanceDialog.h"
#include "app/CommandDispatcher.h"
#include "app/CommandTable.h"
#include "app/GammaDialog.h"
#include "app/IntensityDialog.h"
#include "app/MainWindow.h"
#include "app/OperationRunner.h"
#include "app/ThresholdDialog.h"

void CColorCommands::registerWith(CCommandDispatcher& commands, CMainWindow& w)
{
    auto readyFor = [&w](int) { return w.imageReady(); };

    auto fixed = [&w](int id) {
        COperationRunner::Operation operation;
        switch (id) {
        case ID_INVERT_COLORS: operation = [](CEditBmp& d) { d.invert(); return false; }; break;
        case ID_GRAY_SHADES: operation = [](CEditBmp& d) { d.grayShades(); return false; }; break;
        default: operation = [](CEditBmp& d) { d.swapRedBlue(); return false; }; break;
        }
        w.m_Operations->run(id, operation);
        w.imageChanged();
    };
    commands.add({ID_INVERT_COLORS, ID_GRAY_SHADES, ID_SWAP_RED_BLUE}, fixed, readyFor);

    auto dialog = [&w](int id) {
        COperationRunner& runner = *w.m_Operations;
        switch (id) {
        case ID_GAMMA: runner.runDialog<CGammaDialog>(id); break;
        case ID_BRIGHTNESS: runner.runDialog<CBrightnessDialog>(id); break;
        case ID_CONTRAST: runner.runDialog<CContrastDialog>(id); break;
        case ID_BALANCE: runner.runDialog<CBalanceDialog>(id); break;
        case ID_THRESHOLD: runner.runDialog<CThresholdDialog>(id); break;
        case ID_INTENSITY: runner.runDialog<CIntensityDialog>(id); break;
        default: runner.runDialog<CSolarizeDlg>(id); break;
        }
        w.imageChanged();
    };
    commands.add({ID_GAMMA, ID_BRIGHTNESS, ID_CONTRAST, ID_BALANCE, ID_THRESHOLD, ID_INTENSITY, ID_SOLARIZE}, dialog,
                 readyFor);
}
