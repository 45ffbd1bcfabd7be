#include "app/SlideShowControl.h"

#include "app/CommandTable.h"
#include "app/FileListView.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "base/FileName.h"
#include "browser/StatusTexts.h"
#include "view/Preview.h"

#include <QElapsedTimer>

#include <chrono>
#include <random>

CSlideShowControl::CSlideShowControl(CMainWindow& window)
    : m_Window(window), m_Worker(std::make_unique<CSlideShow>())
{
    m_Worker->SetSlideOwner(this);
    m_Timer.setSingleShot(true);
    connect(&m_Timer, &QTimer::timeout, this, [this] {
        if (m_Running && m_Ready)
            flip();
    });
}

CSlideShowControl::~CSlideShowControl()
{
    // The window's widgets may be gone already: only the worker is ended here.
    m_Timer.stop();
    m_Worker->End();
}

void CSlideShowControl::OnSlideDecoded(uint64_t serial, bool ok)
{
    // Dropped with this object should it go first.
    QMetaObject::invokeMethod(this, [this, serial, ok] { decoded(serial, ok); }, Qt::QueuedConnection);
}

void CSlideShowControl::OnSlideReady()
{
    QMetaObject::invokeMethod(this, [this] { prepared(); }, Qt::QueuedConnection);
}

int64_t CSlideShowControl::now()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool CSlideShowControl::start()
{
    CMainWindow& w = m_Window;
    if (m_Running || !w.m_ViewerMode || w.m_Listing.RowCount() <= 1)
        return false;
    if (!w.confirmDiscard())
        return false;
    const CSettings& s = w.m_Settings;
    m_Options = MakeSlideOptions(s.SlideDelayFlip, s.SlideDelay, s.SlidePosition, s.SlideImageSize, s.SlideSequence);
    // Seeded once per show, not at every draw.
    std::random_device entropy;
    const uint64_t seed = (uint64_t(entropy()) << 32) ^ uint64_t(now());
    m_Stepper.emplace(m_Options.Sequence, seed);
    m_Timing = CSlideTiming(m_Options.DelaySeconds, m_Options.DelayFlip);
    m_Timing.Start(now());
    m_Folder = w.m_Navigator.CurrentFolder();
    m_CurrentName = w.m_CurrentFile;
    m_CurrentRow = m_CurrentName.empty() ? -1 : w.m_Listing.FindRow(m_CurrentName);
    m_Failed.clear();
    m_Ready.reset();
    m_Next = m_Ahead = Pending();
    m_Steps = 0;
    try {
        m_Worker->Start();
    } catch (const CThreadException& e) {
        MessageBox::Error(&w, QString::fromStdString(e.GetText()));
        return false;
    }
    m_Running = true;
    requestNext();
    askAhead();
    w.updateActions();
    return m_Running;
}

void CSlideShowControl::stop(bool reload)
{
    if (!m_Running)
        return;
    m_Running = false;
    m_Timer.stop();
    // A decode in progress is abandoned between rows, so this is short.
    m_Worker->End();
    m_Ready.reset();
    m_Next = m_Ahead = Pending();
    CMainWindow& w = m_Window;
    // A slide is a display copy: the file's own image replaces it, so that
    // nothing reduced can be edited or saved.
    if (reload && w.m_Preview->showsSlide())
        w.loadCurrent(true);
    w.updateActions();
}

void CSlideShowControl::end(const char* text)
{
    stop(true);
    m_Window.setPane(CMainWindow::kStatePane, QString::fromLatin1(text));
}

bool CSlideShowControl::request(const std::string& afterName, long afterRow, bool keepEarlier, Pending& into)
{
    CMainWindow& w = m_Window;
    const CFolderListing& listing = w.m_Listing;
    // The list may have changed since the last step (a refresh, a delete):
    // it is read as it is now.
    const long count = static_cast<long>(listing.RowCount());
    if (count == 0) {
        end(kSlideEmptyListText);
        return false;
    }
    long current = afterName.empty() ? -1 : listing.FindRow(afterName);
    if (current < 0)
        current = afterRow;  // gone from the list: go on from where it stood
    std::function<bool(long)> skip;
    if (!m_Failed.empty() && !keepEarlier)
        skip = [this, &listing](long row) { return m_Failed.count(listing.ItemAtRow(size_t(row)).Name) != 0; };
    const long next = m_Stepper->Next(current, count, skip);
    if (next < 0) {
        end(kSlideNothingLoadsText);
        return false;
    }
    into.Row = next;
    into.Name = listing.ItemAtRow(size_t(next)).Name;
    SlideRequest request;
    request.Path = JoinPath(m_Folder, into.Name);
    request.ImageSize = m_Options.ImageSize;
    request.WindowWidth = w.m_Preview->width();
    request.WindowHeight = w.m_Preview->height();
    into.Serial = m_Worker->Prepare(std::move(request), keepEarlier);
    return true;
}

