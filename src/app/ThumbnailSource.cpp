#include "app/ThumbnailSource.h"

#include "base/FileName.h"
#include "platform/ThumbnailFolder.h"
#include "view/ThumbnailCache.h"
#include "view/ThumbnailPool.h"

#include <QImage>
#include <QPixmap>

#include <cstring>
#include <functional>

namespace {

// Some 1 500 thumbnails of 128 pixels, however many files the folder holds.
constexpr int64_t kMemoryBudget = 96ll << 20;
constexpr size_t kMaxEntries = 4000;

QImage ToQImage(const CBmp& image)
{
    QImage out(image.Width, image.Height, image.HasAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < image.Height; ++y)
        std::memcpy(out.scanLine(y), image.Lines[y], static_cast<size_t>(image.Width) * 4);
    return out;
}

} // namespace

CThumbnailSource::CThumbnailSource(CFolderListing& listing, QObject* parent)
    : QObject(parent), m_Listing(listing)
{
    auto cache = std::make_shared<CThumbnailCache>(ThumbnailCacheRoot());
    m_Pool = std::make_unique<CThumbnailPool>(
        [this](uint64_t visit, const std::string& path, int box, std::shared_ptr<ThumbnailResult> result) {
            // The pixels are turned into the toolkit's image here, on the
            // worker: the user-interface thread only files them.
            Arrival arrival;
            if (result) {
                arrival.Abandoned = result->Abandoned;
                arrival.FromCache = result->FromCache;
                if (result->Image)
                    arrival.Image = ToQImage(*result->Image);
            }
            // One wake of the user-interface thread takes every result that
            // came in meanwhile.
            bool first;
            {
                std::lock_guard lock(m_ArrivalsMutex);
                first = m_Arrivals.empty();
                m_Arrivals.push_back(Pending{visit, path, box, std::move(arrival)});
                ++m_InFlight;
            }
            if (first)
                QMetaObject::invokeMethod(this, &CThumbnailSource::takeArrivals, Qt::QueuedConnection);
        },
        std::move(cache));
}

CThumbnailSource::~CThumbnailSource()
{
    // Joins the workers before the members they deliver to go.
    m_Pool.reset();
}

void CThumbnailSource::setBox(int box, qreal pixelRatio)
{
    if (box == m_Box)
        return;
    m_Box = box;
    m_PixelRatio = pixelRatio > 0 ? pixelRatio : 1.0;
    ++m_Visit;
    m_Asked.clear();
    m_Pool->Cancel();
}

bool CThumbnailSource::mayHaveThumbnail(const FileItem& item)
{
    return !(item.Attributes & (kAttrDirectory | kAttrSystem));
}

size_t CThumbnailSource::candidateCount() const
{
    size_t count = 0;
    for (size_t row = 0; row < m_Listing.RowCount(); ++row)
        count += mayHaveThumbnail(m_Listing.ItemAtRow(row)) ? 1 : 0;
    return count;
}

std::string CThumbnailSource::pathOf(const FileItem& item) const
{
    return JoinPath(m_Listing.Folder(), item.Name);
}

// The same file at another time or size is another thumbnail.
std::string CThumbnailSource::keyOf(const FileItem& item) const
{
    return pathOf(item) + '\n' + std::to_string(item.Modified) + '\n' + std::to_string(item.Size) + '\n' +
           std::to_string(m_Box);
}

QIcon CThumbnailSource::thumbnail(const FileItem& item) const
{
    if (m_Box <= 0 || m_Index.empty())
        return {};
    const auto found = m_Index.find(keyOf(item));
    if (found == m_Index.end())
        return {};
    m_Entries.splice(m_Entries.begin(), m_Entries, found->second);
    return found->second->Icon;
}

void CThumbnailSource::want(const std::vector<size_t>& rows)
{
    if (m_Box <= 0)
        return;
    std::vector<std::string> paths;
    const size_t count = m_Listing.RowCount();
    for (size_t row : rows) {
        if (row >= count)
            continue;
        const FileItem& item = m_Listing.ItemAtRow(row);
        if (!mayHaveThumbnail(item))
            continue;
        std::string key = keyOf(item);
        if (m_Index.count(key) || m_Failed.count(std::hash<std::string>{}(key)))
            continue;
        std::string path = pathOf(item);
        m_Asked[path] = std::move(key);
        paths.push_back(std::move(path));
    }
    // What was asked for before and is out of sight now need not be filed.
    if (m_Asked.size() > 4 * paths.size() + 1000) {
        std::unordered_map<std::string, std::string> kept;
        for (const std::string& path : paths)
            kept[path] = m_Asked[path];
        m_Asked.swap(kept);
    }
    m_Pool->Want(m_Visit, paths, m_Box);
}

void CThumbnailSource::folderChanged()
{
    ++m_Visit;
    m_Arrived = 0;
    m_Cached = 0;
    m_FailedCount = 0;
    m_Asked.clear();
    m_Pool->Cancel();
    if (m_Listing.Folder() != m_Folder) {
        m_Folder = m_Listing.Folder();
        m_Failed.clear();
    }
}

bool CThumbnailSource::isBusy() const
{
    return m_InFlight > 0 || m_Pool->IsBusy();
}

void CThumbnailSource::setStartObserver(std::function<void(const std::string&)> observer)
{
    m_Pool->SetStartObserver(std::move(observer));
}

void CThumbnailSource::takeArrivals()
{
    std::vector<Pending> arrivals;
    {
        std::lock_guard lock(m_ArrivalsMutex);
        arrivals.swap(m_Arrivals);
    }
    for (Pending& pending : arrivals) {
        --m_InFlight;
        onDelivered(pending.Visit, pending.Path, pending.Box, std::move(pending.Result));
    }
}

void CThumbnailSource::onDelivered(uint64_t visit, const std::string& path, int box, Arrival arrival)
{
    if (visit != m_Visit || box != m_Box)
        return;
    const auto asked = m_Asked.find(path);
    if (asked == m_Asked.end())
        return;
    std::string key = std::move(asked->second);
    m_Asked.erase(asked);
    if (arrival.Abandoned)
        return;
    ++m_Arrived;
    if (arrival.FromCache)
        ++m_Cached;
    if (arrival.Image.isNull()) {
        ++m_FailedCount;
        m_Failed.insert(std::hash<std::string>{}(key));
    } else {
        const int64_t bytes = arrival.Image.sizeInBytes();
        QPixmap pixmap = QPixmap::fromImage(std::move(arrival.Image));
        pixmap.setDevicePixelRatio(m_PixelRatio);
        insert(std::move(key), QIcon(pixmap), bytes);
    }
    emit arrived();
}

void CThumbnailSource::insert(std::string key, QIcon icon, int64_t bytes)
{
    if (const auto old = m_Index.find(key); old != m_Index.end()) {
        m_Bytes -= old->second->Bytes;
        m_Entries.erase(old->second);
        m_Index.erase(old);
    }
    m_Entries.push_front(Entry{key, std::move(icon), bytes});
    m_Index.emplace(std::move(key), m_Entries.begin());
    m_Bytes += bytes;
    while (m_Entries.size() > 1 && (m_Bytes > kMemoryBudget || m_Entries.size() > kMaxEntries)) {
        m_Bytes -= m_Entries.back().Bytes;
        m_Index.erase(m_Entries.back().Key);
        m_Entries.pop_back();
    }
}
