// What watching an index's folders costs as the tree grows: the time to set up the watches against
// a plain walk of the same tree (the part of the work that is not inotify's), and the watches and
// memory it holds, for 1,000 and 10,000 folders.
#include <dirent.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <string>

#include "BenchRounds.h"
#include "update/IndexWatcher.h"

namespace {

// Resident memory of this process, in KiB.
long RssKiB() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.starts_with("VmRSS:")) return std::stol(line.substr(6));
    }
    return -1;
}

// The kernel's unreclaimable slab memory, in KiB: inotify's marks live there (with whatever
// else the machine does meanwhile, so it is a rough figure).
long SlabKiB() {
    std::ifstream in("/proc/meminfo");
    std::string line;
    while (std::getline(in, line)) {
        if (line.starts_with("SUnreclaim:")) return std::stol(line.substr(11));
    }
    return -1;
}

int Walk(const std::string& path) {
    int folders = 1;
    DIR* dir = ::opendir(path.c_str());
    if (!dir) return 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.' && entry->d_type == DT_DIR) folders += Walk(path + "/" + entry->d_name);
    }
    ::closedir(dir);
    return folders;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = bench::Rounds(5);
    for (const int count : {1000, 10000}) {
        QTemporaryDir dir;
        const std::string root = dir.path().toStdString();
        const std::string docs = root + "/docs";
        // 100 folders of count/100 subfolders each: two levels, as a document tree often is.
        for (int i = 0; i < 100; ++i) {
            for (int k = 0; k < count / 100 - 1; ++k)
                QDir().mkpath(QString::fromStdString(docs + "/d" + std::to_string(i) + "/s" + std::to_string(k)));
            QDir().mkpath(QString::fromStdString(docs + "/d" + std::to_string(i)));
        }
        QDir().mkpath(QString::fromStdString(root + "/index"));
        std::ofstream(root + "/index/NMZ.status") << "files 0\nargv -O\tindex\tdocs\ncwd " << root << "\n";

        IndexWatcher watcher;
        watcher.SetWatchLimit(std::max<std::size_t>(IndexWatcher::DefaultWatchLimit(), count * 2));
        // Memory is read around the first watch: later rounds reuse what the first allocated.
        const long rssBefore = RssKiB();
        const long slabBefore = SlabKiB();
        watcher.Watch({root + "/index"});
        const std::size_t watches = watcher.WatchCount();
        const long rss = RssKiB() - rssBefore;
        const long slab = SlabKiB() - slabBefore;
        const auto times = bench::Interleave(
            rounds, {[&] {
                         watcher.Stop();
                         return bench::Time([&] { watcher.Watch({root + "/index"}); });
                     },
                     [&] { return bench::Time([&] { Walk(docs); }); }});
        const int folders = Walk(docs);
        char detail[256];
        std::snprintf(detail, sizeof detail,
                      "%d folders: %zu watches (limit here %zu), process memory +%ld KiB, kernel inotify marks "
                      "(unreclaimable slab) +%ld KiB",
                      folders, watches, IndexWatcher::DefaultWatchLimit(), rss, slab);
        const std::string name = "watchcost_" + std::to_string(count);
        bench::PrintRatio(name.c_str(), bench::Compare(times[0], times[1]), "setting up the watches / walking the tree",
                          20.0, rounds, detail);
    }
    return 0;
}
