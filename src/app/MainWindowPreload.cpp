// Decoding ahead in the viewer: the neighbours of the shown image in the list,
// so that Next and Previous show them at once.
#include "app/MainWindow.h"

#include "app/SlideShowControl.h"
#include "base/FileName.h"
#include "view/Preview.h"

#include <string>
#include <vector>

void CMainWindow::preloadNeighbours()
{
    std::vector<std::string> paths;
    const long row = m_CurrentFile.empty() ? -1 : m_Listing.FindRow(m_CurrentFile);
    // Only while the viewer shows the current file: the browser, a show and
    // an image still loading keep no bitmaps ahead.
    if (m_ViewerMode && row >= 0 && !m_SlideShow->running() && !m_Preview->isLoading() &&
        m_ShownName == m_CurrentFile && m_ShownFolder == m_Navigator.CurrentFolder()) {
        const long rows = static_cast<long>(m_Listing.RowCount());
        // Forward first: the usual direction of stepping.
        for (const long neighbour : {row + 1, row - 1})
            if (neighbour >= 0 && neighbour < rows)
                paths.push_back(JoinPath(m_Navigator.CurrentFolder(),
                                         m_Listing.ItemAtRow(static_cast<size_t>(neighbour)).Name));
    }
    m_Preview->preload(paths);
}
