#include "filelist/SearchWalk.h"

#include "filelist/ListingOrder.h"
#include "filelist/WildcardMatcher.h"
#include "platform/Paths.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <unordered_set>

namespace rinoza {

namespace {

// Folder entries read between two looks at the stop flag and the clock.
constexpr unsigned kEntriesPerCheck = 256;

struct DevIno {
    uint64_t dev;
    uint64_t ino;
    bool operator==(const DevIno&) const = default;
};

struct DevInoHash {
    std::size_t operator()(const DevIno& k) const noexcept {
        return std::hash<uint64_t>()(k.ino * 0x9E3779B97F4A7C15ull ^ k.dev);
    }
};

// The names of one folder, read once: its subfolders and its files whose names matched, each kind
// in listing order once sorted.
struct Listing {
    std::string names; // NUL-separated
    std::vector<uint32_t> folders;
    std::vector<uint32_t> files;
    void clear() {
        names.clear();
        folders.clear();
        files.clear();
    }
    const char* at(uint32_t off) const { return names.c_str() + off; }
};

// Puts name offsets into listing order. The keys of all names go into one buffer, each made once.
class ListingSorter {
public:
    void sort(const Listing& listing, std::vector<uint32_t>& offsets) {
        if (offsets.size() < 2)
            return;
        m_keys.clear();
        m_items.clear();
        m_items.reserve(offsets.size());
        for (uint32_t off : offsets) {
            const std::size_t start = m_keys.size();
            appendListingKey(listing.at(off), m_keys);
            Item& item = m_items.emplace_back(
                Item{{}, static_cast<uint32_t>(start), static_cast<uint32_t>(m_keys.size() - start), off});
            // The key's first eight units, for a comparison without a loop. A name holds no NUL, so a
            // key shorter than that compares as it would unpadded.
            for (std::size_t i = 0; i < 8 && i < item.keyLength; ++i)
                item.head[i / 4] |= static_cast<uint64_t>(m_keys[start + i]) << (48 - 16 * (i % 4));
        }
        const std::u16string_view keys = m_keys;
        std::sort(m_items.begin(), m_items.end(), [&](const Item& a, const Item& b) {
            if (a.head[0] != b.head[0])
                return a.head[0] < b.head[0];
            if (a.head[1] != b.head[1])
                return a.head[1] < b.head[1];
            // Equal heads: both keys begin with the same eight units, or are the same key shorter
            // than that.
            const std::size_t skip = std::min<std::size_t>(8, a.keyLength);
            const int c = keys.substr(a.keyStart + skip, a.keyLength - skip)
                              .compare(keys.substr(b.keyStart + skip, b.keyLength - skip));
            if (c != 0)
                return c < 0;
            return std::strcmp(listing.at(a.name), listing.at(b.name)) < 0; // names that differ in case only
        });
        for (std::size_t i = 0; i < m_items.size(); ++i)
            offsets[i] = m_items[i].name;
    }

private:
    struct Item {
        uint64_t head[2];
        uint32_t keyStart;
        uint32_t keyLength;
        uint32_t name;
    };
    std::u16string m_keys;
    std::vector<Item> m_items;
};

int64_t monotonicMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

std::string searchFolderOf(const std::string& folderText) {
    std::string s = folderText;
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return s;
}

struct SearchWalk::Impl {
    SearchWalk& w;
    WildcardMatcher matcher;
    std::vector<FileListRow> batch;
    std::unordered_set<DevIno, DevInoHash> visited;
    std::vector<std::unique_ptr<Listing>> levels;
    ListingSorter sorter;
    std::string currentFolder;
    std::string reportedFolder;
    std::string name; // the file being looked at
    int64_t lastPump = 0;
    unsigned ticks = 0;

    Impl(SearchWalk& walk) : w(walk), matcher(walk.m_options.pattern) {}

    Listing& level(std::size_t depth) {
        while (levels.size() <= depth)
            levels.push_back(std::make_unique<Listing>());
        return *levels[depth];
    }

    // Reads every name of the folder once and puts the files and subfolders in listing order. A
    // folder may hold a great many entries, so the window gets its time slice in here too, and a stop
    // ends the read (the caller sees the stop flag and lists nothing more).
    void readListing(const Folder& folder, Listing& out) {
        out.clear();
        const bool wantFolders = w.m_options.subfolders;
        unsigned sinceCheck = 0;
        w.m_fs.readFolder(folder, [&](const FolderEntry& e) {
            if (++sinceCheck >= kEntriesPerCheck) {
                sinceCheck = 0;
                if (pumpIfDue())
                    return false;
            }
            if (e.looked && pumpIfDue()) // a stat may wait on a slow or hung file system
                return false;
            if (e.type == EntryType::Directory) {
                if (wantFolders) {
                    out.folders.push_back(static_cast<uint32_t>(out.names.size()));
                    out.names.append(e.name).push_back('\0');
                }
            } else if (e.type == EntryType::File && matcher.matches(e.name)) {
                out.files.push_back(static_cast<uint32_t>(out.names.size()));
                out.names.append(e.name).push_back('\0');
            }
            return true;
        });
        if (w.m_stop)
            return;
        sorter.sort(out, out.files);
        sorter.sort(out, out.folders);
    }

