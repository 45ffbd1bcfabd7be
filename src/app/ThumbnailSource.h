// The thumbnails of the icon views: asks the worker pool for the files the
// view shows, keeps what arrives in a bounded memory cache (least recently
// used out first) and remembers, for the folder's visit, the files that do
// not decode, which keep their type icon.
#pragma once

#include "browser/FolderListing.h"

#include <QIcon>
#include <QImage>
#include <QObject>

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class CThumbnailPool;

class CThumbnailSource : public QObject {
    Q_OBJECT
public:
    explicit CThumbnailSource(CFolderListing& listing, QObject* parent = nullptr);
    ~CThumbnailSource() override;

    // Pixels of the box the thumbnails fit, on a screen of that pixel ratio;
    // 0 turns them off (and drops the queue).
    void setBox(int box, qreal pixelRatio = 1.0);
    int box() const { return m_Box; }
    // The thumbnail of an item of the listing when it has arrived; a null icon else.
    QIcon thumbnail(const FileItem& item) const;
    // The rows the view shows (then those it will show next), first first;
    // replaces what was asked for before.
    void want(const std::vector<size_t>& rows);
    // The folder was listed anew: work in progress is abandoned; another
    // folder also forgets the files that failed.
    void folderChanged();
    bool isBusy() const;
    // Thumbnails (and failures) that arrived in this visit.
    size_t arrivedCount() const { return m_Arrived; }
    // Of those, the ones the shared cache held, and the files that failed.
    size_t cachedCount() const { return m_Cached; }
    size_t failedCount() const { return m_FailedCount; }
    // Rows that may have a thumbnail (files, not folders).
    size_t candidateCount() const;
    // Called on a worker thread as each file is taken up (for tests).
    void setStartObserver(std::function<void(const std::string&)> observer);

signals:
    // A thumbnail arrived or a file failed: the view repaints.
    void arrived();

private:
    struct Entry {
        std::string Key;
        QIcon Icon;
        int64_t Bytes = 0;
    };
    static bool mayHaveThumbnail(const FileItem& item);
    std::string keyOf(const FileItem& item) const;
    std::string pathOf(const FileItem& item) const;
    struct Arrival {
        QImage Image;  // null when the file did not decode
        bool FromCache = false;
        bool Abandoned = false;
    };
    struct Pending {
        uint64_t Visit;
        std::string Path;
        int Box;
        Arrival Result;
    };
    void takeArrivals();
    void onDelivered(uint64_t visit, const std::string& path, int box, Arrival arrival);
    void insert(std::string key, QIcon icon, int64_t bytes);

    CFolderListing& m_Listing;
    std::unique_ptr<CThumbnailPool> m_Pool;
    // Results handed over by a worker and not yet taken up here.
    std::atomic<int> m_InFlight{0};
    std::mutex m_ArrivalsMutex;
    std::vector<Pending> m_Arrivals;  // handed over, waiting for this thread
    int m_Box = 0;
    qreal m_PixelRatio = 1.0;
    uint64_t m_Visit = 1;
    std::string m_Folder;
    size_t m_Arrived = 0;
    size_t m_Cached = 0;
    size_t m_FailedCount = 0;
    // Least recently used at the back.
    mutable std::list<Entry> m_Entries;
    std::unordered_map<std::string, std::list<Entry>::iterator> m_Index;
    int64_t m_Bytes = 0;
    // Hashes of the failed files' keys: 8 bytes a file at most, for one folder.
    std::unordered_set<uint64_t> m_Failed;
    // Key of each path asked for in this visit, to file what arrives.
    std::unordered_map<std::string, std::string> m_Asked;
};
