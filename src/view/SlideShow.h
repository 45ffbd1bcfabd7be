// CSlideShow: the slide show's worker. Each run (CmdDoJob) decodes the file
// asked for at 32 bits; a second thread of the worker then brings the image
// down to the size it will be shown at, so that putting it on screen costs
// the user-interface thread next to nothing. The two stages overlap: once a
// file is decoded the next is decoded while this one is reduced. Each stage
// holds one image at most: one being decoded, one decoded waiting to be
// reduced, one prepared waiting to be taken; a stage that is full holds up
// the one before it. Which file comes next, and when it is shown, is the
// owner's business: it asks ahead only as far as it wants images waiting.
#pragma once

#include "image/WinBmp.h"
#include "jobs/Job.h"
#include "view/SlideShowSteps.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

struct SlideRequest {
    std::string Path;
    int ImageSize = kSlideBestFit;  // SlideImageSize
    int WindowWidth = 0, WindowHeight = 0;
};

struct SlideImage {
    uint64_t Serial = 0;  // of the request it answers
    std::string Path;
    // 32 bits per pixel: at display size when that is smaller than the image,
    // else the image as decoded. Null when decoding failed.
    std::unique_ptr<CWinBmp> Image;
    std::string Error;
    int FullWidth = 0, FullHeight = 0;  // the image as its file holds it
    int DisplayWidth = 0, DisplayHeight = 0;
    int64_t DecodeMilliseconds = 0;  // the decoding alone
};

// What the worker tells its owner; called on the worker's threads.
class ISlideShowOwner {
public:
    virtual ~ISlideShowOwner() = default;
    // The file of request `serial` has been decoded (ok) or could not be:
    // the next file may be asked for.
    virtual void OnSlideDecoded(uint64_t serial, bool ok) = 0;
    // A prepared image waits to be taken.
    virtual void OnSlideReady() = 0;
};

class CSlideShow final : public CThread {
public:
    CSlideShow();
    ~CSlideShow() override;

    void SetSlideOwner(ISlideShowOwner* owner) { m_SlideOwner = owner; }

    // Asks for an image (the thread must have been started) and returns the
    // request's serial. Everything asked for before is given up: requests
    // not yet taken up, a decode in progress (abandoned), an image decoded
    // or prepared for an earlier request. With keepEarlier the request is
    // queued behind the earlier ones, which all go on.
    uint64_t Prepare(SlideRequest request, bool keepEarlier = false);
    // The prepared image waiting, oldest request first; null when none.
    std::unique_ptr<SlideImage> TakeResult();
    // Abandons the work in progress, ends both threads and waits for them;
    // whatever was asked for or prepared is dropped.
    void End();

    // The two stages, on the calling thread. Once abandon (may be null) is set
    // the decode stops between rows and the result is a failure.
    static std::unique_ptr<SlideImage> DecodeImage(const SlideRequest& request,
                                                   const std::atomic<bool>* abandon = nullptr);
    static void ReduceImage(SlideImage& image);
    // Both in turn.
    static std::unique_ptr<SlideImage> PrepareImage(const SlideRequest& request,
                                                    const std::atomic<bool>* abandon = nullptr);

protected:
    void DoJob() override;

private:
    void ReduceLoop();

    ISlideShowOwner* m_SlideOwner = nullptr;
    std::mutex m_Mutex;  // the fields below
    std::condition_variable m_Changed;
    // Asked for and not yet taken up, oldest first, with their serials.
    std::deque<std::pair<uint64_t, SlideRequest>> m_Requests;
    uint64_t m_Latest = 0;  // serial of the latest request
    uint64_t m_Floor = 0;   // images of requests below this are no longer wanted
    std::unique_ptr<SlideImage> m_Decoded;  // waiting for the reducing thread
    std::unique_ptr<SlideImage> m_Result;   // waiting to be taken
    bool m_Quit = false;
    std::thread m_Reducer;
    // Set when the decode in progress is no longer wanted; cleared as the
    // worker takes up a request.
    std::atomic<bool> m_Abandon{false};
};
