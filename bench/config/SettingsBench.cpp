// Loading and saving a settings file that holds 20,000 history entries (a search moves a new
// query to the front, so every entry is set again), against reading and writing the same bytes
// with QFile. The two run in turn for several rounds, each round doing either five times so that
// the reference is long enough to time; medians compared.
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

#include "BenchRounds.h"
#include "config/FileIo.h"
#include "config/Settings.h"

namespace {

constexpr int kEntries = 20000;
constexpr int kDefaultRounds = 9;
constexpr int kRepeats = 5;

PlatformProfile ProfileIn(const std::string& folder) {
    PlatformProfile profile;
    profile.programFolder = folder + "/";
    profile.programFilePath = folder + "/quarrow";
    profile.tempFolder = folder + "/";
    profile.configFallbackFolder = folder + "/config/";
    return profile;
}

QByteArray ReadWithQFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

bool WriteWithQFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

}  // namespace

int main() {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    const PlatformProfile profile = ProfileIn(folder);
    Settings s = InitSettings(profile);
    s.Search.FormulaHistoryCount = std::to_string(kEntries);
    for (int i = 0; i < kEntries; ++i)
        s.QueryHistory.push_back("灯台 and lighthouse " + std::to_string(i) + " 港町 -\"old harbour\"");
    SaveSettings(s.SettingsPath, s, CodePage::Utf8);
    const std::size_t bytes = ReadWholeFile(s.SettingsPath).value_or("").size();

    int query = 0;
    bool kept = true;
    const QString reference = dir.path() + QStringLiteral("/reference.ini");
    const int rounds = bench::Rounds(kDefaultRounds);
    const auto times = bench::Interleave(
        rounds, {[&] {
                     return bench::Time([&] {
                         for (int i = 0; i < kRepeats; ++i) {
                             Settings loaded = LoadSettings(s.SettingsPath, profile);
                             kept = kept && loaded.QueryHistory.size() == static_cast<std::size_t>(kEntries);
                             loaded.QueryHistory.pop_back();
                             loaded.QueryHistory.insert(loaded.QueryHistory.begin(),
                                                        "new query " + std::to_string(++query));
                             SaveSettings(s.SettingsPath, loaded, CodePage::Utf8);
                         }
                     });
                 },
                 [&] {
                     return bench::Time([&] {
                         const QString path = QString::fromStdString(s.SettingsPath);
                         for (int i = 0; i < kRepeats; ++i)
                             kept = WriteWithQFile(reference, ReadWithQFile(path)) && kept;
                     });
                 }});
    const Settings last = LoadSettings(s.SettingsPath, profile);
    kept = kept && last.QueryHistory.size() == static_cast<std::size_t>(kEntries) &&
           last.QueryHistory.front() == "new query " + std::to_string(query);
    bench::PrintRatio("settings-20000", bench::Compare(times[0], times[1]),
                      "load and save/QFile read and write medians", 20, rounds,
                      std::to_string(kEntries) + " entries, " + std::to_string(kRepeats) +
                          " loads and saves a round, " + std::to_string(bytes) + " bytes, " +
                          (kept ? "every entry kept" : "ENTRIES LOST"));
    return kept ? 0 : 1;
}