void CSlideShowControl::requestNext()
{
    m_Ahead = Pending();
    request(m_CurrentName, m_CurrentRow, false, m_Next);
}

void CSlideShowControl::askAhead()
{
    // The file after the next one may be decoded while the next one is shrunk
    // when the next one goes on screen as soon as it is ready: then nothing
    // else waits meanwhile. Asked for now, the worker starts on it the moment
    // it is done decoding the next one.
    if (m_Running && m_Next.Serial != 0 && m_Ahead.Serial == 0 && m_Timing.WaitFrom(now()) == 0)
        request(m_Next.Name, m_Next.Row, true, m_Ahead);
}

void CSlideShowControl::decoded(uint64_t serial, bool ok)
{
    // The delay may have run out while it was decoded.
    if (ok && serial == m_Next.Serial)
        askAhead();
}

void CSlideShowControl::prepared()
{
    if (!m_Running || m_Ready)
        return;
    std::unique_ptr<SlideImage> image = m_Worker->TakeResult();
    if (!image || image->Serial != m_Next.Serial)
        return;
    m_Ready = std::move(image);
    const int64_t wait = m_Timing.WaitFrom(now());
    if (wait > 0)
        m_Timer.start(static_cast<int>(std::min<int64_t>(wait, kSlideMaxDelaySeconds * 1000)));
    else
        flip();
}

void CSlideShowControl::flip()
{
    QElapsedTimer took;
    took.start();
    CMainWindow& w = m_Window;
    std::unique_ptr<SlideImage> image = std::move(m_Ready);
    const Pending shown = m_Next;
    const long row = w.m_Listing.FindRow(shown.Name);
    if (row < 0) {
        // The item left the list while it was being prepared: pick again
        // from where it stood, giving up whatever was asked after it.
        m_CurrentName.clear();
        m_CurrentRow = shown.Row;
        requestNext();
        return;
    }
    ++m_Steps;
    w.m_Listing.UnselectAll();
    w.m_FileList->setCurrentRow(row, true);
    w.m_CurrentFile = shown.Name;
    m_CurrentName = shown.Name;
    m_CurrentRow = row;
    if (image->Image) {
        m_Failed.clear();
        // The next item is on its way already, or asked for before this one
        // is put on screen.
        if (m_Ahead.Serial != 0) {
            m_Next = m_Ahead;
            m_Ahead = Pending();
            // An image that came while this one waited its turn.
            QMetaObject::invokeMethod(this, [this] { prepared(); }, Qt::QueuedConnection);
        } else {
            requestNext();
        }
        // Sized for the window as it is now, should it have changed meanwhile.
        int displayWidth, displayHeight;
        SlideDisplaySize(m_Options.ImageSize, image->FullWidth, image->FullHeight, w.m_Preview->width(),
                         w.m_Preview->height(), displayWidth, displayHeight);
        w.m_Preview->showSlide(std::move(image->Image), image->Path, displayWidth, displayHeight,
                               m_Options.Position == kSlideUpperLeft, image->FullWidth, image->FullHeight);
        w.m_ShownFolder = w.m_LoadingFolder = m_Folder;
        w.m_ShownName = w.m_LoadingName = shown.Name;
        w.m_ImageInfo = w.imageInformation();
        w.setPane(CMainWindow::kMessagePane, w.messageText());
        w.setPane(CMainWindow::kStatePane, QString::fromStdString(LoadedInText(image->DecodeMilliseconds)));
        w.updateTitle();
        m_Timing.Shown(now());
        w.updateStatusTexts();
        askAhead();
    } else {
        w.setPane(CMainWindow::kStatePane, QString::fromLatin1(kSlideUnknownFormatText));
        m_Failed.insert(shown.Name);
        m_Timing.Failed(now());
        w.updateStatusTexts();
        // Ends the show when every item has now failed.
        requestNext();
    }
    if (m_Observer) {
        w.m_Preview->repaint();
        m_Observer(took.nsecsElapsed() / 1e6);
    }
}

bool CSlideShowControl::allows(int id) const
{
    if (!m_Running && !m_Window.m_Preview->showsSlide())
        return true;
    switch (id) {
    case ID_SLIDE_STOP:
    case ID_BROWSER:
    case ID_VIEWER:
    case ID_FILE_OPEN:
    case ID_EXIT:
    case ID_VIEW_TOOLBAR:
    case ID_VIEW_STATUS_BAR:
    case ID_REFRESH:
    case ID_AUTO_REFRESH:
    case ID_HELP_CONTENTS:
    case ID_HELP_USING:
    case ID_ABOUT:
        return true;
    default:
        return false;
    }
}