    void flush() {
        if (batch.empty())
            return;
        std::vector<FileListRow> out;
        out.swap(batch);
        if (w.m_callbacks.rows)
            w.m_callbacks.rows(std::move(out));
    }

    // Called after each listed file and each finished folder; hands over rows and lets the window
    // run once per time slice.
    void tick() {
        if ((++ticks & 15) != 0)
            return;
        pumpIfDue();
    }

    // Hands over rows and lets the window run when the time slice is over. True when the walk is to
    // stop.
    bool pumpIfDue() {
        if (w.m_stop)
            return true;
        const int64_t now = monotonicMs();
        if (now - lastPump < w.m_sliceMs)
            return false;
        flush();
        if (w.m_callbacks.folderChanged && currentFolder != reportedFolder) {
            reportedFolder = currentFolder;
            w.m_callbacks.folderChanged(reportedFolder);
        }
        if (w.m_callbacks.pumpEvents)
            w.m_callbacks.pumpEvents();
        lastPump = monotonicMs();
        return w.m_stop;
    }

    bool enter(const Folder& folder) {
        const FolderId id = folder.id();
        return visited.insert(DevIno{id.dev, id.ino}).second;
    }

    void listFiles(const Folder& dir, const std::string& folder, const Listing& listing) {
        const SearchOptions& o = w.m_options;
        // The listing tells files from the rest by itself; a file is looked at for its row's columns
        // or for a filter only.
        const bool look = o.withDetails || !o.showSystem || !o.showHidden || !o.showReadOnly;
        // Room for the whole folder at once: the first batch handed over becomes the list's rows, with
        // room for the rest.
        if (const std::size_t needed = batch.size() + listing.files.size(); needed > batch.capacity())
            batch.reserve(std::max(needed, 2 * batch.capacity()));
        for (std::size_t k = 0; k < listing.files.size(); ++k) {
            tick(); // for every file, also those the filters pass over
            if (w.m_stop)
                return;
            // Rows handed over part way through the folder leave no room: room for the rest at once.
            if (batch.size() == batch.capacity())
                batch.reserve(batch.size() + listing.files.size() - k);
            const char* fileName = listing.at(listing.files[k]);
            FileInfo info;
            if (look && (w.m_fs.statAt(dir, name.assign(fileName), info, true) != 0 || !info.isRegular))
                continue;
            if ((!o.showSystem && (info.attributes & AttrSystem)) ||
                (!o.showHidden && (info.attributes & AttrHidden)) ||
                (!o.showReadOnly && (info.attributes & AttrReadOnly)))
                continue;
            if (w.listedFileCount() + 1 > o.limit) {
                w.m_stop = true;
                w.m_limitHit = true;
                flush();
                if (w.m_callbacks.limitReached)
                    w.m_callbacks.limitReached();
                return;
            }
            if (o.withDetails) {
                batch.push_back(makeFileListRow(info, folder, o.withIcons));
            } else {
                FileListRow& row = batch.emplace_back();
                row.name = fileName;
                row.folder = folder;
            }
            batch.back().folderId = dir.id();
            ++w.m_listed;
        }
    }

    // A folder below the search folder: the folders beneath it first, then its own files.
    void visit(const Folder& parentFolder, const std::string& parent, const char* folderName, std::size_t depth) {
        if (w.m_stop)
            return;
        std::string path = joinPath(parent, folderName);
        std::unique_ptr<Folder> opened;
        if (w.m_fs.openFolderAt(parentFolder, folderName, opened) != 0 || !enter(*opened))
            return;
        const Folder& folder = *opened;
        currentFolder = path;
        Listing& listing = level(depth);
        readListing(folder, listing);
        for (uint32_t off : listing.folders) {
            if (w.m_stop)
                break;
            visit(folder, path, listing.at(off), depth + 1);
            tick();
        }
        if (!w.m_stop) {
            currentFolder = path;
            listFiles(folder, path, listing);
        }
    }
};

SearchWalk::SearchWalk(FileSystem& fs, SearchOptions options, SearchCallbacks callbacks)
    : m_fs(fs), m_options(std::move(options)), m_callbacks(std::move(callbacks)) {}

SearchWalk::~SearchWalk() = default;

SearchResult SearchWalk::run(const std::string& folderText) {
    SearchResult result;
    const std::string root = searchFolderOf(folderText);
    Impl impl(*this);
    impl.lastPump = monotonicMs();
    std::unique_ptr<Folder> opened;
    if (!m_stop && m_fs.openFolder(root, nullptr, opened) == 0) {
        const Folder& folder = *opened;
        impl.currentFolder = root;
        if (m_callbacks.folderChanged) {
            impl.reportedFolder = root;
            m_callbacks.folderChanged(root);
        }
        impl.enter(folder);
        Listing& listing = impl.level(0);
        impl.readListing(folder, listing);
        impl.listFiles(folder, root, listing);
        for (uint32_t off : listing.folders) {
            if (m_stop)
                break;
            impl.visit(folder, root, listing.at(off), 1);
            impl.tick();
        }
    }
    impl.flush();
    result.listed = m_listed;
    result.limitReached = m_limitHit;
    result.stopped = m_stop && !m_limitHit;
    return result;
}

} // namespace rinoza
