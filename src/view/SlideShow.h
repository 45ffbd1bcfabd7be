// CSlideShow: the slide show's worker. Each run (CmdDoJob) prepares the one
// image asked for: it decodes the file at 32 bits and brings it down to the
// size it will be shown at, so that putting it on screen costs the
// user-interface thread next to nothing. The owner hears OnFinished after
// each run and takes the image with TakeResult; at most one prepared image
// waits. Which file comes next and when it is shown is the owner's business.
#pragma once

#include "image/WinBmp.h"
#include "jobs/Job.h"
#include "view/SlideShowSteps.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

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

class CSlideShow final : public CThread {
public:
    CSlideShow();
    ~CSlideShow() override;

    // Asks for an image (the thread must have been started) and returns the
    // request's serial. A request not yet taken up is replaced, a decode for
    // an older one is abandoned, and an image prepared for it is dropped.
    uint64_t Prepare(SlideRequest request);
    // The image prepared for the latest request; null when none waits.
    std::unique_ptr<SlideImage> TakeResult();
    // Abandons the decode in progress, ends the thread and waits for it;
    // whatever was asked for or prepared is dropped.
    void End();

    // What a run does, on the calling thread. Once abandon (may be null) is
    // set the decode stops between rows and the result is a failure.
    static std::unique_ptr<SlideImage> PrepareImage(const SlideRequest& request,
                                                    const std::atomic<bool>* abandon = nullptr);

protected:
    void DoJob() override;

private:
    std::mutex m_Mutex;  // the fields below
    bool m_HasRequest = false;
    SlideRequest m_Request;
    uint64_t m_Latest = 0;  // serial of the latest request
    std::unique_ptr<SlideImage> m_Result;
    // Set when the decode in progress is no longer wanted; cleared as the
    // worker takes up a request.
    std::atomic<bool> m_Abandon{false};
};
